// Code_Exec: the interpreter. Runs a compiled CCode for a self and an other
// instance. At its first run a code's tree is turned into a form prepared
// for speed (resolved variable kinds, looked-up built-ins and scripts, fast
// paths for real arithmetic); every observable behaviour is that of the tree.
#pragma once

#include <cstdint>

#include "code/RValue.h"
#include "variables/Variable_Main.h"

class CCode;
class CInstance;

// Status codes of statements and expressions.
enum : int32_t {
  EXEC_OK = 0,
  EXEC_ERROR = -1,     // the message is in the error recorder
  EXEC_EXIT = -2,      // exit or return
  EXEC_BREAK = -3,
  EXEC_CONTINUE = -4,
};

// Runs a code; its value (the last assignment, call statement or return of a
// program, the value of an expression) goes to `dest`. False on a run-time
// error, whose message is then in the error recorder. A floating-point fault
// (CFloatFault) passes through.
bool Execute(CInstance* self, CInstance* other, CCode& code, RValue& dest);
// Execute, and on failure reports the message as a non-fatal action error
// and clears the recorder.
bool ExecuteReporting(CInstance* self, CInstance* other, CCode& code, RValue& dest);
// Execute, and on failure sets `dest` to the string "ERROR".
bool ExecuteValue(CInstance* self, CInstance* other, CCode& code, RValue& dest);

// The 16 argument slots of the running script (argument0 .. argument15).
RValue* Exec_Arguments();
// Runs a called piece of code with ExecuteValue while `frame` (16 slots)
// serves as the argument slots; the caller's slots are back afterwards, and
// when a fault passes through they keep the frame's values.
bool Exec_CallCode(CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame);
// Exec_CallCode for script `index` (its compiled `code`); a failure prefixes
// the recorded message with "In script NAME:\r".
bool Exec_CallScript(int32_t index, CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame);

struct RExecFrameSlots;

// Fresh argument slots (16, real 0) for a call being prepared. Frames come
// from a pool kept per nesting level: taking one allocates nothing once its
// level has been used, and clears only the slots its last use may have
// changed. Frames are scoped: the last one taken is released first.
class CExecFrame {
 public:
  CExecFrame();
  ~CExecFrame();
  CExecFrame(const CExecFrame&) = delete;
  CExecFrame& operator=(const CExecFrame&) = delete;

  RValue* Slots() const { return m_Slots; }
  // Declares the first `count` slots the only ones filled. Unless a slot is
  // written otherwise before the frame is released (the argument variables,
  // Exec_Arguments, a fault through a script call), its next use clears only
  // those. A frame never sealed is cleared whole.
  void Seal(int32_t count);
  // Runs `code` with ExecuteReporting while the frame serves as the argument
  // slots; the caller's slots are back afterwards, untouched, also when a
  // fault passes through.
  bool RunReporting(CInstance* self, CInstance* other, CCode& code, RValue& dest);

 private:
  RExecFrameSlots* m_Frame;
  RValue* m_Slots;
  int32_t m_Sealed = -1;  // the sealed count, -1 before Seal
  uint64_t m_Writes = 0;  // the slot write count at Seal
};

// The built-in variables `argument` (an array; an index outside 0 to 15
// reaches slot 0) and `argument0` to `argument15`, in that order, for the
// built-in variable table.
extern const RVariableDef EXEC_ARGUMENT_VARIABLES[17];

// Calls to extension functions (ids from 500000) go through this hook, set
// by the extension module: function index, self, other, destination,
// argument slots (16: the first `count` hold the arguments, the others real
// 0; a function made of code runs with them as its argument slots), count;
// false fails the calling code.
using ExtensionCaller = bool (*)(int32_t index, CInstance* self, CInstance* other, RValue& dest, RValue* args,
                                 int count);
void Exec_SetExtensionCaller(ExtensionCaller caller);
// Calls extension function `index` through the hook, as a call in code does,
// with 16 argument slots as the hook takes them. False, with nothing
// recorded, when no hook is set.
bool Exec_CallExtension(int32_t index, CInstance* self, CInstance* other, RValue& dest, RValue* args, int count);

// For tests that hold the fast paths against the plain tree walker: codes
// prepared for their first run while this is on run every node through the
// general path (no numeric paths, counted loops, lent arguments or owed
// results). Off at program start.
void Exec_UsePlainWalker(bool plain);
