// Code_Operator: the conversions of values and the operators of the script
// language. The compiler folds constants and the interpreter computes with the
// same functions, so both give the same value and the same error.
#pragma once

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
