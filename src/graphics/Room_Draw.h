// Room_Draw: drawing the current room into the frame the main loop presents.
#pragma once

class CRoom;

// Draws the room: its background colour when the room shows one, then its
// instances by depth, highest first, each through its draw event (its own or
// an ancestor's). Backgrounds, tiles, views and default sprite drawing come
// with the sprite and room drawing work. Nothing happens without a drawing
// device (headless runs); the instance list stays sorted by depth.
void Room_Draw(CRoom& room);
