// Code_Phase2: name resolution, the second phase of compiling. Every name
// becomes a function (when `(` follows), a constant or a variable; numbers and
// strings become constants.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
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

// A resolved token. A constant's value is `real` or `text` as `id` says
// (VALUE_REAL or VALUE_STRING); the token stays trivially copyable.
struct RToken2 {
  int32_t kind;
  int32_t id;  // function id (TOKEN_FUNCTION), variable id (TOKEN_VARIABLE), value kind (TOKEN_CONSTANT)
  int32_t position;
  double real;
  std::string_view text;  // views the source text or the list's own texts

  RValue Value() const { return id == VALUE_STRING ? RValue(std::string(text)) : RValue(real); }
};

struct RTokenList2 {
  std::vector<RToken2> tokens;
  std::deque<std::string> texts;  // string constants that are not in the source
};

// Resolves the tokens in order. Fails at the first function name that names
// nothing: "Unknown function or script: " + name.
bool Resolve(const CCode& code, const RTokenList1& in, RTokenList2& out);
