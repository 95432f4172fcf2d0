#include "code/Script_Main.h"

#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "data/Resource_Names.h"
#include "variables/Code_Function.h"

namespace {

std::vector<std::unique_ptr<CScript>> g_Scripts;

}  // namespace

CScript::CScript(CStream block) : m_Block(std::move(block)) {}

std::string CScript::Text() const {
  CStream copy(m_Block.Bytes());
  SubstituteForward(copy, SCRIPT_TEXT_SEED, 0, 0);
  copy.SetPosition(0);
  try {
    return copy.ReadString();
  } catch (const CStreamError&) {
    // A block too short for its length prefix holds no text.
    return std::string();
  }
}

bool CScript::Compile() {
  // Made once: prepared calls keep a pointer to the script's code.
  if (!m_Code) m_Code = std::make_unique<CCode>(Text(), false);
  return m_Code->IsCompiled() || m_Code->Compile();
}

void ClearScripts() {
  g_Scripts.clear();
  Resource_ClearNames(RESOURCE_SCRIPT);
}

int32_t AddScript(const std::string& name, const std::string& text) {
  CStream plain;
  plain.WriteString(text);
  // Stored scrambled like a script read from a game file.
  RSubstitution table = BuildSubstitution(SCRIPT_TEXT_SEED);
  for (uint8_t& b : plain.Bytes()) b = table.backward[b];
  int32_t index = static_cast<int32_t>(g_Scripts.size());
  g_Scripts.push_back(std::make_unique<CScript>(std::move(plain)));
  Resource_SetName(RESOURCE_SCRIPT, index, name);
  return index;
}

int32_t AddEmptyScript() {
  int32_t index = static_cast<int32_t>(g_Scripts.size());
  g_Scripts.emplace_back();
  Resource_SetName(RESOURCE_SCRIPT, index, "");
  return index;
}

bool CompileScripts() {
  for (int32_t i = 0; i < ScriptCount(); i++) {
    if (!g_Scripts[i] || g_Scripts[i]->Compile()) continue;
    ReportError("COMPILATION ERROR in Script: " + ScriptNameOf(i) + "\r" + RecordedError(), true);
    return false;
  }
  return true;
}

int32_t ScriptCount() { return static_cast<int32_t>(g_Scripts.size()); }

int32_t ScriptIndexOf(const std::string& name) {
  int32_t index = Resource_IndexOf(RESOURCE_SCRIPT, name);
  return ScriptExists(index) ? index : -1;
}

bool ScriptExists(int32_t index) { return index >= 0 && index < ScriptCount() && g_Scripts[index]; }

const std::string& ScriptNameOf(int32_t index) {
  static const std::string kUndefined = "<undefined>";
  return ScriptExists(index) ? Resource_Name(RESOURCE_SCRIPT, index) : kUndefined;
}

CScript* Script_Get(int32_t index) { return ScriptExists(index) ? g_Scripts[index].get() : nullptr; }

bool Script_CallFrame(int32_t index, CInstance* self, CInstance* other, RValue& dest, RValue* frame) {
  CScript* script = Script_Get(index);
  if (!script || !script->Code()) return false;
  return Exec_CallScript(index, *script->Code(), self, other, dest, frame);
}

bool CallScript(int32_t index, CInstance* self, CInstance* other, RValue& dest, const RValue* args, int count) {
  RValue frame[MAX_ARGUMENTS];
  for (int i = 0; i < count && i < MAX_ARGUMENTS; i++) frame[i] = args[i];
  return Script_CallFrame(index, self, other, dest, frame);
}
