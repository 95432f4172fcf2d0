// Run_Command: saved games. A saved game is a file holding the whole play
// state: the current room, the game-wide values (score, lives, health,
// cursor, automatic drawing, transition), the global variables, every
// runtime room copy with its layers, views, instances (active, destroyed and
// deactivated) and tiles, and the instance and tile id counters. Resources,
// time, sounds, particles, data structures and input are not part of it.
//
// The module keeps no state of its own: saving reads the play state, and a
// load replaces it as a whole or not at all.
#pragma once

#include <cstdint>
#include <string>

// The number that begins a saved game and each of its room records.
constexpr int32_t SAVEGAME_VERSION = 540;

// The file the F5 and F6 keys use: "_save" + the game id + ".sav".
std::string SaveGame_KeyFile();

// Writes the play state to `name`, a game's file name (it goes through the
// path layer). In secure mode a name with a folder part is refused. The
// file is replaced only once the new one is complete on disk, so a save
// that fails or is cut short leaves the previous file as it was. Failures
// are reported as non-stopping errors; true when the file was written.
bool SaveGameToFile(const std::string& name);

// Reads the saved game `name` and replaces the play state with it; the game
// continues in the saved room without room, create or start events. A
// missing file does nothing and reports nothing. A file that cannot be read,
// was written by another version or another game, or is damaged (cut short,
// counts larger than the file, a room or variable record of another
// version, no copy of the saved current room) is reported as a non-stopping
// error and changes nothing. True when the state was replaced. The window
// region is the caller's (it belongs to the drawing layer).
bool LoadGameFromFile(const std::string& name);

