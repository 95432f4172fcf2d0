// DataNew_Extension: what a package record means beyond its bytes, shared by
// the engine, which runs packages, and the authoring companion, which checks
// them: the names as the engine reads them, the rules that keep a package's
// function ids and file names usable, and the sections of a script file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataNew_Class.h"

// Kinds of a package file.
enum : int32_t {
  EXTENSION_FILE_LIBRARY = 1,  // a dynamic library, written out
  EXTENSION_FILE_SCRIPT = 2,   // script text whose sections are functions
  EXTENSION_FILE_NONE = 3,     // no content
  EXTENSION_FILE_OTHER = 4,    // any other file, written out
};
// Argument and result types of a package function.
enum : int32_t { EXTENSION_TYPE_STRING = 1, EXTENSION_TYPE_REAL = 2 };
// Function ids lie below this: the compiler's ids (500000 + id) stay within
// 32 bits and the engine's tables by id stay small.
inline constexpr int32_t kExtensionIdLimit = 1000000;

// The text without the characters up to 32 (spaces, tabs, line breaks) at
// either end.
std::string_view DataNew_Trim(std::string_view text);

// Normalises the functions of a package as the engine reads them: names and
// external names trimmed, an empty external name taken from the name, and
// every argument type real when there are more than 4 arguments.
void DataNew_NormaliseExtension(RExtensionPackage& package);

// Whether the package has files that are written into its folder (libraries
// and other files).
bool DataNew_ExtensionWritesFiles(const RExtensionPackage& package);

// Why the packages cannot run, or "" when they can: a function id outside 0
// to kExtensionIdLimit - 1 or used twice (which would send calls to the wrong
// function), or the folder or name of a file that is written out that is not
// a plain name (which would write outside the package's folder).
std::string DataNew_CheckExtensions(const std::vector<RExtensionPackage>& packages);

// One function's code in a script file.
struct RExtensionSection {
  std::string name;
  std::string text;  // lines joined with carriage return and line feed
  int32_t line = 0;  // the line of the file that starts it (its #define), from 1
};
// The sections of a script file: lines end at carriage returns (line feeds
// are dropped); each line that begins with "#define" starts a section named
// by the rest of that line after its first seven characters, trimmed; the
// section holds the lines up to the next such line. Lines before the first
// one are ignored.
std::vector<RExtensionSection> DataNew_ExtensionSections(std::span<const uint8_t> text);
