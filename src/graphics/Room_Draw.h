// Room_Draw: drawing the current room into the frame the main loop presents:
// views that follow instances, the background colour, background layers,
// tiles and instances merged by depth, foregrounds, the cursor sprite, and
// the window caption.
#pragma once

class CRoom;

// Drawing that other modules merge with the instances and tiles by depth
// (particle systems), without this module knowing what they draw.
struct RDepthDrawer {
  // The highest depth below `above` at which something is drawn that
  // Draw(above) did not draw; ROOM_NO_DEPTH when there is none. The first
  // call of a rectangle passes +infinity.
  double (*next_depth)(double above);
  // Draws everything at `depth` (within the drawer's own tolerance).
  void (*draw)(double depth);
};
// What next_depth answers when nothing is left.
constexpr double ROOM_NO_DEPTH = -1e9;
// Adds a drawer (once: adding the same pair again does nothing). Drawers are
// program-lifetime state; they are asked in the order added, and a drawer
// wins a tie of depth against instances and tiles.
void Room_AddDepthDrawer(const RDepthDrawer& drawer);

// Draws the room into the back buffer (nothing is presented). Nothing is
// drawn without a drawing device (headless runs), but views still follow
// their instances and the caption is still set. The instance and tile lists
// stay sorted by depth, highest first.
void Room_Draw(CRoom& room);
// The window region for a room: the bounding box of its visible view ports
// (at least 8 x 8) when views are enabled, else the room's size.
void Room_SetRegion(const CRoom& room);
// Moves every visible view that follows an instance towards it, within its
// borders, the room and its speed limits, and fills the window view table.
void Room_FollowViews(CRoom& room);
