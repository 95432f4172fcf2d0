// The modules that register built-in functions, in registration order. Each
// module defines its Register function next to its table.
#pragma once

#include <array>

void Function_File_Register();
void Function_Input_Register();
void Function_Graphics_Register();

// Called by RegisterAllFunctions in this order; a function's id depends on it.
// Add a module's Register function here when the module lands.
inline constexpr std::array<void (*)(), 3> kFunctionModules{Function_File_Register, Function_Input_Register,
                                                            Function_Graphics_Register};
