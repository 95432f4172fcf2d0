#include "runner/Builtins_Listing.h"

#include <charconv>

#include "runner/Builtins_Main.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

void Builtins_PrintListing(FILE* out) {
  Builtins_RegisterAll();
  for (int32_t i = 0; i < Function_Count(); i++)
    std::fprintf(out, "function %s %d %s\n", Function_Name(i).c_str(), Function_ArgCount(i),
                 Function_Module(i).c_str());
  for (int32_t i = 0; i < Variable_BuiltinCount(); i++)
    std::fprintf(out, "variable %s %s %s\n", BuiltinNameOf(i).c_str(), Variable_Group(i).c_str(),
                 Variable_Setter(i) ? "rw" : "ro");
  for (int32_t i = 0; i < Constant_Count(); i++) {
    const RValue& v = Constant_Value(i);
    if (v.IsString()) {
      std::fprintf(out, "constant %s %s\n", Constant_Name(i).c_str(), v.str.c_str());
      continue;
    }
    // The shortest text that reads back as the same real: 3.141592653589793.
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, v.real).ptr;
    std::fprintf(out, "constant %s %.*s\n", Constant_Name(i).c_str(), static_cast<int>(end - text), text);
  }
}
