// Script_Main: the script table. Each slot holds a CScript (its stored text
// block and its compiled code) or is empty; the names live in the resource
// name table under RESOURCE_SCRIPT, so the compiler finds scripts by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "code/Code_Main.h"
#include "data/Support_Stream.h"

class CInstance;

// The seed that scrambles every script's stored text.
constexpr int32_t SCRIPT_TEXT_SEED = 40913;

class CScript {
 public:
  // Takes the stored (scrambled) text block of the script record.
  explicit CScript(CStream block);
  // The source text: the block unscrambled, then one length-prefixed
  // string read from its start.
  std::string Text() const;
  // The compiled code; made by Compile.
  CCode* Code() const { return m_Code.get(); }
  // Creates the code from the text (once) and compiles it as a program.
  bool Compile();

 private:
  CStream m_Block;
  std::unique_ptr<CCode> m_Code;
};

// Empties the table and its names.
void ClearScripts();
// Appends a slot holding a script made from plain text (kept scrambled as
// the game file stores it), or an empty slot; the new index. The load
// sequence fills the table this way from the records it read.
int32_t AddScript(const std::string& name, const std::string& text);
int32_t AddEmptyScript();
// Compiles every present script in index order. The first failure raises
// the fatal "COMPILATION ERROR in Script: " report and returns false.
bool CompileScripts();

// Number of slots, present or not.
int32_t ScriptCount();
// The first present script with exactly that name, else -1.
int32_t ScriptIndexOf(const std::string& name);
// Whether the index is a present slot.
bool ScriptExists(int32_t index);
// The script's name, or "<undefined>".
const std::string& ScriptNameOf(int32_t index);
// The script of a present slot, else null.
CScript* Script_Get(int32_t index);

// Runs script `index` for self and other with `count` arguments: the 16
// argument slots are saved, take the arguments (the rest real 0), and are
// restored afterwards. The script's value goes to `dest`. A missing script
// fails without a message; a failing script prefixes the recorded message
// with "In script NAME:\r".
bool CallScript(int32_t index, CInstance* self, CInstance* other, RValue& dest, const RValue* args, int count);
// The same with the arguments already in a frame of 16 slots (the unused
// ones real 0); the frame becomes the argument slots for the call.
bool Script_CallFrame(int32_t index, CInstance* self, CInstance* other, RValue& dest, RValue* frame);
