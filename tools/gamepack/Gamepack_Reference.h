// Gamepack_Reference: the reference for authors (docs/reference.md), made
// from the engine's own registry so that it always says what the engine
// provides: every built-in function with its argument count, grouped by the
// module that registers it; every built-in variable, grouped as registered,
// with the read-only ones marked; every constant with its value, grouped by
// prefix; and the words a project may use for numbers.
#pragma once

#include <string>

// The Markdown text. The built-ins must be registered
// (Gamepack_RegisterBuiltins) and no game's names or constants added.
std::string Gamepack_Reference();
