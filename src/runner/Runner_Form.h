// Runner_Form: the program's entry, from an empty process to a running game
// and back.
#pragma once

// Runs the program with its command line; returns the process exit status.
int Runner_Main(int argc, char** argv);
