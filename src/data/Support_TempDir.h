// Support_TempDir: the per-run temporary directory "vl_ttt_N", where
// included files, sounds and extension packages are written while the game
// runs. It is removed, with what is inside it, when the game ends.
#pragma once

#include <string>

// Creates the directory under $TMPDIR (else /tmp), falling back to /tmp and
// then the current directory. False when all fail: the caller shows "Failed
// to create temp dir. This can cause serious problems with sounds, etc." and
// the game goes on without one.
bool TempDir_Create();
// Removes the directory and the files inside it.
void TempDir_Remove();
// The directory's path without a trailing separator; empty when there is none.
const std::string& TempDir_Path();
// A fresh file name in the directory: "a", a random number below 100000 and
// the extension; the file is not created.
std::string TempDir_NewFileName(const std::string& extension);
