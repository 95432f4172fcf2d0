// Room_Draw: drawing the current room into the frame the main loop presents.
#pragma once

class CRoom;

// Draws the room: for now its background colour when the room shows one.
// Backgrounds, tiles, views and the draw events come with the room drawing
// work. Nothing happens without a drawing device (headless runs).
void Room_Draw(const CRoom& room);
