// Helpers for tests that play whole games: writing game files behind the
// 1980000-byte prefix and running the runner on them.
#pragma once

#include <string>
#include <vector>

#include "data/DataNew_Class.h"

// A game with one empty room in the room order.
RGameData TestGame_OneRoom();
// A fresh path in the test's own temporary folder.
std::string TestGame_Path(const std::string& name);
// Writes the game behind the prefix; returns the path.
std::string TestGame_Write(const RGameData& game, const std::string& name);
// Writes raw bytes to a file; returns the path.
std::string TestGame_WriteBytes(const std::vector<uint8_t>& bytes, const std::string& name);

struct RRunResult {
  int status = -1;     // exit status of the runner
  std::string out;     // what it printed on stdout
  std::string err;     // what it printed on stderr
};
// Runs the runner headless with the arguments (shell-quoted by the caller).
RRunResult TestGame_Run(const std::string& arguments);
