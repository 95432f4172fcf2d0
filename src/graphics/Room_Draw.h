// Room_Draw: drawing the current room into the frame the main loop presents:
// views that follow instances, the background colour, background layers,
// tiles and instances merged by depth, foregrounds, the cursor sprite, and
// the window caption.
#pragma once

class CRoom;

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
