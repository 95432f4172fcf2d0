// RValue: the one value type of the script language, a real or a string.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

// Value kinds; the same numbers as the script constants ty_real and ty_string.
enum : int32_t { VALUE_REAL = 0, VALUE_STRING = 1 };

// A script value. Only the field chosen by `kind` is meaningful; the other may
// keep an old value (a string comparison leaves the left operand's text in
// place), and streams write all three fields as they stand.
struct RValue {
  int32_t kind = VALUE_REAL;
  double real = 0.0;
  std::string str;

  RValue() = default;
  explicit RValue(double r) : real(r) {}
  explicit RValue(std::string s) : kind(VALUE_STRING), str(std::move(s)) {}
  RValue(const RValue&) = default;
  RValue& operator=(const RValue&) = default;
  // Moves leave an empty text alone: moving one would copy its inline
  // buffer through a call, and arrays of reals move every element whenever
  // they grow. The moved-from text is left empty either way.
  RValue(RValue&& o) noexcept : kind(o.kind), real(o.real) {
    if (!o.str.empty()) str = std::move(o.str);
  }
  RValue& operator=(RValue&& o) noexcept {
    kind = o.kind;
    real = o.real;
    if (!o.str.empty() || !str.empty()) str = std::move(o.str);
    return *this;
  }
  ~RValue() = default;

  bool IsReal() const { return kind == VALUE_REAL; }
  bool IsString() const { return kind == VALUE_STRING; }

  void SetReal(double r) { kind = VALUE_REAL; real = r; }
  void SetString(std::string s) { kind = VALUE_STRING; str = std::move(s); }
  void SetString(std::string_view s) { kind = VALUE_STRING; str.assign(s); }
  void SetString(const char* s) { kind = VALUE_STRING; str.assign(s); }
};

// Raised by real arithmetic on an invalid operation, a division by zero or an
// overflow. It is no script error: it ends the running code and every calling
// script, and whoever started the engine catches it (the main loop drops the
// rest of its pass).
struct CFloatFault {};

// The truth test of loops and logical operators: true when >= 0.5. The `if`
// statement alone tests > 0.5.
inline bool IsTrue(double r) { return r >= 0.5; }

// A real used as an integer: nearest signed 64-bit integer, ties to even.
// A real whose integer lies outside that range raises the fault.
inline int64_t RoundToInt64(double r) {
  double n = std::nearbyint(r);  // the process keeps round-to-nearest-even
  if (!(n >= -9223372036854775808.0 && n < 9223372036854775808.0)) throw CFloatFault{};
  return static_cast<int64_t>(n);
}

// The low 32 bits of the rounded integer, for ids, counts and indices.
inline int32_t RoundToInt32(double r) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(RoundToInt64(r))));
}

// A real result checked the way the floating-point mode of the engine demands:
// an infinity or a not-a-number raises the fault instead of being stored.
inline double CheckReal(double r) {
  if (!std::isfinite(r)) throw CFloatFault{};
  return r;
}
