#include "world/Run_Clock.h"

#include <algorithm>

#include "data/Replay_Log.h"
#include "platform/Platform.h"

namespace {

RClockSource PlatformSource() {
  return {Platform_Microseconds, Platform_SleepMilliseconds, Platform_ProcessMessages};
}

RClockSource g_Source = PlatformSource();
int64_t g_Base = 0;

}  // namespace

void Clock_SetSource(const RClockSource& source) { g_Source = source; }
void Clock_UsePlatform() { g_Source = PlatformSource(); }

void ClockStart() { g_Base = g_Source.microseconds(); }

int64_t ClockMicroseconds() { return g_Source.microseconds() - g_Base; }

void WaitMicroseconds(int64_t t) {
  if (t <= 0) return;
  int64_t start = ClockMicroseconds();
  int64_t target = start + t;
  if (t >= 2000) g_Source.sleep_ms(static_cast<int32_t>((t - 1000) / 1000));
  for (;;) {
    g_Source.process_messages();
    int64_t now = ClockMicroseconds();
    if (now < start || now >= target) return;
  }
}

double Clock_CurrentTime() {
  return Replay_Real(REPLAY_CLOCK, [] { return static_cast<double>(Platform_Microseconds() / 1000); });
}

RLocalTime Clock_LocalTime() {
  RLocalTime live{};
  bool read = false;
  auto field = [&](int32_t RLocalTime::*part) {
    return Replay_Int(REPLAY_LOCAL_TIME, [&] {
      if (!read) live = Platform_LocalTime();
      read = true;
      return live.*part;
    });
  };
  RLocalTime t;
  for (int32_t RLocalTime::*part : {&RLocalTime::year, &RLocalTime::month, &RLocalTime::day, &RLocalTime::hour,
                                    &RLocalTime::minute, &RLocalTime::second, &RLocalTime::millisecond})
    t.*part = field(part);
  return t;
}

void RFrameTimer::Start(int64_t now) {
  next = mark = now;
  count = 0;
}

int64_t RFrameTimer::AfterStep(int64_t now, int32_t speed, int32_t& fps) {
  if (now < next) next = now;
  int64_t frame = 1000000 / std::max(speed, 1);
  int64_t wait = std::clamp<int64_t>(frame - (now - next), 0, 1000000);
  next = now + wait;
  if (next < mark) mark = next;
  if (next / 1000000 > mark / 1000000) {
    fps = count;
    count = 0;
    mark = next;
  }
  count++;
  return wait;
}
