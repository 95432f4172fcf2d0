// Support_File: the per-run temporary directory.
#pragma once

#include <string>

// Creates the run's temporary directory "vl_ttt_N" under $TMPDIR (else /tmp),
// falling back to the current directory. Shows "Failed to create temp dir.
// This can cause serious problems with sounds, etc." when all fail.
void TempDir_Create();
// Removes the directory and the files inside it.
void TempDir_Remove();
// The directory's path without a trailing separator; empty when there is none.
const std::string& TempDir_Path();
// A fresh file name in the directory: "a", a random number below 100000 and
// the extension; the file is not created.
std::string TempDir_NewFileName(const std::string& extension);
