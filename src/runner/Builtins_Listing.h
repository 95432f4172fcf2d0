// Builtins_Listing: the engine's built-in names, one line each, as printed by
// `runner --builtins`: "function NAME ARGC", "variable NAME" and
// "constant NAME VALUE".
#pragma once

#include <cstdio>

void Builtins_PrintListing(FILE* out);
