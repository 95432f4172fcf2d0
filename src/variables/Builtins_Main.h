// Builtins_Main: registering everything scripts can name before any game data
// is read: built-in variables, functions and constants.
#pragma once

// Registers the built-in variables, functions and constants, once.
void Builtins_RegisterAll();
