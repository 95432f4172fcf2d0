// Builtins_Listing: the engine's built-in names, one line each, as printed by
// `runner --builtins`: "function NAME ARGC MODULE", "variable NAME GROUP
// rw|ro" (ro: read-only) and "constant NAME VALUE".
#pragma once

#include <cstdio>

void Builtins_PrintListing(FILE* out);
