#include "code/Code_Operator.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "code/Code_Error.h"

// ---------------------------------------------------------------------------
// Conversions

std::string RealToText(double real, char separator) {
  int64_t whole = RoundToInt64(real);
  if (static_cast<double>(whole) == real) return std::to_string(whole);

  // The first 18 significant digits, then the cut after the 10th significant
  // digit or the 2nd decimal, whichever comes first.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(real));
  char digits[18];
  digits[0] = buf[0];
  for (int i = 1; i < 18; i++) digits[i] = buf[i + 1];
  int exponent = static_cast<int>(std::strtol(buf + 20, nullptr, 10));

  int keep = std::min(10, exponent + 3);
  char kept[12];
  int count = keep > 0 ? keep : 0;
  for (int i = 0; i < count; i++) kept[i] = digits[i];
  char first_cut = keep >= 0 ? digits[keep] : '0';
  if (first_cut >= '5') {
    int i = count - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      kept[i]++;
    } else {  // the carry adds a digit in front
      for (int j = count; j > 0; j--) kept[j] = kept[j - 1];
      kept[0] = '1';
      count++;
      exponent++;
    }
  }
  while (count > 0 && kept[count - 1] == '0') count--;

  std::string text;
  if (count == 0) {
    text = "0";
    text += separator;
    text += "00";
    return text;
  }
  if (real < 0) text += '-';
  if (exponent + 1 <= 10) {
    if (exponent < 0) text += '0';
    for (int i = 0; i <= exponent; i++) text += i < count ? kept[i] : '0';
    text += separator;
    for (int i = exponent + 1; i <= exponent + 2; i++) text += (i >= 0 && i < count) ? kept[i] : '0';
  } else {
    text += kept[0];
    if (count > 1) {
      text += separator;
      text.append(kept + 1, count - 1);
    }
    text += 'E';
    text += std::to_string(exponent);
  }
  return text;
}

namespace {

// Checks the shape of a decimal number: [sign] digits [. digits] [e [sign]
// digits], with at least one mantissa digit.
bool IsDecimalNumber(std::string_view s) {
  size_t i = 0, n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) i++;
  size_t mantissa_digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') i++, mantissa_digits++;
  if (i < n && s[i] == '.') {
    i++;
    while (i < n && s[i] >= '0' && s[i] <= '9') i++, mantissa_digits++;
  }
  if (mantissa_digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    i++;
    if (i < n && (s[i] == '+' || s[i] == '-')) i++;
    size_t exponent_digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') i++, exponent_digits++;
    if (exponent_digits == 0) return false;
  }
  return i == n;
}

// The decimal order of magnitude of a well-formed number without its sign,
// roughly: enough to tell a number too large for any real from one too small.
int64_t DecimalMagnitude(std::string_view s) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == '0') i++;
  int64_t magnitude = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') i++, magnitude++;
  if (magnitude == 0 && i < n && s[i] == '.') {
    for (i++; i < n && s[i] == '0'; i++) magnitude--;
  }
  size_t e = s.find_first_of("eE");
  if (e != std::string_view::npos) {
    bool negative = s[e + 1] == '-';
    int64_t exponent = 0;
    for (size_t k = e + 1; k < n; k++)
      if (s[k] >= '0' && s[k] <= '9') exponent = std::min<int64_t>(exponent * 10 + (s[k] - '0'), 1000000000);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

}  // namespace

double TextToReal(std::string_view text) {
  bool blank = true;
  for (unsigned char c : text)
    if (c > 32) blank = false;
  if (blank) return 0.0;

  size_t start = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  std::string_view number = text.substr(start, end - start + 1);
  if (!IsDecimalNumber(number)) {
    ReportActionError("Error in function real().");
    return 0.0;
  }
  bool negative = number[0] == '-';
  if (number[0] == '+' || number[0] == '-') number.remove_prefix(1);
  // Parsed into the extended type and stored, like any real result.
  long double value = 0;
  auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    if (DecimalMagnitude(number) > 0) throw CFloatFault{};
    value = 0;  // underflow is silent
  }
  return Operator_Store(negative ? -value : value);
}

// ---------------------------------------------------------------------------
// Operators

bool UnaryOperation(const CCode& code, int32_t position, int32_t op, RValue& value) {
  if (!value.IsReal()) {
    RecordError(code, position, "Wrong type of arguments to unary operator.");
    return false;
  }
  switch (op) {
    case OP_NOT: value.real = value.real < 0.5 ? 1.0 : 0.0; return true;
    case OP_PLUS: return true;
    case OP_MINUS: value.real = -value.real; return true;
    case OP_BIT_NOT: value.real = static_cast<double>(~RoundToInt64(value.real)); return true;
    default:
      RecordError(code, position, "Internal error: unknown unary operator.");
      return false;
  }
}

namespace {

// The message for operands of the wrong kinds, by operator; null for a code
// that is no binary operator.
const char* WrongTypeMessage(int32_t op) {
  switch (op) {
    case OP_EQUAL_SIGN: case OP_LESS: case OP_LESS_EQUAL: case OP_EQUAL:
    case OP_NOT_EQUAL: case OP_GREATER_EQUAL: case OP_GREATER: return "Cannot compare arguments.";
    case OP_AND: return "Wrong type of arguments for &&.";
    case OP_OR: return "Wrong type of arguments for ||.";
    case OP_XOR: return "Wrong type of arguments for ^^.";
    case OP_PLUS: return "Wrong type of arguments to +.";
    case OP_MINUS: return "Wrong type of arguments to -.";
    case OP_MULTIPLY: return "Wrong type of arguments to *.";
    case OP_DIVIDE: return "Wrong type of arguments to /.";
    case OP_DIV: return "Wrong type of arguments to div.";
    case OP_MOD: return "Wrong type of arguments to mod.";
    case OP_BIT_OR: return "Wrong type of arguments for |.";
    case OP_BIT_AND: return "Wrong type of arguments for &.";
    case OP_BIT_XOR: return "Wrong type of arguments for ^.";
    case OP_SHIFT_LEFT: return "Wrong type of arguments for <<.";
    case OP_SHIFT_RIGHT: return "Wrong type of arguments for >>.";
    default: return nullptr;
  }
}

bool IsComparison(int32_t op) { return op == OP_EQUAL_SIGN || (op >= OP_LESS && op <= OP_GREATER); }

// The operators on texts: comparison, concatenation and repetition. Returns
// the message of a failure, or null.
const char* TextOperation(int32_t op, RValue& left, const RValue& right) {
  if (IsComparison(op) && left.IsString() && right.IsString()) {
    // The sign of a bytewise comparison, compared with 0 as reals are.
    int c = left.str.compare(right.str);
    double d = c < 0 ? -1 : c > 0 ? 1 : 0;
    Operator_Real(op, d, 0.0);
    left.SetReal(d);  // the old text stays in the string field
    return nullptr;
  }
  if (op == OP_PLUS && left.IsString() && right.IsString()) {
    left.str += right.str;
    return nullptr;
  }
  if (op == OP_MULTIPLY && left.IsReal() && right.IsString()) {
    int64_t n = RoundToInt64(left.real);
    if (n > 0 && right.str.size() > OPERATOR_MAX_REPEAT_LENGTH / static_cast<uint64_t>(n)) return "String too long.";
    std::string repeated;
    if (n > 0) {
      repeated.reserve(right.str.size() * static_cast<size_t>(n));
      for (int64_t i = 0; i < n; i++) repeated += right.str;
    }
    left.SetString(std::move(repeated));
    return nullptr;
  }
  const char* wrong = WrongTypeMessage(op);
  return wrong ? wrong : "Internal error: unknown binary operator.";
}

}  // namespace

bool BinaryOperation(const CCode& code, int32_t position, int32_t op, RValue& left, const RValue& right) {
  const char* failure;
  if (left.IsReal() && right.IsReal()) {
    if (Operator_Real(op, left.real, right.real)) return true;
    if (!WrongTypeMessage(op)) failure = "Internal error: unknown binary operator.";
    else failure = op == OP_MOD ? "Modulo by 0." : "Division by 0.";
  } else {
    failure = TextOperation(op, left, right);
    if (!failure) return true;
  }
  RecordError(code, position, failure);
  return false;
}
