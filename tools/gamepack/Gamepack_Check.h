// Gamepack_Check: compiles every piece of code of a game as the engine's load
// sequence will, so that a project whose code does not compile is not built.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "data/DataNew_Class.h"

// Throws CGamepackError naming the field, the file the code came from (from
// `codeFiles`, by field path) and the compiler's message with its line.
// Calls of functions the engine does not provide yet are not errors: each
// such name is added to `warnings` once.
void Check_CompileCode(const RGameData& game, const std::map<std::string, std::string>& codeFiles,
                       std::vector<std::string>& warnings);

// Registers the engine's built-in functions, variables and constants by name,
// so that code can be compiled. Every program that links gamepack provides
// it: gamepack itself from the listing the runner printed at build time, a
// program that links the engine from the engine's own registry.
void Gamepack_RegisterBuiltins();
// Registers the names of a `runner --builtins` listing ("function NAME ARGC",
// "variable NAME" lines; constants come from the core) with callbacks that
// do nothing: the code is compiled, never run.
void Gamepack_RegisterListing(const char* listing);
