// Runner_Reset: the two calls that put the engine's mutable state back, so
// that no module has to know which others keep state. src/STATE.md lists
// every global with the call that resets it.
#pragma once

// A game start and a restart: the global variables with their globalvar
// flags, the game-wide values (score, lives, caption, transition, cursor;
// health keeps its value) and a new random seed from the clock. Everything
// else a restart keeps, as games rely on: data structures, particle systems,
// surfaces, open files, playing sounds, and what the load read.
void Runner_ResetGame();

// A new game in the same process (test fixtures start from here): every
// state back to how the program starts once the built-ins are registered.
// The game and its room are dropped without their events and the debugger
// closes; the resource
// tables, scripts, user constants, settings and game identity are emptied;
// data structures, particles, paths, grids, surfaces, models, sounds, CD,
// multiplayer sessions, included files and libraries are released; errors,
// input, drawing, 3D and transition state return to their start values; the
// hooks installed at start are installed again. The built-in registries, the
// window, the drawing device and the caches stay.
void Runner_ResetAll();
