// Run_Clock: the microsecond clock of the main loop, its wait, and the frame
// timing that turns a room speed into waits without ever catching up.
#pragma once

#include <cstdint>

#include "platform/Platform_System.h"

// Where the clock reads time and how it sleeps; tests install a simulated one.
struct RClockSource {
  int64_t (*microseconds)();        // a steady clock, any origin
  void (*sleep_ms)(int32_t ms);     // blocks about that long
  void (*process_messages)();       // handles pending window messages
};
void Clock_SetSource(const RClockSource& source);
// Back to the platform's clock.
void Clock_UsePlatform();

// Records the clock's base.
void ClockStart();
// Microseconds since the base.
int64_t ClockMicroseconds();
// Waits t microseconds: sleeps in whole milliseconds leaving at least one for
// the spin, then spins processing window messages until the target. Returns at
// once for t <= 0 or when the clock goes backwards.
void WaitMicroseconds(int64_t t);

// The clocks the game itself reads; a played-back run reads them from its
// record. Milliseconds of a steady clock (`current_time`), and the local date
// and time (the `current_` variables and the date built-ins).
double Clock_CurrentTime();
RLocalTime Clock_LocalTime();

// The frame timing of the main loop.
struct RFrameTimer {
  int64_t next = 0;   // when the current frame was planned to start
  int64_t mark = 0;   // start of the second being counted for fps
  int32_t count = 0;  // frames counted in that second

  // Starts timing at `now`.
  void Start(int64_t now);
  // After a step that ended at `now`, with the room at `speed` (>= 1) steps
  // per second: the wait before the next frame, 0 to one second. When a whole
  // second of the clock was crossed, `fps` takes the frames counted.
  int64_t AfterStep(int64_t now, int32_t speed, int32_t& fps);
};
