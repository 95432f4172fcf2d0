#include "platform/Platform_System.h"

#include <SDL.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <clocale>
#include <ctime>
#include <locale.h>

bool Platform_ClipboardHasText() { return SDL_HasClipboardText() == SDL_TRUE; }

std::string Platform_ClipboardGetText() {
  if (!Platform_ClipboardHasText()) return {};
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return {};
  std::string copy(text);
  SDL_free(text);
  return copy;
}

void Platform_ClipboardSetText(const std::string& text) { SDL_SetClipboardText(text.c_str()); }

RLocalTime Platform_LocalTime() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm parts{};
  localtime_r(&now.tv_sec, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
          parts.tm_sec, static_cast<int32_t>(now.tv_usec / 1000)};
}

namespace {

// The user's time formats, without touching the process-wide locale.
locale_t UserTimeLocale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    return l != static_cast<locale_t>(0) ? l : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

std::string FormatLocal(const char* format, const RLocalTime& t) {
  tm parts{};
  parts.tm_year = t.year - 1900;
  parts.tm_mon = t.month - 1;
  parts.tm_mday = t.day;
  parts.tm_hour = t.hour;
  parts.tm_min = t.minute;
  parts.tm_sec = t.second;
  char text[128];
  size_t n = strftime_l(text, sizeof text, format, &parts, UserTimeLocale());
  return std::string(text, n);
}

}  // namespace

std::string Platform_LocaleDateText(const RLocalTime& t) { return FormatLocal("%x", t); }
std::string Platform_LocaleTimeText(const RLocalTime& t) { return FormatLocal("%X", t); }

void Platform_SetPriority(int32_t level) {
  int nice = 0;
  switch (level) {
    case 3: nice = -20; break;
    case 2: nice = -10; break;
    case 1: nice = -5; break;
    case -1: nice = 5; break;
    case -2: nice = 10; break;
    case -3: nice = 19; break;
    default: break;
  }
  // Refused without privileges; the game runs on at its present priority.
  setpriority(PRIO_PROCESS, 0, nice);
}
