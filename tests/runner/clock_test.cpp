#include <gtest/gtest.h>

#include <vector>

#include "world/Run_Clock.h"
#include "support/Builtin_Call.h"

namespace {

// A simulated clock: sleeping and spinning move time forward, nothing waits.
int64_t g_Now = 0;
std::vector<int32_t> g_Sleeps;
int g_Spins = 0;

void InstallFakeClock(int64_t start) {
  g_Now = start;
  g_Sleeps.clear();
  g_Spins = 0;
  Clock_SetSource({[] { return g_Now; },
                   [](int32_t ms) {
                     g_Sleeps.push_back(ms);
                     g_Now += int64_t(ms) * 1000;
                   },
                   [] {
                     g_Spins++;
                     g_Now += 100;
                   }});
  ClockStart();
}

}  // namespace

TEST(Clock, WaitSleepsWholeMillisecondsThenSpins) {
  InstallFakeClock(5000000);
  WaitMicroseconds(16666);
  ASSERT_EQ(g_Sleeps.size(), 1u);
  EXPECT_EQ(g_Sleeps[0], 15);  // (16666 - 1000) / 1000
  EXPECT_GE(ClockMicroseconds(), 16666);
  EXPECT_GT(g_Spins, 0);

  InstallFakeClock(0);
  WaitMicroseconds(1999);  // too short to sleep: spin only
  EXPECT_TRUE(g_Sleeps.empty());
  EXPECT_GE(ClockMicroseconds(), 1999);

  InstallFakeClock(0);
  WaitMicroseconds(0);
  WaitMicroseconds(-5);
  EXPECT_EQ(g_Spins, 0);
  Clock_UsePlatform();
}

TEST(Clock, WaitReturnsWhenTheClockGoesBackwards) {
  InstallFakeClock(1000000);
  Clock_SetSource({[] { return g_Now; }, [](int32_t) { g_Now -= 500000; }, [] {}});
  WaitMicroseconds(50000);  // the sleep moves the clock back: no endless spin
  Clock_UsePlatform();
}

TEST(FrameTimer, WaitsTheRestOfTheFrame) {
  RFrameTimer timer;
  int32_t fps = 0;
  timer.Start(0);
  // A step of 4 ms at 50 steps per second leaves 16 ms.
  EXPECT_EQ(timer.AfterStep(4000, 50, fps), 16000);
  EXPECT_EQ(timer.next, 20000);
  // The next frame is planned from the end of the wait.
  EXPECT_EQ(timer.AfterStep(25000, 50, fps), 15000);
}

TEST(FrameTimer, SlowStepGetsNoWaitAndNoCatchUp) {
  RFrameTimer timer;
  int32_t fps = 0;
  timer.Start(0);
  EXPECT_EQ(timer.AfterStep(50000, 30, fps), 0);  // 50 ms step, 33 ms frame
  EXPECT_EQ(timer.next, 50000);                   // timing restarts from the step's end
  EXPECT_EQ(timer.AfterStep(51000, 30, fps), 32333);
}

TEST(FrameTimer, SpeedBelowOneAndTheOneSecondCap) {
  RFrameTimer timer;
  int32_t fps = 0;
  timer.Start(0);
  EXPECT_EQ(timer.AfterStep(0, 0, fps), 1000000);   // speed 0 counts as 1
  timer.Start(0);
  EXPECT_EQ(timer.AfterStep(0, -7, fps), 1000000);
  timer.Start(0);
  EXPECT_LE(timer.AfterStep(0, 1, fps), 1000000);
}

TEST(FrameTimer, FpsCountsWholeSecondsOfTheClock) {
  RFrameTimer timer;
  int32_t fps = 0;
  int64_t now = 0;
  timer.Start(now);
  // 60 steps of 1 ms at speed 60 cross the first second.
  int frames = 0;
  while (timer.next < 1000000) {
    now = timer.next + 1000;
    timer.AfterStep(now, 60, fps);
    frames++;
    if (timer.next / 1000000 == 0) EXPECT_EQ(fps, 0) << "fps is 0 before the first whole second";
  }
  EXPECT_EQ(fps, frames - 1);
  EXPECT_GE(fps, 59);
  EXPECT_LE(fps, 61);
}

TEST(Clock, SleepWaitsOnTheMainLoopClock) {
  InstallFakeClock(0);
  CallByName("sleep", {RValue(20.0)});
  ASSERT_EQ(g_Sleeps.size(), 1u);
  EXPECT_EQ(g_Sleeps[0], 19);
  EXPECT_GE(ClockMicroseconds(), 20000);
  CallByName("sleep", {RValue(-5.0)});  // nothing to wait for
  EXPECT_EQ(g_Sleeps.size(), 1u);
  Clock_UsePlatform();
}
