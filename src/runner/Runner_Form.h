// Runner_Form: the program's entry, from an empty process to a running game
// and back: the runner's own options, finding the game, start-up and shut-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Options of the runner itself; the game never sees them.
struct RRunnerOptions {
  int64_t max_steps = -1;   // end the game after this many steps (-1: never)
  bool unthrottled = false; // steps back to back without the frame wait
  bool report = false;      // print a summary of the run on stdout
  bool debug = false;       // run the game under the debugger, as a game marked for it does
};
extern RRunnerOptions RunnerOptions;

// The game's command line: the game file, then the game's own arguments.
const std::vector<std::string>& Runner_CommandLine();

// Exit statuses of the process.
enum : int {
  EXIT_GAME_ENDED = 0,
  EXIT_LOAD_FAILED = 1,
  EXIT_USAGE = 2,
  EXIT_GAME_ERROR = 3,
};

// Runs the program with its command line; returns the process exit status.
int Runner_Main(int argc, char** argv);
