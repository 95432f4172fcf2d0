#include "variables/Builtin_Listing.h"

#include <charconv>

#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

void Builtins_PrintListing(FILE* out) {
  for (int32_t id = 0; id < Function_Count(); id++)
    std::fprintf(out, "function %s %d\n", Function_Name(id).c_str(), Function_ArgCount(id));
  for (int32_t id = 0; id < Variable_BuiltinCount(); id++)
    std::fprintf(out, "variable %s\n", BuiltinNameOf(id).c_str());
  for (int32_t i = 0; i < Constant_Count(); i++) {
    const RValue& value = Constant_Value(i);
    if (value.IsString()) {
      std::fprintf(out, "constant %s %s\n", Constant_Name(i).c_str(), value.str.c_str());
      continue;
    }
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value.real).ptr;
    std::fprintf(out, "constant %s %.*s\n", Constant_Name(i).c_str(), static_cast<int>(end - text), text);
  }
}
