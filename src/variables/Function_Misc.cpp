// Function_Misc: code run from texts and files, scripts by index, variables
// by name, dates and times, the clipboard, external functions, debug
// messages and the program's priority.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_World.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_System.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Function_Misc.h"
#include "variables/Variable_Class.h"
#include "variables/Variable_Main.h"
#include "functions/Support_DLL.h"
#include "code/Event_Context.h"
#include "world/Object_Main.h"

namespace {

// ---------------------------------------------------------------------------
// Dynamic code

// Compiles `text` as a program and runs it with the arguments after the
// first as argument0 onward (the other slots real 0); `return` in the text
// gives the result. The caller's argument slots are back afterwards, unless
// a fault ends the run.
void ExecuteText(CInstance* self, CInstance* other, int argc, const RValue* args, std::string_view text,
                 const char* compile_prefix, RValue& result) {
  CCode code(text, false);
  RValue* slots = Exec_Arguments();
  RValue saved[MAX_ARGUMENTS];
  std::copy(slots, slots + MAX_ARGUMENTS, saved);
  for (int i = 0; i < MAX_ARGUMENTS; i++) slots[i] = i + 1 < argc ? args[i + 1] : RValue();
  if (code.Compile()) {
    ExecuteReporting(self, other, code, result);
  } else {
    ReportError(compile_prefix + RecordedError(), false);
    ClearRecordedError();
  }
  std::move(saved, saved + MAX_ARGUMENTS, slots);
}

void FnExecuteString(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  if (argc == 0) return;
  ExecuteText(self, other, argc, args, ArgString(args, 0), "COMPILATION ERROR in string to be executed\r", result);
}

// The file's lines, each followed by a carriage return.
void FnExecuteFile(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  if (argc == 0) return;
  std::string path = Path_Resolve(ArgString(args, 0));
  std::error_code error;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, error)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    ReportActionError("Trying to execute non-existing file.");
    return;
  }
  std::string text, line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line;
    text += '\r';
  }
  ExecuteText(self, other, argc, args, text, "COMPILATION ERROR in file to be executed\r", result);
}

void FnScriptExecute(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  int32_t index = argc > 0 ? ArgInt(args, 0) : -1;
  if (!ScriptExists(index)) {
    ReportActionError("Trying to execute non-existing script.");
    return;
  }
  RValue value;
  if (CallScript(index, self, other, value, args + 1, argc - 1)) {
    result = std::move(value);
    return;
  }
  ReportActionError(RecordedError());
  ClearRecordedError();
  result.SetString("ERROR");
}

// ---------------------------------------------------------------------------
// Variables by name: the global store, or the calling instance's variables
// with the built-in names reaching their getters and setters. Every name
// gets an id (and stays in the name table), even when the call only asks.

enum EVariableStore { kGlobalStore, kSelfStore };

// The combined array index of Dims subscripts from args[first] (0 for the
// plain variable). A subscript outside 0 to 31999 is reported and the call
// then reads or writes nothing.
template <int Dims>
bool NamedIndex(const RValue* args, int first, int32_t& index) {
  index = 0;
  for (int d = 0; d < Dims; d++) {
    const int32_t subscript = ArgInt(args, first + d);
    if (subscript < 0 || subscript >= VARIABLE_ARRAY_SIZE) {
      ReportActionError("Array index >= 32000");
      return false;
    }
    index = index * VARIABLE_ARRAY_SIZE + subscript;
  }
  return true;
}

// Whether the variable is there. A stored variable is looked up directly:
// under UninitializedAsZero every read succeeds, and a game asking whether
// to initialise a variable would otherwise never do so.
template <EVariableStore Store>
bool NamedExists(CInstance* self, int32_t id) {
  if constexpr (Store == kGlobalStore) {
    return Variable_Globals().Find(id, 0) != nullptr;
  } else {
    if (!self) return false;
    if (id >= BUILTIN_VARIABLE_LIMIT) return World.variables(self).Find(id, 0) != nullptr;
    RValue value;
    return GetInstanceVariable(self, id, 0, value);
  }
}

template <EVariableStore Store>
void FnVariableExists(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(NamedExists<Store>(self, VariableIdOf(ArgString(args, 0))) ? 1 : 0);
}

// The value, real 0 (without an error) when there is none.
template <EVariableStore Store, int Dims>
void FnVariableGet(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  const int32_t id = VariableIdOf(ArgString(args, 0));
  int32_t index;
  if (!NamedIndex<Dims>(args, 1, index)) return;
  RValue value;
  const bool found = Store == kGlobalStore ? GetGlobal(id, index, value)
                                           : self != nullptr && GetInstanceVariable(self, id, index, value);
  if (found) result = std::move(value);
}

// Sets the value given after the subscripts; a global so set is not
// declared globalvar, and a read-only built-in refuses silently.
template <EVariableStore Store, int Dims>
void FnVariableSet(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  const int32_t id = VariableIdOf(ArgString(args, 0));
  int32_t index;
  if (!NamedIndex<Dims>(args, 1, index)) return;
  const RValue& value = args[1 + Dims];
  if constexpr (Store == kGlobalStore)
    SetGlobal(id, index, value);
  else if (self)
    SetInstanceVariable(self, id, index, value);
}

// ---------------------------------------------------------------------------
// Date-times: days since 30 December 1899 with the time of day as fraction.
// Before that day the value is negative and the fraction's magnitude is the
// time of day (-1.25 is 29 December 1899, 6:00), so calendar arithmetic goes
// through the linear form, where the time always counts forward.

constexpr int64_t kMsPerDay = 86400000;
constexpr double kOneMs = 1.0 / kMsPerDay;
// 1 January 1970 in days since 30 December 1899.
constexpr int64_t kUnixDay = 25569;
// Decoding keeps to this many days either side (some 270 million years), so
// that absurd values cannot overflow the calendar arithmetic.
constexpr double kDayLimit = 1e11;

// Days from 1 January 1970 of a proleptic Gregorian date (month 1 to 12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int32_t& m, int32_t& d) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

bool IsLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t DaysInMonth(int64_t y, int64_t m) {
  static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool ValidDate(int64_t y, int64_t m, int64_t d) {
  return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

bool ValidTime(int64_t h, int64_t mi, int64_t s) {
  return (h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59) || (h == 24 && mi == 0 && s == 0);
}

int64_t DayOf(int64_t y, int64_t m, int64_t d) { return DaysFromCivil(y, m, d) + kUnixDay; }

// A day and a time of day (0 to 1) as a date-time.
double Combine(int64_t day, double time) {
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

double ToLinear(double d) {
  double whole = std::trunc(d);
  return whole + std::fabs(d - whole);
}

double FromLinear(double l) {
  double day = std::floor(l);
  return day >= 0 ? l : day - (l - day);
}

// The calendar and clock parts of a date-time, to the millisecond.
struct RDateParts {
  int64_t day;  // whole days since 30 December 1899
  int64_t year;
  int32_t month, mday;
  int32_t hour, minute, second, ms;
};

RDateParts Decode(double d) {
  if (!std::isfinite(d)) d = 0;  // only an external function can hand one over
  double whole = std::clamp(std::trunc(d), -kDayLimit, kDayLimit);
  int64_t ms = std::llround(std::min(std::fabs(d - std::trunc(d)), 1.0) * kMsPerDay);
  RDateParts p{};
  p.day = static_cast<int64_t>(whole);
  if (ms >= kMsPerDay) {  // rounds up to the next midnight
    ms -= kMsPerDay;
    p.day++;
  }
  CivilFromDays(p.day - kUnixDay, p.year, p.month, p.mday);
  p.hour = static_cast<int32_t>(ms / 3600000);
  p.minute = static_cast<int32_t>(ms / 60000 % 60);
  p.second = static_cast<int32_t>(ms / 1000 % 60);
  p.ms = static_cast<int32_t>(ms % 1000);
  return p;
}

double TimeOfDay(double d) { return std::fabs(d - std::trunc(d)); }

double Now() {
  RLocalTime t = Platform_LocalTime();
  int64_t ms = ((t.hour * 60 + t.minute) * 60 + t.second) * int64_t{1000} + t.millisecond;
  return Combine(DayOf(t.year, t.month, t.day), static_cast<double>(ms) / kMsPerDay);
}

RLocalTime LocalTimeOf(const RDateParts& p) {
  return {static_cast<int32_t>(p.year), p.month, p.mday, p.hour, p.minute, p.second, p.ms};
}

int32_t WeekdayOf(int64_t day) {  // 1 Sunday .. 7 Saturday; day 0 was a Saturday
  return static_cast<int32_t>(((day + 6) % 7 + 7) % 7 + 1);
}

int32_t DayOfYear(const RDateParts& p) { return static_cast<int32_t>(p.day - DayOf(p.year, 1, 1) + 1); }

// ISO 8601: the week holding the year's first Thursday is week 1.
int32_t IsoWeek(const RDateParts& p) {
  int32_t iso_weekday = (WeekdayOf(p.day) + 5) % 7 + 1;  // 1 Monday .. 7 Sunday
  int64_t thursday = p.day + 4 - iso_weekday;
  int64_t year;
  int32_t month, mday;
  CivilFromDays(thursday - kUnixDay, year, month, mday);
  return static_cast<int32_t>((thursday - DayOf(year, 1, 1)) / 7 + 1);
}

double GetYear(const RDateParts& p) { return static_cast<double>(p.year); }
double GetMonth(const RDateParts& p) { return p.month; }
double GetDay(const RDateParts& p) { return p.mday; }
double GetHour(const RDateParts& p) { return p.hour; }
double GetMinute(const RDateParts& p) { return p.minute; }
double GetSecond(const RDateParts& p) { return p.second; }
double GetWeek(const RDateParts& p) { return IsoWeek(p); }
double GetWeekday(const RDateParts& p) { return WeekdayOf(p.day); }
double GetDayOfYear(const RDateParts& p) { return DayOfYear(p); }
double GetHourOfYear(const RDateParts& p) { return (DayOfYear(p) - 1) * 24.0 + p.hour; }
double GetMinuteOfYear(const RDateParts& p) { return GetHourOfYear(p) * 60 + p.minute; }
double GetSecondOfYear(const RDateParts& p) { return GetMinuteOfYear(p) * 60 + p.second; }
double GetDaysInMonth(const RDateParts& p) { return DaysInMonth(p.year, p.month); }
double GetDaysInYear(const RDateParts& p) { return IsLeapYear(p.year) ? 366 : 365; }
double GetLeapYear(const RDateParts& p) { return IsLeapYear(p.year); }
double GetIsToday(const RDateParts& p) { return Decode(Now()).day == p.day; }

template <double (*F)(const RDateParts&)>
void FnDateGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(F(Decode(ArgReal(args, 0))));
}

void FnDateCurrentDatetime(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Now()); }
void FnDateCurrentDate(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(static_cast<double>(Decode(Now()).day));
}
void FnDateCurrentTime(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(TimeOfDay(Now())); }

double TimeValue(int64_t h, int64_t mi, int64_t s) { return static_cast<double>((h * 60 + mi) * 60 + s) / 86400; }

void FnDateCreateDatetime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int64_t y = ArgInt64(args, 0), mo = ArgInt64(args, 1), d = ArgInt64(args, 2);
  int64_t h = ArgInt64(args, 3), mi = ArgInt64(args, 4), s = ArgInt64(args, 5);
  if (ValidDate(y, mo, d) && ValidTime(h, mi, s)) result.SetReal(Combine(DayOf(y, mo, d), TimeValue(h, mi, s)));
}
void FnDateCreateDate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int64_t y = ArgInt64(args, 0), mo = ArgInt64(args, 1), d = ArgInt64(args, 2);
  if (ValidDate(y, mo, d)) result.SetReal(static_cast<double>(DayOf(y, mo, d)));
}
void FnDateCreateTime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int64_t h = ArgInt64(args, 0), mi = ArgInt64(args, 1), s = ArgInt64(args, 2);
  if (ValidTime(h, mi, s)) result.SetReal(TimeValue(h, mi, s));
}
void FnDateValidDatetime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ValidDate(ArgInt64(args, 0), ArgInt64(args, 1), ArgInt64(args, 2)) &&
                 ValidTime(ArgInt64(args, 3), ArgInt64(args, 4), ArgInt64(args, 5)));
}
void FnDateValidDate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ValidDate(ArgInt64(args, 0), ArgInt64(args, 1), ArgInt64(args, 2)));
}
void FnDateValidTime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ValidTime(ArgInt64(args, 0), ArgInt64(args, 1), ArgInt64(args, 2)));
}

// Moves by whole months, keeping the time of day and clamping the day to the
// target month's last day.
template <int64_t MonthsPerUnit>
void FnDateIncMonths(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double d = ArgReal(args, 0);
  // Beyond a billion units the date leaves any calendar the decoding keeps.
  int64_t n = std::clamp<int64_t>(ArgInt64(args, 1), -1000000000, 1000000000);
  RDateParts p = Decode(d);
  int64_t months = p.year * 12 + (p.month - 1) + n * MonthsPerUnit;
  int64_t year = (months >= 0 ? months : months - 11) / 12;
  int64_t month = months - year * 12 + 1;
  int64_t day = std::min<int64_t>(p.mday, DaysInMonth(year, month));
  double time = static_cast<double>(((p.hour * 60 + p.minute) * 60 + p.second) * int64_t{1000} + p.ms) / kMsPerDay;
  result.SetReal(Combine(DayOf(year, month, day), time));
}

// Moves by n units of Num / Den days.
template <int Num, int Den>
void FnDateIncLinear(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double n = static_cast<double>(ArgInt64(args, 1));
  result.SetReal(FromLinear(CheckReal(ToLinear(ArgReal(args, 0)) + n * Num / Den)));
}

// The day span times Mul / Div (a year is 1461 / 4 days, a month 487 / 16).
template <int Mul, int Div>
void FnDateSpan(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double span = std::fabs(ToLinear(ArgReal(args, 0)) - ToLinear(ArgReal(args, 1)));
  result.SetReal(CheckReal(span * Mul / Div));
}

double CompareSign(double difference) { return difference < 0 ? -1 : difference > 0 ? 1 : 0; }

void FnDateCompareDatetime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double difference = ToLinear(ArgReal(args, 0)) - ToLinear(ArgReal(args, 1));
  result.SetReal(std::fabs(difference) < kOneMs ? 0 : CompareSign(difference));
}
void FnDateCompareDate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(CompareSign(std::trunc(ArgReal(args, 0)) - std::trunc(ArgReal(args, 1))));
}
void FnDateCompareTime(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double difference = TimeOfDay(ArgReal(args, 0)) - TimeOfDay(ArgReal(args, 1));
  result.SetReal(std::fabs(difference) < kOneMs ? 0 : CompareSign(difference));
}

void FnDateDateOf(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(std::trunc(ArgReal(args, 0)) + 0.0);
}
void FnDateTimeOf(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double d = ArgReal(args, 0);
  result.SetReal(d - std::trunc(d));
}

void FnDateDatetimeString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RLocalTime t = LocalTimeOf(Decode(ArgReal(args, 0)));
  result.SetString(Platform_LocaleDateText(t) + " " + Platform_LocaleTimeText(t));
}
void FnDateDateString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Platform_LocaleDateText(LocalTimeOf(Decode(ArgReal(args, 0)))));
}
void FnDateTimeString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Platform_LocaleTimeText(LocalTimeOf(Decode(ArgReal(args, 0)))));
}

// ---------------------------------------------------------------------------
// Clipboard, debug messages, priority

void FnClipboardHasText(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Platform_ClipboardHasText());
}
void FnClipboardGetText(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetString(Platform_ClipboardGetText());
}
void FnClipboardSetText(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Platform_ClipboardSetText(ArgString(args, 0));
}

void FnWindowHandle(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(static_cast<double>(PlatformWindow_NativeHandle()));
}

void (*g_DebugMessageSink)(const std::string& text) = nullptr;

void FnShowDebugMessage(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& text = ArgString(args, 0);
  std::fprintf(stderr, "%s\n", text.c_str());
  if (g_DebugMessageSink) g_DebugMessageSink(text);
}

void FnSetProgramPriority(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Platform_SetPriority(ArgInt(args, 0));
}

// ---------------------------------------------------------------------------
// External functions

// Every external built-in refuses in secure mode.
bool RefusedInSecureMode() {
  if (!SecureMode) return false;
  ReportActionError("In secure mode you cannot use DLLs");
  return true;
}

bool IsStringType(const RValue* args, int i) { return ArgInt64(args, i) == 1; }

void Define(const RValue* args, int32_t call_type, bool string_result, const bool* string_args, int32_t count,
            RValue& result) {
  int32_t id = DLL_Define(ArgString(args, 0), ArgString(args, 1), call_type, string_result, string_args, count);
  if (id < 0) ReportActionError("Error defining an external function.");
  result.SetReal(id);
}

// external_define(library, name, call type, result type, count, types...).
// The count must match the arguments given, which also keeps it within 0 to
// 11 (a call has at most 16 arguments).
void FnExternalDefine(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  if (RefusedInSecureMode()) return;
  result.SetReal(-1);
  if (argc < 5 || ArgInt64(args, 4) != argc - 5) {
    ReportActionError("Wrong number of arguments to external_define()");
    return;
  }
  int32_t count = argc - 5;
  bool string_args[DLL_MAX_ARGUMENTS] = {};
  for (int32_t i = 0; i < count; i++) {
    if (count > 4 && ArgInt64(args, 5 + i) != 0) {
      ReportActionError("DLL functions with more than 4 arguments cannot have string arguments");
      return;
    }
    string_args[i] = IsStringType(args, 5 + i);
  }
  int32_t call_type = IsStringType(args, 2) ? DLL_STDCALL : DLL_CDECL;
  Define(args, call_type, IsStringType(args, 3), string_args, count, result);
}

// external_defineK with the C convention: up to 4 arguments of given types
// (library, name, types..., result type), from 5 on only reals (library,
// name, result type).
template <int32_t K>
void FnExternalDefineK(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (RefusedInSecureMode()) return;
  bool string_args[DLL_MAX_ARGUMENTS] = {};
  int result_slot = 2;
  if constexpr (K <= 4) {
    for (int32_t i = 0; i < K; i++) string_args[i] = IsStringType(args, 2 + i);
    result_slot = 2 + K;
  }
  Define(args, DLL_CDECL, IsStringType(args, result_slot), string_args, K, result);
}

// external_call(id, arguments...) for K of -1, external_callK(id, K arguments).
template <int32_t K>
void FnExternalCall(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  if (RefusedInSecureMode() || argc == 0) return;
  DLL_Call(ArgInt(args, 0), args + 1, K < 0 ? argc - 1 : K, result);
}

void FnExternalFree(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RefusedInSecureMode()) return;
  DLL_Free(ArgString(args, 0));
}

// ---------------------------------------------------------------------------
// Performing events

void FnEventPerform(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  PerformEvent(self, other, ArgInt(args, 0), ArgInt(args, 1));
}

void FnEventUser(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  PerformEvent(self, other, EV_OTHER, EV_USER0 + ArgInt(args, 0));
}

void FnEventPerformObject(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  PerformObjectEvent(self, other, ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2));
}

// The same event, looked up from the parent of the object holding the
// running one. A time line moment has no parent to continue in.
void FnEventInherited(CInstance* self, CInstance* other, int, RValue*, RValue&) {
  REventContext event = EventContext;
  const CObject* holder = event.type == EVENT_TIMELINE ? nullptr : Object_Get(event.object);
  if (holder && Object_Exists(holder->parent))
    PerformObjectEvent(self, other, holder->parent, event.type, event.number);
}

const RFunctionDef kMiscFunctions[] = {
    {"execute_string", FnExecuteString, -1},
    {"execute_file", FnExecuteFile, -1},
    {"script_execute", FnScriptExecute, -1},
    {"variable_global_exists", FnVariableExists<kGlobalStore>, 1},
    {"variable_global_get", FnVariableGet<kGlobalStore, 0>, 1},
    {"variable_global_array_get", FnVariableGet<kGlobalStore, 1>, 2},
    {"variable_global_array2_get", FnVariableGet<kGlobalStore, 2>, 3},
    {"variable_global_set", FnVariableSet<kGlobalStore, 0>, 2},
    {"variable_global_array_set", FnVariableSet<kGlobalStore, 1>, 3},
    {"variable_global_array2_set", FnVariableSet<kGlobalStore, 2>, 4},
    {"variable_local_exists", FnVariableExists<kSelfStore>, 1},
    {"variable_local_get", FnVariableGet<kSelfStore, 0>, 1},
    {"variable_local_array_get", FnVariableGet<kSelfStore, 1>, 2},
    {"variable_local_array2_get", FnVariableGet<kSelfStore, 2>, 3},
    {"variable_local_set", FnVariableSet<kSelfStore, 0>, 2},
    {"variable_local_array_set", FnVariableSet<kSelfStore, 1>, 3},
    {"variable_local_array2_set", FnVariableSet<kSelfStore, 2>, 4},
    {"date_current_datetime", FnDateCurrentDatetime, 0},
    {"date_current_date", FnDateCurrentDate, 0},
    {"date_current_time", FnDateCurrentTime, 0},
    {"date_create_datetime", FnDateCreateDatetime, 6},
    {"date_create_date", FnDateCreateDate, 3},
    {"date_create_time", FnDateCreateTime, 3},
    {"date_valid_datetime", FnDateValidDatetime, 6},
    {"date_valid_date", FnDateValidDate, 3},
    {"date_valid_time", FnDateValidTime, 3},
    {"date_inc_year", FnDateIncMonths<12>, 2},
    {"date_inc_month", FnDateIncMonths<1>, 2},
    {"date_inc_week", FnDateIncLinear<7, 1>, 2},
    {"date_inc_day", FnDateIncLinear<1, 1>, 2},
    {"date_inc_hour", FnDateIncLinear<1, 24>, 2},
    {"date_inc_minute", FnDateIncLinear<1, 1440>, 2},
    {"date_inc_second", FnDateIncLinear<1, 86400>, 2},
    {"date_get_year", FnDateGet<GetYear>, 1},
    {"date_get_month", FnDateGet<GetMonth>, 1},
    {"date_get_week", FnDateGet<GetWeek>, 1},
    {"date_get_day", FnDateGet<GetDay>, 1},
    {"date_get_hour", FnDateGet<GetHour>, 1},
    {"date_get_minute", FnDateGet<GetMinute>, 1},
    {"date_get_second", FnDateGet<GetSecond>, 1},
    {"date_get_weekday", FnDateGet<GetWeekday>, 1},
    {"date_get_day_of_year", FnDateGet<GetDayOfYear>, 1},
    {"date_get_hour_of_year", FnDateGet<GetHourOfYear>, 1},
    {"date_get_minute_of_year", FnDateGet<GetMinuteOfYear>, 1},
    {"date_get_second_of_year", FnDateGet<GetSecondOfYear>, 1},
    {"date_year_span", FnDateSpan<4, 1461>, 2},
    {"date_month_span", FnDateSpan<16, 487>, 2},
    {"date_week_span", FnDateSpan<1, 7>, 2},
    {"date_day_span", FnDateSpan<1, 1>, 2},
    {"date_hour_span", FnDateSpan<24, 1>, 2},
    {"date_minute_span", FnDateSpan<1440, 1>, 2},
    {"date_second_span", FnDateSpan<86400, 1>, 2},
    {"date_compare_datetime", FnDateCompareDatetime, 2},
    {"date_compare_date", FnDateCompareDate, 2},
    {"date_compare_time", FnDateCompareTime, 2},
    {"date_date_of", FnDateDateOf, 1},
    {"date_time_of", FnDateTimeOf, 1},
    {"date_datetime_string", FnDateDatetimeString, 1},
    {"date_date_string", FnDateDateString, 1},
    {"date_time_string", FnDateTimeString, 1},
    {"date_days_in_month", FnDateGet<GetDaysInMonth>, 1},
    {"date_days_in_year", FnDateGet<GetDaysInYear>, 1},
    {"date_leap_year", FnDateGet<GetLeapYear>, 1},
    {"date_is_today", FnDateGet<GetIsToday>, 1},
    {"clipboard_has_text", FnClipboardHasText, 0},
    {"clipboard_get_text", FnClipboardGetText, 0},
    {"clipboard_set_text", FnClipboardSetText, 1},
    {"external_define", FnExternalDefine, -1},
    {"external_define0", FnExternalDefineK<0>, 3},
    {"external_define1", FnExternalDefineK<1>, 4},
    {"external_define2", FnExternalDefineK<2>, 5},
    {"external_define3", FnExternalDefineK<3>, 6},
    {"external_define4", FnExternalDefineK<4>, 7},
    {"external_define5", FnExternalDefineK<5>, 3},
    {"external_define6", FnExternalDefineK<6>, 3},
    {"external_define7", FnExternalDefineK<7>, 3},
    {"external_define8", FnExternalDefineK<8>, 3},
    {"external_call", FnExternalCall<-1>, -1},
    {"external_call0", FnExternalCall<0>, 1},
    {"external_call1", FnExternalCall<1>, 2},
    {"external_call2", FnExternalCall<2>, 3},
    {"external_call3", FnExternalCall<3>, 4},
    {"external_call4", FnExternalCall<4>, 5},
    {"external_call5", FnExternalCall<5>, 6},
    {"external_call6", FnExternalCall<6>, 7},
    {"external_call7", FnExternalCall<7>, 8},
    {"external_call8", FnExternalCall<8>, 9},
    {"external_free", FnExternalFree, 1},
    {"window_handle", FnWindowHandle, 0},
    {"show_debug_message", FnShowDebugMessage, 1},
    {"set_program_priority", FnSetProgramPriority, 1},
    {"event_perform", FnEventPerform, 2},
    {"event_user", FnEventUser, 1},
    {"event_perform_object", FnEventPerformObject, 3},
    {"event_inherited", FnEventInherited, 0},
};

}  // namespace

void Function_Misc_Register() { RegisterFunctions(kMiscFunctions); }

void Misc_SetDebugMessageSink(void (*sink)(const std::string& text)) { g_DebugMessageSink = sink; }
