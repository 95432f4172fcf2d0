// Any text compiles, or fails with a recorded message; a floating-point fault
// while folding is the one other outcome. The first byte chooses program or
// expression.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "code/Code_Error.h"
#include "code/Code_Main.h"
#include "data/Resource_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace {

void RegisterNames() {
  auto nothing = [](CInstance*, CInstance*, int, RValue*, RValue&) {};
  RegisterFunction("fn_two", nothing, 2);
  RegisterFunction("fn_any", nothing, -1);
  RegisterVariable("builtin_x", [](CInstance*, int32_t, RValue&) { return true; }, nullptr);
  Resource_SetName(RESOURCE_SCRIPT, 0, "scr_a");
  Resource_SetName(RESOURCE_OBJECT, 0, "obj_a");
  DefineConstant("self", RValue(-1.0));
  DefineConstant("c_text", RValue(std::string("text")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = (RegisterNames(), true);
  (void)registered;
  if (size == 0) return 0;
  bool expression = data[0] & 1;
  CCode code(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), expression);
  try {
    if (!code.Compile() && !ErrorRecorded()) __builtin_trap();
  } catch (const CFloatFault&) {
  }
  return 0;
}
