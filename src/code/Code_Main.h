// Code_Main: CCode, one piece of script (a program or an expression) that is
// compiled once into a code tree and run many times.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "code/Code_Tree.h"
#include "code/RValue.h"

// Kinds of a code.
enum : int32_t {
  CODE_PROGRAM = 1,
  CODE_EXPRESSION = 2,
  CODE_CONSTANT = 3,  // an expression folded to a constant: Value() holds it
};

// A form of the tree prepared by the interpreter for faster runs; the code
// owns it and destroys it with the tree.
struct CCodeExecForm {
  virtual ~CCodeExecForm() = default;
};

class CCode {
 public:
  // Stores the text (kept under a byte substitution) as a program or an
  // expression; not compiled yet.
  CCode(std::string_view text, bool is_expression);
  ~CCode();
  CCode(const CCode&) = delete;
  CCode& operator=(const CCode&) = delete;

  // Compiles the text into the tree. Fails with a recorded error (Code_Error)
  // on a compile error, and on a code that is already compiled. A failed
  // compile leaves the code uncompiled. May throw CFloatFault when folding a
  // constant faults.
  bool Compile();

  // The plain source text.
  std::string Text() const;

  bool IsCompiled() const { return m_Compiled; }
  // CODE_PROGRAM, CODE_EXPRESSION or CODE_CONSTANT.
  int32_t Kind() const { return m_Kind; }
  // Whether the code was created as an expression (kinds 2 and 3).
  bool IsExpression() const { return m_Kind != CODE_PROGRAM; }
  // The root of the tree (valid once compiled).
  const RToken& Root() const { return m_Root; }
  // The constant of a CODE_CONSTANT code.
  const RValue& Value() const { return m_Value; }

  // The interpreter's prepared form, if it made one.
  CCodeExecForm* ExecForm() const { return m_ExecForm.get(); }
  void SetExecForm(std::unique_ptr<CCodeExecForm> form) { m_ExecForm = std::move(form); }

 private:
  bool m_Compiled = false;
  int32_t m_Kind;
  std::string m_Text;  // substituted
  RToken m_Root;
  RValue m_Value;
  std::unique_ptr<CCodeExecForm> m_ExecForm;
};
