// Support_Path: the path layer. Games name files the way their original
// platform did: "\" as separator, drive letters, names in any letter case.
// Every built-in that takes a file name passes it through Path_Resolve before
// touching the disk.
#pragma once

#include <string>
#include <string_view>

// Whether a game's file name carries a folder part ("\" or "/"); secure mode
// refuses such names for writing.
bool Path_HasFolder(std::string_view name);

// The native path of a game's file name: "\" becomes "/", a drive letter
// ("C:") is dropped so that "C:\x" names "/x", and every component that does
// not exist as written is looked up case-insensitively in its folder. A
// component that is not found at all is kept as written (the file may be
// about to be created), and so is everything after it.
std::string Path_Resolve(std::string_view name);

// Replaces the file at `path` with `data` so that a crash at any moment
// leaves either the old or the new content: the bytes go to a temporary file
// in the same folder which is then renamed over the target. A symbolic link
// is followed, and an existing file keeps its permissions. With `durable`
// the bytes reach the disk before the rename, so that a crash of the whole
// system cannot leave an empty file either (it costs a disk flush: for files
// that matter more than the time, such as saved games). False on any
// failure, with the target untouched.
bool Path_ReplaceFile(const std::string& path, std::string_view data, bool durable = false);

// Whether a native path names something that exists and is not a folder.
bool Path_IsFile(const std::string& path);

// Reads a whole file; false when it cannot be opened or read.
bool Path_ReadFile(const std::string& path, std::string& out);

// Case-insensitive comparison of ASCII letters, as the original platform
// compares file names, INI sections and keys, and registry names.
bool Path_EqualNoCase(std::string_view a, std::string_view b);
