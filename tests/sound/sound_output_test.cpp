// What the mixer really produces, read back from the disk audio driver:
// tones, pan, volume, stop, loops, music replacement, echo and 3D distance.
#include <gtest/gtest.h>

#include "sound/Sound_Class.h"
#include "support/Builtin_Call.h"
#include "sound/Sound_TestUtil.h"

namespace {

RValue R(double v) { return RValue(v); }

constexpr int64_t kMargin = 2048;  // two mixing buffers

}  // namespace

TEST(SoundOutput, ToneLoopsUntilStoppedThenSilence) {
  CDiskCapture capture("loop");
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.1)}});
  int64_t start, stop;
  {
    CAudioLock lock;
    CallByName("sound_loop", {R(0)});
    start = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.4));  // four times the sound's length
  {
    CAudioLock lock;
    EXPECT_EQ(CallByName("sound_isplaying", {R(0)}).real, 1);
    CallByName("sound_stop", {R(0)});
    stop = CDiskCapture::Now();
    EXPECT_EQ(CallByName("sound_isplaying", {R(0)}).real, 0);
  }
  WaitMixed(Seconds(0.2));
  capture.Finish();
  ASSERT_GT(capture.Frames(), stop + Seconds(0.1));
  EXPECT_GE(stop - start, Seconds(0.35));
  EXPECT_NEAR(capture.Frequency(0, start, stop), 440, 3);
  EXPECT_NEAR(capture.Frequency(1, start, stop), 440, 3);
  // Past the sound's length it goes on.
  EXPECT_GT(capture.Level(0, start + Seconds(0.25), start + Seconds(0.35)), 0.3);
  EXPECT_LT(capture.Level(0, 0, start), 1e-4);
  EXPECT_LT(capture.Level(0, stop, capture.Frames()), 1e-4);
}

TEST(SoundOutput, PanVolumeAndPlayingOnce) {
  CDiskCapture capture("pan");
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(1000, 0.3)}, {SOUND_KIND_NORMAL, SineWav(1000, 0.3)}});
  int64_t left_at, quiet_at;
  {
    CAudioLock lock;
    CallByName("sound_pan", {R(0), R(-1)});
    CallByName("sound_play", {R(0)});
    left_at = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.4));
  {
    CAudioLock lock;
    CallByName("sound_volume", {R(1), R(0.9)});  // -960 hundredths: a third
    CallByName("sound_play", {R(1)});
    quiet_at = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.4));
  capture.Finish();
  const double left = capture.Level(0, left_at + kMargin, left_at + Seconds(0.25));
  EXPECT_NEAR(left, 0.5 / std::sqrt(2.0), 0.02);
  EXPECT_LT(capture.Level(1, left_at + kMargin, left_at + Seconds(0.25)), left * 1e-3);
  // A sound played once ends with its length.
  EXPECT_LT(capture.Level(0, left_at + Seconds(0.3) + kMargin, quiet_at), 1e-4);
  const double quiet = capture.Level(1, quiet_at + kMargin, quiet_at + Seconds(0.25));
  EXPECT_NEAR(quiet / left, std::pow(10.0, -960 / 2000.0), 0.02);
}

TEST(SoundOutput, BackgroundMusicReplacesTheOneThatPlayed) {
  CDiskCapture capture("music");
  InstallSounds({{SOUND_KIND_BACKGROUND, SineWav(440, 2)}, {SOUND_KIND_BACKGROUND, SineWav(880, 2)},
                 {SOUND_KIND_NORMAL, SineWav(220, 2)}});
  CallByName("sound_play", {R(2)});
  CallByName("sound_play", {R(0)});
  const int64_t first = CDiskCapture::Now();
  WaitMixed(Seconds(0.3));
  CallByName("sound_play", {R(1)});
  const int64_t second = CDiskCapture::Now();
  EXPECT_EQ(CallByName("sound_isplaying", {R(0)}).real, 0);
  EXPECT_EQ(CallByName("sound_isplaying", {R(1)}).real, 1);
  WaitMixed(Seconds(0.3));
  CallByName("sound_stop", {R(2)});
  capture.Finish();
  // Only the second music and the normal sound are left: the low tone and
  // the high one, nothing at 440 Hz between them.
  auto goertzel = [&](double f, int64_t from, int64_t to) {
    double s1 = 0, s2 = 0;
    const double k = 2 * std::cos(2 * M_PI * f / AUDIO_RATE);
    for (int64_t i = from; i < to; ++i) {
      const double s = capture.samples[2 * i] / 32768.0 + k * s1 - s2;
      s2 = s1, s1 = s;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - k * s1 * s2) / static_cast<double>(to - from);
  };
  const int64_t a = first + 4 * kMargin, b = second - kMargin;
  const int64_t c = second + 4 * kMargin, d = std::min(second + Seconds(0.3), capture.Frames());
  ASSERT_GT(b, a);
  ASSERT_GT(d, c);
  EXPECT_GT(goertzel(440, a, b), 10 * goertzel(880, a, b));
  EXPECT_GT(goertzel(880, c, d), 10 * goertzel(440, c, d));
  EXPECT_GT(goertzel(220, c, d), 10 * goertzel(440, c, d));
}

TEST(SoundOutput, EchoRepeatsAfterItsDelay) {
  CDiskCapture capture("echo");
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(1000, 0.05)}});
  int64_t start;
  {
    CAudioLock lock;
    CallByName("sound_effect_set", {R(0), R(SOUND_EFFECT_ECHO)});
    CallByName("sound_effect_echo", {R(0), R(50), R(0), R(200), R(200), R(0)});
    CallByName("sound_play", {R(0)});
    start = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.5));
  capture.Finish();
  const double dry = capture.Level(0, start, start + Seconds(0.05));
  EXPECT_NEAR(dry, 0.25 / std::sqrt(2.0), 0.02);  // half of the tone stays dry
  EXPECT_LT(capture.Level(0, start + Seconds(0.07), start + Seconds(0.19)), 1e-3);
  EXPECT_NEAR(capture.Level(0, start + Seconds(0.2), start + Seconds(0.25)), dry, 0.02);
  EXPECT_LT(capture.Level(0, start + Seconds(0.27), start + Seconds(0.45)), 1e-3);
}

TEST(SoundOutput, A3DSoundFarAwayIsQuieterThanNear) {
  CDiskCapture capture("3d");
  InstallSounds({{SOUND_KIND_3D, SineWav(500, 2)}});
  int64_t near_at, far_at;
  {
    CAudioLock lock;
    CallByName("sound_3d_set_sound_position", {R(0), R(0), R(0), R(2)});
    CallByName("sound_loop", {R(0)});
    near_at = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.2));
  {
    CAudioLock lock;
    CallByName("sound_3d_set_sound_position", {R(0), R(0), R(0), R(20)});
    far_at = CDiskCapture::Now();
  }
  WaitMixed(Seconds(0.2));
  capture.Finish();
  const double near = capture.Level(0, near_at + kMargin, far_at);
  const double far = capture.Level(0, far_at + kMargin, far_at + Seconds(0.15));
  EXPECT_NEAR(near, 0.5 / std::sqrt(2.0) / 2, 0.01);  // minimum distance 1, at 2
  EXPECT_NEAR(far / near, 0.1, 0.01);
}

TEST(SoundOutput, DummyDriverIsPlayingFollowsTheLength) {
  Sound_Reset();
  ASSERT_TRUE(Sound_Start());
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(300, 0.2)}, {SOUND_KIND_NORMAL, SineWav(300, 5)}});
  CallByName("sound_play", {R(0)});
  CallByName("sound_play", {R(1)});
  CallByName("sound_play", {R(1)});  // a second instance
  EXPECT_EQ(CallByName("sound_isplaying", {R(1)}).real, 1);
  for (int i = 0; i < 10000 && CallByName("sound_isplaying", {R(0)}).real == 1; ++i) Platform_SleepMilliseconds(1);
  EXPECT_EQ(CallByName("sound_isplaying", {R(0)}).real, 0);
  CallByName("sound_stop", {R(1)});  // ends both instances
  EXPECT_EQ(CallByName("sound_isplaying", {R(1)}).real, 0);
  Sound_Reset();
}
