// Builtin_Listing: the listing of everything scripts can reach by name, for
// `runner --builtins`: one line per registered function ("function NAME
// ARGC"), built-in variable ("variable NAME") and constant ("constant NAME
// VALUE"), in registration order. A real prints in its shortest exact form
// (integers without decimals), a string as it stands.
#pragma once

#include <cstdio>

void Builtins_PrintListing(FILE* out);
