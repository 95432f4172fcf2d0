#include "code/Code_Operator.h"

#include <cfloat>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "code/Code_Error.h"

// Real arithmetic carries its intermediate results with a 64-bit mantissa and
// stores them as doubles, so the x87 extended type does the computing; this
// also makes a few results differ from plain double arithmetic by double
// rounding, as games expect.
static_assert(LDBL_MANT_DIG == 64, "script arithmetic needs the 80-bit extended type");
using Extended = long double;

namespace {

// An extended result stored into a double: beyond the double range it faults.
double Store(Extended x) { return CheckReal(static_cast<double>(x)); }

double Int64ToReal(int64_t i) { return static_cast<double>(i); }

}  // namespace

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
// digits], with at least one mantissa digit. Reports where the exponent
// starts (or npos) so that an out-of-range result can be told apart.
bool IsDecimalNumber(std::string_view s, size_t& exponent_at) {
  size_t i = 0, n = s.size();
  exponent_at = std::string_view::npos;
  if (i < n && (s[i] == '+' || s[i] == '-')) i++;
  size_t mantissa_digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') i++, mantissa_digits++;
  if (i < n && s[i] == '.') {
    i++;
    while (i < n && s[i] >= '0' && s[i] <= '9') i++, mantissa_digits++;
  }
  if (mantissa_digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    exponent_at = i;
    i++;
    if (i < n && (s[i] == '+' || s[i] == '-')) i++;
    size_t exponent_digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') i++, exponent_digits++;
    if (exponent_digits == 0) return false;
  }
  return i == n;
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
  size_t exponent_at;
  if (!IsDecimalNumber(number, exponent_at)) {
    ReportActionError("Error in function real().");
    return 0.0;
  }
  bool negative = number[0] == '-';
  if (number[0] == '+' || number[0] == '-') number.remove_prefix(1);
  // Parsed into the extended type and stored, like any real result.
  Extended value = 0;
  auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    bool tiny = exponent_at != std::string_view::npos && text[start + exponent_at + 1] == '-';
    if (!tiny) throw CFloatFault{};
    value = 0;
  }
  return Store(negative ? -value : value);
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
    case OP_BIT_NOT: value.real = Int64ToReal(~RoundToInt64(value.real)); return true;
    default:
      RecordError(code, position, "Internal error: unknown unary operator.");
      return false;
  }
}

namespace {

bool Compare(int32_t op, const RValue& l, const RValue& r) {
  int d;
  if (l.IsReal())
    d = l.real < r.real ? -1 : (l.real > r.real ? 1 : 0);
  else
    d = l.str.compare(r.str);  // byte by byte, as unsigned characters
  switch (op) {
    case OP_LESS: return d < 0;
    case OP_LESS_EQUAL: return d <= 0;
    case OP_NOT_EQUAL: return d != 0;
    case OP_GREATER_EQUAL: return d >= 0;
    case OP_GREATER: return d > 0;
    default: return d == 0;  // OP_EQUAL_SIGN, OP_EQUAL
  }
}

// The integer quotient of div and mod: truncated, as a signed 32-bit integer.
int32_t Quotient(double l, double r) {
  Extended q = std::trunc(static_cast<Extended>(l) / r);
  if (!(q >= INT32_MIN && q <= INT32_MAX)) throw CFloatFault{};
  return static_cast<int32_t>(q);
}

uint64_t Shift(int64_t value, double count, bool left) {
  uint32_t c = static_cast<uint32_t>(static_cast<uint64_t>(RoundToInt64(count))) & 0xFF;
  if (c >= 64 && c < 128) return 0;
  if (c >= 128) c %= 32;
  uint64_t bits = static_cast<uint64_t>(value);
  return left ? bits << c : bits >> c;
}

// The message for operands of the wrong kinds, by operator.
const char* WrongTypeMessage(int32_t op) {
  switch (op) {
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
    default: return "Cannot compare arguments.";
  }
}

}  // namespace

bool BinaryOperation(const CCode& code, int32_t position, int32_t op, RValue& left, const RValue& right) {
  const char* failure = nullptr;
  bool reals = left.IsReal() && right.IsReal();
  switch (op) {
    case OP_EQUAL_SIGN:
    case OP_LESS:
    case OP_LESS_EQUAL:
    case OP_EQUAL:
    case OP_NOT_EQUAL:
    case OP_GREATER_EQUAL:
    case OP_GREATER:
      if (left.kind != right.kind) break;
      left.SetReal(Compare(op, left, right) ? 1.0 : 0.0);  // keeps the old text
      return true;
    case OP_PLUS:
      if (reals) {
        left.real = Store(static_cast<Extended>(left.real) + right.real);
        return true;
      }
      if (left.IsString() && right.IsString()) {
        left.str += right.str;
        return true;
      }
      break;
    case OP_MULTIPLY:
      if (reals) {
        left.real = Store(static_cast<Extended>(left.real) * right.real);
        return true;
      }
      if (left.IsReal() && right.IsString()) {
        int64_t n = RoundToInt64(left.real);
        if (n > 0 && right.str.size() > OPERATOR_MAX_REPEAT_LENGTH / static_cast<uint64_t>(n)) {
          failure = "String too long.";
          break;
        }
        std::string repeated;
        if (n > 0) {
          repeated.reserve(right.str.size() * static_cast<size_t>(n));
          for (int64_t i = 0; i < n; i++) repeated += right.str;
        }
        left.SetString(std::move(repeated));
        return true;
      }
      break;
    case OP_MINUS:
    case OP_DIVIDE:
    case OP_DIV:
    case OP_MOD:
    case OP_AND:
    case OP_OR:
    case OP_XOR:
    case OP_BIT_OR:
    case OP_BIT_AND:
    case OP_BIT_XOR:
    case OP_SHIFT_LEFT:
    case OP_SHIFT_RIGHT:
      if (!reals) break;
      {
        double l = left.real, r = right.real;
        double result = 0;
        switch (op) {
          case OP_MINUS: result = Store(static_cast<Extended>(l) - r); break;
          case OP_DIVIDE:
            if (r == 0) failure = "Division by 0.";
            else result = Store(static_cast<Extended>(l) / r);
            break;
          case OP_DIV:
            if (r == 0) failure = "Division by 0.";
            else result = Quotient(l, r);
            break;
          case OP_MOD:
            if (r == 0) failure = "Modulo by 0.";
            else result = Store(l - static_cast<Extended>(Quotient(l, r)) * r);
            break;
          case OP_AND: result = IsTrue(l) && IsTrue(r); break;
          case OP_OR: result = IsTrue(l) || IsTrue(r); break;
          case OP_XOR: result = IsTrue(l) != IsTrue(r); break;
          case OP_BIT_OR: result = Int64ToReal(RoundToInt64(l) | RoundToInt64(r)); break;
          case OP_BIT_AND: result = Int64ToReal(RoundToInt64(l) & RoundToInt64(r)); break;
          case OP_BIT_XOR: result = Int64ToReal(RoundToInt64(l) ^ RoundToInt64(r)); break;
          case OP_SHIFT_LEFT:
            result = Int64ToReal(static_cast<int64_t>(Shift(RoundToInt64(l), r, true)));
            break;
          default:  // OP_SHIFT_RIGHT
            result = Int64ToReal(static_cast<int64_t>(Shift(RoundToInt64(l), r, false)));
            break;
        }
        if (failure) break;
        left.real = result;
        return true;
      }
    default:
      failure = "Internal error: unknown binary operator.";
      break;
  }
  RecordError(code, position, failure ? failure : WrongTypeMessage(op));
  return false;
}
