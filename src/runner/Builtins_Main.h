// Builtins_Main: everything scripts can name and reach, made ready before any
// game data is read: the built-in variables, functions and constants, the
// world the language runs in, the reporter of script errors, and the hooks
// through which the step reaches the runner.
#pragma once

// Registers the built-in variables, every module's functions in the engine's
// fixed module order, and the constants; installs the world's access for the
// language, the error window and the function keys. Only the first call does
// anything.
void Builtins_RegisterAll();
// Installs those three hooks again, as the program starts with them (a test
// may have replaced one).
void Builtins_InstallHooks();
