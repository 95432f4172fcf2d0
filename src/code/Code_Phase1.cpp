#include "code/Code_Phase1.h"

#include <cfloat>
#include <utility>

#include "code/Code_Error.h"
#include "code/RValue.h"

namespace {

struct RKeyword {
  std::string_view word;
  int32_t code;
};

constexpr RKeyword kKeywords[] = {
    {"begin", 11},  {"end", 12},      {"if", 13},       {"then", 14},      {"else", 15},
    {"while", 16},  {"do", 17},       {"for", 18},      {"until", 19},     {"repeat", 20},
    {"exit", 21},   {"break", 22},    {"continue", 23}, {"with", 24},      {"return", 25},
    {"switch", 26}, {"case", 27},     {"default", 28},  {"var", 29},       {"globalvar", 30},
    {"and", 201},   {"or", 202},      {"not", 203},     {"div", 214},      {"mod", 215},
    {"xor", 216},
};

struct RTwoChar {
  char first, second;
  int32_t code;
};

constexpr RTwoChar kTwoCharTokens[] = {
    {':', '=', 101}, {'+', '=', 102}, {'-', '=', 103}, {'*', '=', 104}, {'/', '=', 105},
    {'&', '&', 201}, {'|', '|', 202}, {'<', '=', 205}, {'=', '=', 206}, {'!', '=', 207},
    {'<', '>', 207}, {'>', '=', 208}, {'|', '=', 114}, {'&', '=', 115}, {'^', '=', 116},
    {'<', '<', 221}, {'>', '>', 222}, {'^', '^', 216},
};

constexpr std::pair<char, int32_t> kOneCharTokens[] = {
    {'!', 203}, {'&', 218}, {'(', 106}, {')', 107}, {'*', 212}, {'+', 210}, {',', 109}, {'-', 211},
    {'.', 112}, {'/', 213}, {':', 113}, {';', 108}, {'<', 204}, {'=', 101}, {'>', 209}, {'[', 110},
    {']', 111}, {'^', 219}, {'{', 11},  {'|', 217}, {'}', 12},  {'~', 220},
};

// The one-character tokens indexed by character; 0 where a character starts none.
struct ROneCharTable {
  int32_t code[128] = {};
  constexpr ROneCharTable() {
    for (const auto& [c, kind] : kOneCharTokens) code[static_cast<unsigned char>(c)] = kind;
  }
};
constexpr ROneCharTable kOneChar;

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int32_t WordCode(std::string_view word) {
  for (const RKeyword& k : kKeywords)
    if (k.word[0] == word[0] && k.word == word) return k.code;
  return TOKEN_NAME;
}

}  // namespace

bool Tokenize(const CCode& code, std::string_view s, RTokenList1& tokens) {
  tokens.clear();
  const size_t n = s.size();
  size_t i = 0;
  for (;;) {
    while (i < n && static_cast<unsigned char>(s[i]) <= 32) i++;
    if (i >= n) {
      tokens.push_back({TOKEN_END, static_cast<int32_t>(n + 1), {}});
      return true;
    }
    size_t start = i;
    unsigned char c = s[i];
    int32_t kind;
    if (c == '/' && i + 1 < n && s[i + 1] == '/') {
      while (i < n && s[i] != '\r' && s[i] != '\n') i++;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      // The search for the closing */ starts at the opening slash.
      size_t close = s.find("*/", i + 1);
      i = close == std::string_view::npos ? n : close + 2;
      continue;
    }
    std::string_view text;
    if (IsLetter(c)) {
      while (i < n && (IsLetter(s[i]) || IsDigit(s[i]))) i++;
      text = s.substr(start, i - start);
      kind = WordCode(text);
    } else if (IsDigit(c) || c == '$' || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
      i++;
      if (c == '$') {
        while (i < n && IsHexDigit(s[i])) i++;
      } else {
        while (i < n && (IsDigit(s[i]) || s[i] == '.')) i++;
      }
      text = s.substr(start, i - start);
      kind = TOKEN_NUMBER;
    } else if (c == '\'' || c == '"') {
      size_t close = s.find(static_cast<char>(c), i + 1);
      if (close == std::string_view::npos) close = n;
      text = s.substr(i + 1, close - i - 1);
      i = close < n ? close + 1 : n;
      kind = TOKEN_STRING;
    } else {
      kind = TOKEN_UNKNOWN;
      if (i + 1 < n) {
        for (const RTwoChar& t : kTwoCharTokens)
          if (t.first == s[i] && t.second == s[i + 1]) {
            kind = t.code;
            break;
          }
      }
      if (kind != TOKEN_UNKNOWN) {
        i += 2;
      } else if (c < 128 && kOneChar.code[c] != 0) {
        kind = kOneChar.code[c];
        i++;
      } else {
        RecordError(code, static_cast<int32_t>(start + 1), "Unexpected symbol.");
        return false;
      }
      text = s.substr(start, i - start);
    }
    tokens.push_back({kind, static_cast<int32_t>(start + 1), text});
  }
}

double Phase1_NumberValue(std::string_view text) {
  static_assert(LDBL_MANT_DIG == 64, "number literals need the 80-bit extended type");
  double value = 0, divisor = 1;
  bool hex = false, fraction = false;
  for (char c : text) {
    if (c == '$') {
      hex = true;
    } else if (c == '.') {
      fraction = true;
    } else if (hex) {
      int digit = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
      value = CheckReal(static_cast<double>(static_cast<long double>(value) * 16 + digit));
    } else if (fraction) {
      divisor = static_cast<double>(static_cast<long double>(divisor) / 10);
      value = static_cast<double>(static_cast<long double>(value) + static_cast<long double>(c - '0') * divisor);
    } else {
      value = CheckReal(static_cast<double>(static_cast<long double>(value) * 10 + (c - '0')));
    }
  }
  return value;
}
