// Function_Resource: built-in functions on the resource tables.
#include "code/Script_Main.h"
#include "variables/Code_Function.h"
#include "variables/Function_Modules.h"

namespace {

void F_ScriptExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ScriptExists(ArgInt(args, 0)) ? 1.0 : 0.0);
}

void F_ScriptGetName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(ScriptNameOf(ArgInt(args, 0)));
}

void F_ScriptGetText(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CScript* script = Script_Get(ArgInt(args, 0));
  result.SetString(script ? script->Text() : std::string());
}

constexpr RFunctionDef kFunctions[] = {
    {"script_exists", F_ScriptExists, 1},
    {"script_get_name", F_ScriptGetName, 1},
    {"script_name", F_ScriptGetName, 1},
    {"script_get_text", F_ScriptGetText, 1},
};

}  // namespace

void Function_Resource_Register() { RegisterFunctions(kFunctions); }
