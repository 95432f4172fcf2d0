// Runner_Load: the load sequence. Reads the game file section by section
// behind a loading window, prepares everything the game needs, runs it, and
// releases the platform's resources afterwards.
#pragma once

#include <cstdint>
#include <string>

class CStream;

// Loads, prepares and runs the game in the file; false when loading or
// preparing failed (its message has been shown).
bool StartUp(const std::string& game_file);
// Releases the drawing device, the sound system and the included files.
void ShutDown();

// The steps of StartUp, exposed for tests. Each shows its own failure message.
bool ReadGameFile(const std::string& game_file);
bool ReadGameData(CStream& stream);
bool LoadResources(CStream& stream);
bool PrepareGame();

// Progress of the loading window: percent of the bar and its label text.
void ShowProgress(int32_t percent, const std::string& text);
