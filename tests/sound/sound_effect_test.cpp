// The signal processing of one playing sound, on frames in memory: gains,
// fades, 3D attenuation and what each effect does to a tone.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Platform_Audio.h"
#include "sound/Sound_Effect.h"

namespace {

// Stereo frames of a sine, the same on both sides.
std::vector<float> Tone(double frequency, int32_t frames, float amplitude = 0.5f) {
  std::vector<float> f(2 * static_cast<size_t>(frames));
  for (int32_t i = 0; i < frames; ++i)
    f[2 * i] = f[2 * i + 1] = amplitude * static_cast<float>(std::sin(2 * M_PI * frequency * i / AUDIO_RATE));
  return f;
}

double Level(const std::vector<float>& f, int side, int32_t from, int32_t to) {
  double sum = 0;
  for (int32_t i = from; i < to; ++i) sum += f[2 * i + side] * f[2 * i + side];
  return std::sqrt(sum / (to - from));
}

// Runs the frames through a voice with the settings, in blocks as the mixer
// would.
std::vector<float> Shape(std::vector<float> f, const RVoiceSettings& settings) {
  CSoundVoice voice;
  voice.Configure(settings, true);
  const int32_t frames = static_cast<int32_t>(f.size() / 2);
  for (int32_t at = 0; at < frames; at += 1024)
    voice.ProcessFloat(f.data() + 2 * at, std::min(1024, frames - at), at, 1.0f);
  return f;
}

RVoiceSettings With(int32_t bits) {
  RVoiceSettings s;
  s.effects.bits = bits;
  return s;
}

}  // namespace

TEST(SoundEffect, GainsOfVolumePanAndPlace) {
  EXPECT_DOUBLE_EQ(Sound_DecibelGain(0), 1);
  EXPECT_NEAR(Sound_DecibelGain(-2000), 0.1, 1e-12);
  EXPECT_EQ(Sound_DecibelGain(-10000), 0);
  float l, r;
  Sound_PanGains(-10000, l, r);
  EXPECT_EQ(l, 1);
  EXPECT_LT(r, 1e-4);
  Sound_PanGains(2000, l, r);
  EXPECT_NEAR(l, 0.1, 1e-6);
  EXPECT_EQ(r, 1);

  R3DSource s;
  s.z = 0.5;  // inside the minimum distance
  Sound_3DGains(s, l, r);
  EXPECT_FLOAT_EQ(l, 1);
  s.z = 4;
  Sound_3DGains(s, l, r);
  EXPECT_FLOAT_EQ(l, 0.25f);
  s.maxDistance = 2;  // stops falling at the maximum
  Sound_3DGains(s, l, r);
  EXPECT_FLOAT_EQ(r, 0.5f);
  s = R3DSource();
  s.x = 3;  // to the right
  Sound_3DGains(s, l, r);
  EXPECT_FLOAT_EQ(l, 0);
  EXPECT_FLOAT_EQ(r, 1.0f / 3);
  // A cone pointing away from the listener leaves the outside volume.
  s = R3DSource();
  s.z = 1;
  s.angleIn = 90, s.angleOut = 180, s.outsideVolume = -2000;
  Sound_3DGains(s, l, r);
  EXPECT_NEAR(l, 0.1, 1e-6);
  s.coneZ = -1;  // towards the listener
  Sound_3DGains(s, l, r);
  EXPECT_FLOAT_EQ(l, 1);
}

TEST(SoundEffect, FadeRampsAcrossBlocks) {
  RVoiceSettings s;
  s.volume = {1.0f, 0.0f, 1000, 1000};
  EXPECT_FLOAT_EQ(s.volume.At(0), 1);
  EXPECT_FLOAT_EQ(s.volume.At(1500), 0.5f);
  EXPECT_FLOAT_EQ(s.volume.At(5000), 0);
  std::vector<float> f(2 * 3000, 1.0f);
  f = Shape(f, s);
  EXPECT_FLOAT_EQ(f[2 * 500], 1);
  EXPECT_NEAR(f[2 * 1500], 0.5, 0.01);
  EXPECT_EQ(f[2 * 2500 + 1], 0);
}

TEST(SoundEffect, EachEffectShapesATone) {
  const std::vector<float> tone = Tone(1000, AUDIO_RATE / 2);
  const double level = Level(tone, 0, 0, AUDIO_RATE / 2);

  // Gargle with a square wave silences half of the time.
  RVoiceSettings g = With(SOUND_EFFECT_GARGLE);
  g.effects.gargle = {10, 1};
  std::vector<float> out = Shape(tone, g);
  EXPECT_NEAR(Level(out, 0, 0, AUDIO_RATE / 20), level, 0.01);
  EXPECT_LT(Level(out, 0, AUDIO_RATE / 20, AUDIO_RATE / 10), 1e-6);

  // The equaliser lifts the band around its centre and leaves others.
  RVoiceSettings eq = With(SOUND_EFFECT_EQUALIZER);
  eq.effects.equalizer = {1000, 6, 12};
  EXPECT_NEAR(Level(Shape(tone, eq), 0, 4410, 22050) / level, std::pow(10, 12 / 20.0), 0.2);
  EXPECT_NEAR(Level(Shape(Tone(100, 22050), eq), 0, 4410, 22050) / level, 1, 0.1);

  // The compressor brings a loud tone down by its ratio above the threshold.
  RVoiceSettings c = With(SOUND_EFFECT_COMPRESSOR);
  c.effects.compressor = {0, 1, 50, -20, 4, 0};
  const double squeezed = Level(Shape(tone, c), 0, 11025, 22050);
  EXPECT_LT(squeezed, level / 3);
  EXPECT_GT(squeezed, level / 20);

  // The echo's sides repeat after their own delays, swapped with pandelay.
  std::vector<float> click(2 * 20000, 0.0f);
  click[0] = click[1] = 1.0f;
  RVoiceSettings e = With(SOUND_EFFECT_ECHO);
  e.effects.echo = {100, 50, 100, 200, 1};
  out = Shape(click, e);
  EXPECT_FLOAT_EQ(out[2 * 4410], 1);       // left after 100 ms
  EXPECT_FLOAT_EQ(out[2 * 8820 + 1], 1);   // right after 200 ms
  EXPECT_FLOAT_EQ(out[2 * 13230 + 1], 0.5f);  // the left repeat, fed back on the right
}

TEST(SoundEffect, EveryChainStaysFiniteAndBounded) {
  // A full-scale square wave through every effect at once, and at extreme
  // parameters, neither explodes nor goes silent.
  std::vector<float> loud(2 * 30000);
  for (size_t i = 0; i < loud.size(); ++i) loud[i] = (i / 100) % 2 ? 1.0f : -1.0f;
  RVoiceSettings all = With(511);
  all.effects.chorus = {100, 100, 99, 10, 0, 20, 4};
  all.effects.flanger = {100, 100, -99, 10, 1, 4, 0};
  all.effects.echo = {100, 100, 1, 2000, 1};
  all.effects.reverb = {0, 0, 3000, 0.999f};
  for (const RVoiceSettings& s : {all, With(511)}) {
    const std::vector<float> out = Shape(loud, s);
    double peak = 0;
    for (float v : out) {
      ASSERT_TRUE(std::isfinite(v));
      peak = std::max(peak, static_cast<double>(std::fabs(v)));
    }
    EXPECT_LT(peak, 100);
    EXPECT_GT(Level(out, 0, 20000, 30000), 1e-3);
  }
  // Nonsense parameters are clamped rather than trusted.
  RVoiceSettings odd = With(SOUND_EFFECT_ECHO | SOUND_EFFECT_CHORUS | SOUND_EFFECT_EQUALIZER);
  odd.effects.echo = {NAN, -5, -100, 1e9f, 7};
  odd.effects.chorus = {1e9f, -1, NAN, 1e9f, 9, -3, -9};
  odd.effects.equalizer = {-1, 0, 1e9f};
  for (float v : Shape(loud, odd)) ASSERT_TRUE(std::isfinite(v));
  EXPECT_GT(Sound_EffectTailFrames(all.effects), 0);
  EXPECT_EQ(Sound_EffectTailFrames(With(SOUND_EFFECT_GARGLE).effects), 0);
}
