// Code_Operator: the conversions of values and the operators of the script
// language. The compiler folds constants and the interpreter computes with the
// same functions, so both give the same value and the same error.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "code/RValue.h"

class CCode;

// Operator codes, the same numbers as their tokens.
enum : int32_t {
  OP_EQUAL_SIGN = 101,  // a single `=` inside an expression: equal
  OP_AND = 201,         // && and
  OP_OR = 202,          // || or
  OP_NOT = 203,         // ! not (unary)
  OP_LESS = 204,
  OP_LESS_EQUAL = 205,
  OP_EQUAL = 206,       // ==
  OP_NOT_EQUAL = 207,   // != <>
  OP_GREATER_EQUAL = 208,
  OP_GREATER = 209,
  OP_PLUS = 210,        // add, concatenate, unary plus
  OP_MINUS = 211,       // subtract, unary minus
  OP_MULTIPLY = 212,    // multiply, repeat text
  OP_DIVIDE = 213,
  OP_DIV = 214,         // integer quotient
  OP_MOD = 215,
  OP_XOR = 216,         // ^^ xor
  OP_BIT_OR = 217,
  OP_BIT_AND = 218,
  OP_BIT_XOR = 219,
  OP_BIT_NOT = 220,     // ~ (unary)
  OP_SHIFT_LEFT = 221,
  OP_SHIFT_RIGHT = 222,
};

// The longest text that repeating a text with `*` may make.
constexpr size_t OPERATOR_MAX_REPEAT_LENGTH = size_t{1} << 28;

// The text of a real as the built-in `string` gives it: an integral real as
// an integer, else up to 10 significant digits with exactly two decimals
// shown, or exponent notation beyond 10 digits before the point. `separator`
// replaces the decimal point (the locale's, for drawn text). Raises
// CFloatFault for a real beyond the signed 64-bit range.
std::string RealToText(double real, char separator = '.');

// The real of a text as the built-in `real` gives it. Blank text gives 0;
// text that is no decimal number gives 0 and reports "Error in function
// real()." as a non-fatal action error. Raises CFloatFault on overflow.
double TextToReal(std::string_view text);

// Apply an operator in place: the result replaces `value` (or `left`). On a
// failure the operands are left as they were, the message is recorded for
// `code` at `position`, and false is returned. Real arithmetic raises
// CFloatFault instead of giving an infinity or a not-a-number.
bool UnaryOperation(const CCode& code, int32_t position, int32_t op, RValue& value);
bool BinaryOperation(const CCode& code, int32_t position, int32_t op, RValue& left, const RValue& right);

// ---------------------------------------------------------------------------
// Real arithmetic, shared by BinaryOperation and the interpreter's fast paths
// so that both compute alike. Intermediate results carry a 64-bit mantissa
// (the x87 extended type) and are stored as doubles, which also reproduces
// the double rounding of the engine's floating-point mode.

static_assert(LDBL_MANT_DIG == 64, "script arithmetic needs the 80-bit extended type");

// An extended result stored into a double; beyond the double range it faults.
inline double Operator_Store(long double x) { return CheckReal(static_cast<double>(x)); }

// The integer quotient of div and mod: truncated toward zero, as a signed
// 32-bit integer; a quotient outside that range faults.
inline int32_t Operator_Quotient(double l, double r) {
  long double q = std::trunc(static_cast<long double>(l) / r);
  if (!(q >= INT32_MIN && q <= INT32_MAX)) throw CFloatFault{};
  return static_cast<int32_t>(q);
}

// Applies a binary operator to two reals in place. Returns false, leaving
// `l` unchanged, when there is no result: a zero divisor of `/`, div or mod,
// or a code that is no binary operator (BinaryOperation gives the message).
inline bool Operator_Real(int32_t op, double& l, double r) {
  switch (op) {
    case OP_PLUS: l = Operator_Store(static_cast<long double>(l) + r); return true;
    case OP_MINUS: l = Operator_Store(static_cast<long double>(l) - r); return true;
    case OP_MULTIPLY: l = Operator_Store(static_cast<long double>(l) * r); return true;
    case OP_DIVIDE:
      if (r == 0) return false;
      l = Operator_Store(static_cast<long double>(l) / r);
      return true;
    case OP_DIV:
      if (r == 0) return false;
      l = Operator_Quotient(l, r);
      return true;
    case OP_MOD:
      if (r == 0) return false;
      l = Operator_Store(l - static_cast<long double>(Operator_Quotient(l, r)) * r);
      return true;
    // Comparisons are exact: the sign of l - r, without its overflow.
    case OP_EQUAL_SIGN:
    case OP_EQUAL: l = l == r; return true;
    case OP_NOT_EQUAL: l = l != r; return true;
    case OP_LESS: l = l < r; return true;
    case OP_LESS_EQUAL: l = l <= r; return true;
    case OP_GREATER: l = l > r; return true;
    case OP_GREATER_EQUAL: l = l >= r; return true;
    case OP_AND: l = IsTrue(l) && IsTrue(r); return true;
    case OP_OR: l = IsTrue(l) || IsTrue(r); return true;
    case OP_XOR: l = IsTrue(l) != IsTrue(r); return true;
    case OP_BIT_OR: l = static_cast<double>(RoundToInt64(l) | RoundToInt64(r)); return true;
    case OP_BIT_AND: l = static_cast<double>(RoundToInt64(l) & RoundToInt64(r)); return true;
    case OP_BIT_XOR: l = static_cast<double>(RoundToInt64(l) ^ RoundToInt64(r)); return true;
    case OP_SHIFT_LEFT:
    case OP_SHIFT_RIGHT: {
      // Only the low 8 bits of the count matter: 0-63 shift, 64-127 clear,
      // 128-255 shift by the count modulo 32. A right shift is logical.
      uint64_t bits = static_cast<uint64_t>(RoundToInt64(l));
      uint32_t c = static_cast<uint32_t>(static_cast<uint64_t>(RoundToInt64(r))) & 0xFF;
      if (c >= 64 && c < 128) {
        bits = 0;
      } else {
        if (c >= 128) c %= 32;
        bits = op == OP_SHIFT_LEFT ? bits << c : bits >> c;
      }
      l = static_cast<double>(static_cast<int64_t>(bits));
      return true;
    }
    default: return false;
  }
}
