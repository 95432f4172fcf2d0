// Code_Phase1: the tokenizer, the first phase of compiling a code. It splits
// the source into tokens with their positions; it knows nothing of names.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class CCode;

// Token codes. Operators carry the operator codes of Code_Operator (201-222,
// and 101 for `=` / `:=`).
enum : int32_t {
  TOKEN_END = -2,      // end of the text
  TOKEN_UNKNOWN = -1,  // a character that starts no token
  TOKEN_NAME = 0,
  TOKEN_NUMBER = 1,
  TOKEN_STRING = 2,
  TOKEN_BEGIN = 11,    // begin {
  TOKEN_FINISH = 12,   // end }
  TOKEN_IF = 13,
  TOKEN_THEN = 14,
  TOKEN_ELSE = 15,
  TOKEN_WHILE = 16,
  TOKEN_DO = 17,
  TOKEN_FOR = 18,
  TOKEN_UNTIL = 19,
  TOKEN_REPEAT = 20,
  TOKEN_EXIT = 21,
  TOKEN_BREAK = 22,
  TOKEN_CONTINUE = 23,
  TOKEN_WITH = 24,
  TOKEN_RETURN = 25,
  TOKEN_SWITCH = 26,
  TOKEN_CASE = 27,
  TOKEN_DEFAULT = 28,
  TOKEN_VAR = 29,
  TOKEN_GLOBALVAR = 30,
  TOKEN_ASSIGN = 101,  // = :=
  TOKEN_ADD_ASSIGN = 102,
  TOKEN_SUBTRACT_ASSIGN = 103,
  TOKEN_MULTIPLY_ASSIGN = 104,
  TOKEN_DIVIDE_ASSIGN = 105,
  TOKEN_OPEN = 106,    // (
  TOKEN_CLOSE = 107,   // )
  TOKEN_SEMICOLON = 108,
  TOKEN_COMMA = 109,
  TOKEN_OPEN_INDEX = 110,   // [
  TOKEN_CLOSE_INDEX = 111,  // ]
  TOKEN_DOT = 112,
  TOKEN_COLON = 113,
  TOKEN_OR_ASSIGN = 114,
  TOKEN_AND_ASSIGN = 115,
  TOKEN_XOR_ASSIGN = 116,
};

// One token. `text` views the characters as written (a string's content
// without its quotes) inside the text handed to Tokenize.
struct RToken1 {
  int32_t kind;
  int32_t position;  // 1-based; a string's opening quote
  std::string_view text;
};
using RTokenList1 = std::vector<RToken1>;

// Tokenizes `source`, the code's plain text followed by three spaces (which
// the caller keeps alive while the tokens are used). The list ends with the
// end token. Fails with "Unexpected symbol." recorded for `code`.
bool Tokenize(const CCode& code, std::string_view source, RTokenList1& tokens);

// The value of a number token's text: decimal digits with fraction points, or
// `$` and hexadecimal digits, accumulated with a 64-bit mantissa.
double Phase1_NumberValue(std::string_view text);
