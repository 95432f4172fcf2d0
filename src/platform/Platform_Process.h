// Platform_Process: starting other programs. Arguments are passed as they
// are, never through a shell, so texts from games stay plain arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Splits a command-line text the way the original platform's programs
// split theirs: blanks separate arguments, double quotes group blanks into
// one argument, and \" stands for a quote.
std::vector<std::string> Process_SplitArguments(const std::string& text);

// Starts args[0] with the other arguments in `directory` (empty: the
// current one). A bare name is looked up on PATH; anything with a folder is
// taken as it is. With wait, returns only after the program ended,
// processing window messages every 50 ms. False when it could not start.
// Programs not waited for are collected once they end.
bool Process_Start(std::vector<std::string> args, const std::string& directory, bool wait);

// Runs the program to its end and returns what it printed on stdout
// (trailing line breaks removed; stderr is discarded) with its exit status;
// nothing when it could not start.
std::optional<std::string> Process_Capture(const std::vector<std::string>& args, int& status);

// Lets the desktop open a document or an address (xdg-open).
bool Process_OpenWithDesktop(const std::string& target, const std::string& directory);
