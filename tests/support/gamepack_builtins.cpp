// The test program links the engine, so gamepack's code checks use the
// engine's own registry.
#include "gamepack/Gamepack_Check.h"
#include "runner/Builtins_Main.h"

void Gamepack_RegisterBuiltins() { Builtins_RegisterAll(); }
