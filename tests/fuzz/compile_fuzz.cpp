// Any text compiles, or fails with a recorded message, both as a program and
// as an expression; a floating-point fault while folding is the one other
// outcome. The language's golden scripts (tests/language) seed it too.
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

// The names the golden scripts use, so that their seeds compile.
void RegisterNames() {
  auto nothing = [](CInstance*, CInstance*, int, RValue*, RValue&) {};
  RegisterFunction("test_two", nothing, 2);
  RegisterFunction("test_any", nothing, -1);
  RegisterFunction("print", nothing, -1);
  RegisterFunction("count_args", nothing, -1);
  RegisterVariable("test_builtin", [](CInstance*, int32_t, RValue&) { return true; }, nullptr);
  Resource_SetName(RESOURCE_SCRIPT, 0, "scr_move");
  Resource_SetName(RESOURCE_OBJECT, 0, "obj_none");
  Resource_SetName(RESOURCE_OBJECT, 1, "obj_wall");
  DefineConstant("self", RValue(-1.0));
  DefineConstant("other", RValue(-2.0));
  DefineConstant("global", RValue(-5.0));
  DefineConstant("true", RValue(1.0));
  DefineConstant("c_text", RValue(std::string("txt")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = (RegisterNames(), true);
  (void)registered;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool expression : {false, true}) {
    CCode code(text, expression);
    ClearRecordedError();
    try {
      if (!code.Compile() && !ErrorRecorded()) __builtin_trap();
    } catch (const CFloatFault&) {
    }
  }
  return 0;
}
