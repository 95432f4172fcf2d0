// The modules that register built-in functions, in registration order. Each
// module defines its Register function next to its table.
#pragma once

#include <array>

// Called by RegisterAllFunctions in this order; a function's id depends on it.
// Add a module's Register function here when the module lands.
void Function_Resource_Register();

inline constexpr std::array<void (*)(), 1> kFunctionModules{
    Function_Resource_Register,
};
