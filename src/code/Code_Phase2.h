// Code_Phase2: name resolution, the second phase of compiling. Every name
// becomes a function (when `(` follows), a constant or a variable; numbers and
// strings become constants.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Phase1.h"
#include "code/RValue.h"

class CCode;

// Token kinds after resolution; everything else keeps its token code.
enum : int32_t {
  TOKEN_CONSTANT = 5,
  TOKEN_FUNCTION = 6,
  TOKEN_VARIABLE = 7,
};

struct RToken2 {
  int32_t kind;
  int32_t id;      // function id (TOKEN_FUNCTION) or variable id (TOKEN_VARIABLE)
  RValue value;    // the constant (TOKEN_CONSTANT)
  int32_t position;
};
using RTokenList2 = std::vector<RToken2>;

// Resolves the tokens in order. Fails at the first function name that names
// nothing: "Unknown function or script: " + name.
bool Resolve(const CCode& code, const RTokenList1& in, RTokenList2& out);
