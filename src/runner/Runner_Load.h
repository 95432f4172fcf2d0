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

// The debugger, when the program has one (the debug layer installs it at
// program start): `show` makes its window and shows it before a game in
// debug mode runs; `close` lets go of its windows once the game is over.
struct RDebuggerHooks {
  void (*show)() = nullptr;
  void (*close)() = nullptr;
};
void Runner_SetDebugger(RDebuggerHooks hooks);
const RDebuggerHooks& Runner_Debugger();

// Progress of the loading window: percent of the bar and its label text.
void ShowProgress(int32_t percent, const std::string& text);
