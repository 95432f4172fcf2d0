# Turns the runner's built-in listing (IN) into a C++ file (OUT) that defines
# the text gamepack registers its names from.
file(READ "${IN}" listing)
file(WRITE "${OUT}" "// Generated at build time from `runner --builtins`.\n"
  "extern const char* const kGamepackBuiltinListing;\n"
  "const char* const kGamepackBuiltinListing = R\"VL_LISTING(${listing})VL_LISTING\";\n")
