// Gamepack_Check: compiles every piece of code of a game as the engine's load
// sequence will, so that a project whose code does not compile is not built,
// and finds the line of the manifest each finding is about.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/DataNew_Class.h"
#include "gamepack/Gamepack.h"

// Compiles the scripts, the code and argument expressions of every action,
// the creation codes and the library initialisation code. Every piece of
// code that does not compile adds an error naming its field; code that came
// from a file (`codeFiles`, file name by field path) names that file with the
// line and column. Calls of functions the engine does not provide yet, and
// action functions it does not know, are warnings (each name once).
void Check_CompileCode(const RGameData& game, const std::map<std::string, std::string>& codeFiles,
                       std::vector<RProjectNote>& notes);

// The line of every value in a manifest's text, by the field path that
// messages use ("rooms[0].instances[2].x").
class CManifestLines {
 public:
  // Nothing is known of a text that is not JSON.
  explicit CManifestLines(const std::string& text);
  // The line of the field, or of the nearest enclosing field the text has;
  // 0 when none is known.
  int32_t LineOf(std::string field) const;

 private:
  std::unordered_map<std::string, int32_t> m_Lines;
};

// Registers the engine's built-in functions, variables and constants by name,
// so that code can be compiled. Every program that links gamepack provides
// it: gamepack itself from the listing the runner printed at build time, a
// program that links the engine from the engine's own registry.
void Gamepack_RegisterBuiltins();
// Registers the names of a `runner --builtins` listing (its function and
// variable lines with their modules and groups; constants come from the
// core) with callbacks that do nothing: the code is compiled, never run.
void Gamepack_RegisterListing(const char* listing);
