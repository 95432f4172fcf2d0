#include "variables/Function_Math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <string_view>

#include "code/Code_Error.h"
#include "code/Code_Operator.h"
#include "data/Replay_Log.h"
#include "platform/Platform.h"
#include "variables/Code_Function.h"

// ---------------------------------------------------------------------------
// The random generator

namespace {
uint32_t g_Seed = 0;
}

void Random_SetSeed(uint32_t seed) { g_Seed = seed; }
uint32_t Random_Seed() { return g_Seed; }
void Random_Randomize() {
  // A replayed run takes the seed its record was given.
  g_Seed = static_cast<uint32_t>(
      Replay_Int(REPLAY_SEED, [] { return static_cast<int32_t>(static_cast<uint32_t>(Platform_Microseconds())); }));
}

double Random_Real() {
  g_Seed = g_Seed * 134775813u + 1u;
  return g_Seed / 4294967296.0;
}

uint32_t Random_Below(uint32_t n) {
  g_Seed = g_Seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(g_Seed) * n) >> 32);
}

namespace {

constexpr double kPi = std::numbers::pi;
// sin and cos of a magnitude this large give 0; tan faults.
constexpr double kTrigLimit = 9223372036854775808.0;

// ---------------------------------------------------------------------------
// Real functions of reals. The plain ones let a result beyond the double
// range raise the engine's fault; the checked ones report their own message
// for any fault of their computation and leave the result 0.

using RealFn1 = double (*)(double);
using RealFn2 = double (*)(double, double);
using RealFn4 = double (*)(double, double, double, double);

template <RealFn1 F>
void Real1(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(CheckReal(F(ArgReal(args, 0))));
}

template <RealFn2 F>
void Real2(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(CheckReal(F(ArgReal(args, 0), ArgReal(args, 1))));
}

template <RealFn4 F>
void Real4(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(CheckReal(F(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3))));
}

void SetChecked(RValue& result, double value, const char* message) {
  if (std::isfinite(value))
    result.SetReal(value);
  else
    ReportActionError(message);
}

template <RealFn1 F, const char* Message>
void Checked1(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  SetChecked(result, F(ArgReal(args, 0)), Message);
}

template <RealFn2 F, const char* Message>
void Checked2(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  SetChecked(result, F(ArgReal(args, 0), ArgReal(args, 1)), Message);
}

constexpr char kErrSqrt[] = "Cannot apply sqrt to negative number.";
constexpr char kErrExp[] = "Error in function exp().";
constexpr char kErrLn[] = "Error in function ln().";
constexpr char kErrLog2[] = "Error in function log2().";
constexpr char kErrLog10[] = "Error in function log10().";
constexpr char kErrLogn[] = "Error in function logn().";
constexpr char kErrPower[] = "Error in function power().";
constexpr char kErrArcsin[] = "Error in function arcsin().";
constexpr char kErrArccos[] = "Error in function arccos().";
constexpr char kErrArctan[] = "Error in function arctan().";
constexpr char kErrArctan2[] = "Error in function arctan2().";

// A logarithm of 0 or less is a fault, not an infinity or a not-a-number.
double MathLn(double x) { return x > 0 ? std::log(x) : NAN; }
double MathLog2(double x) { return x > 0 ? std::log2(x) : NAN; }
double MathLog10(double x) { return x > 0 ? std::log10(x) : NAN; }

double MathSqrt(double x) { return x < 0 ? NAN : std::sqrt(x); }
double MathAbs(double x) { return std::fabs(x); }
double MathSign(double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }
double MathFrac(double x) { return x - std::trunc(x); }
double MathSqr(double x) { return x * x; }
double MathRound(double x) { return static_cast<double>(RoundToInt64(x)); }

// A whole number taken as a signed 64-bit integer (faulting outside that
// range) and then wrapped to 32 bits.
double Wrap32(double whole) {
  if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) throw CFloatFault{};
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(whole))));
}
double MathFloor(double x) { return Wrap32(std::floor(x)); }
double MathCeil(double x) { return Wrap32(std::ceil(x)); }

double MathSin(double x) { return std::fabs(x) >= kTrigLimit ? 0.0 : std::sin(x); }
double MathCos(double x) { return std::fabs(x) >= kTrigLimit ? 0.0 : std::cos(x); }
double MathTan(double x) {
  if (std::fabs(x) >= kTrigLimit) throw CFloatFault{};
  return std::tan(x);
}
double MathArcsin(double x) { return std::asin(x); }
double MathArccos(double x) { return std::acos(x); }
double MathArctan(double x) { return std::atan(x); }
double MathArctan2(double y, double x) { return std::atan2(y, x); }
double MathDegToRad(double x) { return x * kPi / 180; }
double MathRadToDeg(double x) { return x * 180 / kPi; }
double MathExp(double x) { return std::exp(x); }

double MathLogn(double n, double x) {
  if (n <= 0 || x <= 0 || n == 1) return NAN;
  return std::log2(x) / std::log2(n);
}

// n of 0 gives 1, x of 0 gives 0 for a positive n, an integer n goes by
// repeated squaring (carried in extended precision), anything else through
// e^(n ln x). A negative x with a fractional n, 0 to a negative power and an
// overflow come out as not-finite and are reported.
double MathPower(double x, double n) {
  if (n == 0) return 1;
  if (x == 0 && n > 0) return 0;
  if (n == std::trunc(n) && std::fabs(n) <= 2147483647.0) {
    uint32_t e = static_cast<uint32_t>(std::fabs(n));
    long double base = x, r = 1;
    while (e != 0) {
      if (e & 1) r *= base;
      base *= base;
      e >>= 1;
    }
    double value = static_cast<double>(r);
    if (!std::isfinite(value)) return NAN;
    if (n < 0) return value == 0 ? NAN : 1 / value;
    return value;
  }
  if (x < 0) return NAN;
  return std::exp(n * std::log(x));
}

double PointDistance(double x1, double y1, double x2, double y2) {
  double dx = x2 - x1, dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

double PointDirection(double x1, double y1, double x2, double y2) {
  double dx = x2 - x1, dy = y2 - y1;
  if (dx == 0) return dy > 0 ? 270 : dy < 0 ? 90 : 0;
  double t = std::atan2(dy, dx) * 180 / kPi;
  return t > 0 ? 360 - t : 0.0 - t;  // pointing right gives +0, not -0
}

// Values within 0.0001 of an integer become that integer, so that the
// axis directions give exact results.
double SnapToInteger(double v) {
  double n = std::round(v);
  return std::fabs(v - n) < 0.0001 ? n + 0.0 : v;
}
double LengthdirX(double len, double dir) { return SnapToInteger(std::cos(dir * kPi / 180) * len); }
double LengthdirY(double len, double dir) { return SnapToInteger(-std::sin(dir * kPi / 180) * len); }

// ---------------------------------------------------------------------------
// Type tests, random numbers, several-argument functions

void FnIsReal(CInstance*, CInstance*, int, RValue* args, RValue& result) { result.SetReal(args[0].IsReal()); }
void FnIsString(CInstance*, CInstance*, int, RValue* args, RValue& result) { result.SetReal(args[0].IsString()); }

void FnRandom(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Random_Real() * ArgReal(args, 0));
}
void FnRandomSetSeed(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Random_SetSeed(static_cast<uint32_t>(ArgInt64(args, 0)));
}
void FnRandomGetSeed(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(static_cast<int32_t>(Random_Seed()));
}
void FnRandomize(CInstance*, CInstance*, int, RValue*, RValue&) { Random_Randomize(); }

void FnChoose(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  if (argc > 0) result = args[Random_Below(static_cast<uint32_t>(argc))];
}

// min and max: the result's own kind decides how an argument is compared; the
// argument's kind is not looked at.
template <bool Greater>
void MinMax(int argc, const RValue* args, RValue& result) {
  if (argc == 0) return;
  result = args[0];
  for (int i = 1; i < argc; i++) {
    bool better = result.IsReal() ? (Greater ? args[i].real > result.real : args[i].real < result.real)
                                  : (Greater ? args[i].str > result.str : args[i].str < result.str);
    if (better) result = args[i];
  }
}
template <bool Greater>
void FnMinMax(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  MinMax<Greater>(argc, args, result);
}
template <bool Greater>
void FnMinMax3(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  MinMax<Greater>(3, args, result);
}

void FnMean(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  if (argc == 0) return;
  double sum = 0;
  for (int i = 0; i < argc; i++) sum = CheckReal(sum + args[i].real);
  result.SetReal(sum / argc);
}

void FnMedian(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  for (int i = 0; i < argc; i++) {
    int below = 0, atmost = 0;
    for (int j = 0; j < argc; j++) {
      below += args[j].real < args[i].real;
      atmost += args[j].real <= args[i].real;
    }
    if (below < argc / 2.0 && argc / 2.0 <= atmost) {
      result = args[i];
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Conversions

// Fixed notation with `dec` digits after the point, from the value's first
// 18 significant decimal digits: rounded half up at the last kept digit,
// zeros beyond the 18th.
std::string FormatFixed(double x, int64_t dec) {
  dec = std::max<int64_t>(dec, 0);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17e", std::fabs(x));  // "d.ddddddddddddddddde+XX"
  std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 17);
  int64_t exponent = x == 0 ? 0 : std::atoi(buffer + 20);  // place of the first digit
  int64_t kept = exponent + 1 + dec;
  if (kept < 18) {
    bool round_up = kept >= 0 && digits[static_cast<size_t>(kept)] >= '5';
    digits.resize(static_cast<size_t>(std::max<int64_t>(kept, 0)));
    for (size_t i = digits.size(); round_up && i-- > 0;) {
      round_up = digits[i] == '9';
      digits[i] = round_up ? '0' : static_cast<char>(digits[i] + 1);
    }
    if (round_up) {  // the carry adds a digit in front
      digits.insert(digits.begin(), '1');
      exponent++;
    }
  }
  auto digit = [&](int64_t place) {  // place 0 is the first significant digit
    return place >= 0 && place < static_cast<int64_t>(digits.size()) ? digits[static_cast<size_t>(place)] : '0';
  };
  std::string text;
  for (int64_t p = 0; p <= std::max<int64_t>(exponent, 0); p++) text.push_back(digit(exponent < 0 ? -1 : p));
  if (dec > 0) {
    text.push_back('.');
    for (int64_t k = 1; k <= dec; k++) text.push_back(digit(exponent + k));
  }
  // A value that rounds to all zeros has no sign.
  if (std::signbit(x) && text.find_first_not_of("0.") != std::string::npos) text.insert(text.begin(), '-');
  return text;
}

void FnReal(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(args[0].IsString() ? TextToReal(args[0].str) : args[0].real);
}

void FnString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (args[0].IsString())
    result = args[0];
  else
    result.SetString(RealToText(args[0].real));
}

// Texts that built-ins would make longer than the operators may make are
// refused with the operators' message rather than exhausting memory.
bool WithinTextLimit(int64_t length) {
  if (length <= static_cast<int64_t>(OPERATOR_MAX_REPEAT_LENGTH)) return true;
  ReportActionError("String too long.");
  return false;
}

void FnStringFormat(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (args[0].IsString()) {
    result = args[0];
    return;
  }
  int64_t total = ArgInt64(args, 1), dec = ArgInt64(args, 2);
  if (!WithinTextLimit(total) || !WithinTextLimit(dec)) return;
  std::string text = FormatFixed(args[0].real, dec);
  if (total > static_cast<int64_t>(text.size())) text.insert(0, static_cast<size_t>(total) - text.size(), ' ');
  result.SetString(std::move(text));
}

void FnChr(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(std::string(1, static_cast<char>(ArgInt64(args, 0) & 0xFF)));
}

void FnOrd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string& s = ArgString(args, 0);
  result.SetReal(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
}

// ---------------------------------------------------------------------------
// Strings. Positions are 1-based.

void FnStringLength(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(static_cast<double>(ArgString(args, 0).size()));
}

void FnStringPos(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string& t = ArgString(args, 0);
  if (t.empty()) return;
  size_t at = ArgString(args, 1).find(t);
  if (at != std::string::npos) result.SetReal(static_cast<double>(at + 1));
}

// The part of s that string_copy(s, i, n) gives.
std::string_view CopyOf(const std::string& s, int64_t i, int64_t n) {
  if (i < 1) i = 1;
  int64_t size = static_cast<int64_t>(s.size());
  if (i > size || n < 0) return {};
  return std::string_view(s).substr(static_cast<size_t>(i - 1), static_cast<size_t>(std::min(n, size - i + 1)));
}

void FnStringCopy(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(CopyOf(ArgString(args, 0), ArgInt64(args, 1), ArgInt64(args, 2)));
}

void FnStringCharAt(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(CopyOf(ArgString(args, 0), ArgInt64(args, 1), 1));
}

void FnStringDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string s = ArgString(args, 0);
  int64_t i = ArgInt64(args, 1), n = ArgInt64(args, 2), size = static_cast<int64_t>(s.size());
  if (i >= 1 && i <= size && n > 0) s.erase(static_cast<size_t>(i - 1), static_cast<size_t>(std::min(n, size - i + 1)));
  result.SetString(std::move(s));
}

void FnStringInsert(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string s = ArgString(args, 1);
  int64_t i = std::clamp<int64_t>(ArgInt64(args, 2), 1, static_cast<int64_t>(s.size()) + 1);
  s.insert(static_cast<size_t>(i - 1), ArgString(args, 0));
  result.SetString(std::move(s));
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetterOrDigit(char c) { return IsLetter(c) || IsDigit(c); }
char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

template <char (*Map)(char)>
void FnStringMap(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string s = ArgString(args, 0);
  for (char& c : s) c = Map(c);
  result.SetString(std::move(s));
}

template <bool (*Keep)(char)>
void FnStringFilter(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string s = ArgString(args, 0);
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return !Keep(c); }), s.end());
  result.SetString(std::move(s));
}

void FnStringRepeat(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string& s = ArgString(args, 0);
  int64_t n = ArgInt64(args, 1);
  if (n > 0 && !WithinTextLimit(static_cast<int64_t>(s.size()) * std::min<int64_t>(n, INT32_MAX))) return;
  std::string text;
  if (n > 0 && !s.empty()) {
    text.reserve(s.size() * static_cast<size_t>(n));
    for (int64_t k = 0; k < n; k++) text += s;
  }
  result.SetString(std::move(text));
}

// Replaces the first (All: every) occurrence of t in s by u; replaced text is
// not searched again. An empty t occurs nowhere.
template <bool All>
void FnStringReplace(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string &s = ArgString(args, 0), &t = ArgString(args, 1), &u = ArgString(args, 2);
  size_t at = t.empty() ? std::string::npos : s.find(t);
  if (at == std::string::npos) {
    result.SetString(s);
    return;
  }
  std::string text;
  size_t from = 0;
  do {
    text.append(s, from, at - from);
    text += u;
    from = at + t.size();
    at = All ? s.find(t, from) : std::string::npos;
  } while (at != std::string::npos);
  text.append(s, from);
  result.SetString(std::move(text));
}

void FnStringCount(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string &t = ArgString(args, 0), &s = ArgString(args, 1);
  if (t.empty()) return;
  int64_t count = 0;
  for (size_t at = s.find(t); at != std::string::npos; at = s.find(t, at + t.size())) count++;
  result.SetReal(static_cast<double>(count));
}

const RFunctionDef kMathFunctions[] = {
    {"is_real", FnIsReal, 1, true},
    {"is_string", FnIsString, 1, true},
    {"random", FnRandom, 1},
    {"random_set_seed", FnRandomSetSeed, 1},
    {"random_get_seed", FnRandomGetSeed, 0},
    {"randomize", FnRandomize, 0},
    {"choose", FnChoose, -1},
    {"abs", Real1<MathAbs>, 1},
    {"round", Real1<MathRound>, 1},
    {"floor", Real1<MathFloor>, 1},
    {"ceil", Real1<MathCeil>, 1},
    {"sign", Real1<MathSign>, 1},
    {"frac", Real1<MathFrac>, 1},
    {"sqrt", Checked1<MathSqrt, kErrSqrt>, 1},
    {"sqr", Real1<MathSqr>, 1},
    {"exp", Checked1<MathExp, kErrExp>, 1},
    {"ln", Checked1<MathLn, kErrLn>, 1},
    {"log2", Checked1<MathLog2, kErrLog2>, 1},
    {"log10", Checked1<MathLog10, kErrLog10>, 1},
    {"logn", Checked2<MathLogn, kErrLogn>, 2},
    {"power", Checked2<MathPower, kErrPower>, 2},
    {"min", FnMinMax<false>, -1},
    {"max", FnMinMax<true>, -1},
    {"min3", FnMinMax3<false>, 3},
    {"max3", FnMinMax3<true>, 3},
    {"mean", FnMean, -1},
    {"median", FnMedian, -1},
    {"sin", Real1<MathSin>, 1},
    {"cos", Real1<MathCos>, 1},
    {"tan", Real1<MathTan>, 1},
    {"arcsin", Checked1<MathArcsin, kErrArcsin>, 1},
    {"arccos", Checked1<MathArccos, kErrArccos>, 1},
    {"arctan", Checked1<MathArctan, kErrArctan>, 1},
    {"arctan2", Checked2<MathArctan2, kErrArctan2>, 2},
    {"degtorad", Real1<MathDegToRad>, 1},
    {"radtodeg", Real1<MathRadToDeg>, 1},
    {"real", FnReal, 1},
    {"string", FnString, 1, true},
    {"string_format", FnStringFormat, 3},
    {"chr", FnChr, 1},
    {"ord", FnOrd, 1, true},
    {"string_length", FnStringLength, 1, true},
    {"string_pos", FnStringPos, 2, true},
    {"string_copy", FnStringCopy, 3, true},
    {"string_char_at", FnStringCharAt, 2, true},
    {"string_delete", FnStringDelete, 3, true},
    {"string_insert", FnStringInsert, 3, true},
    {"string_lower", FnStringMap<ToLower>, 1, true},
    {"string_upper", FnStringMap<ToUpper>, 1, true},
    {"string_repeat", FnStringRepeat, 2},
    {"string_letters", FnStringFilter<IsLetter>, 1, true},
    {"string_digits", FnStringFilter<IsDigit>, 1, true},
    {"string_lettersdigits", FnStringFilter<IsLetterOrDigit>, 1, true},
    {"string_replace", FnStringReplace<false>, 3, true},
    {"string_replace_all", FnStringReplace<true>, 3, true},
    {"string_count", FnStringCount, 2, true},
    {"point_distance", Real4<PointDistance>, 4},
    {"point_direction", Real4<PointDirection>, 4},
    {"lengthdir_x", Real2<LengthdirX>, 2},
    {"lengthdir_y", Real2<LengthdirY>, 2},
};

}  // namespace

void Function_Math_Register() { RegisterFunctions(kMathFunctions); }

double Math_PointDirection(double x1, double y1, double x2, double y2) { return PointDirection(x1, y1, x2, y2); }
