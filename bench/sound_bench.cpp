// Mixing cost: 32 sounds playing at once, each with two effects, as processor
// time per second of audio (the goal is under 5 % of one core).
//
// "voices" runs the engine's per-sound processing alone, block by block as
// the mixer calls it. "mixer" plays the 32 sounds on the real mixer with the
// disk driver (writing to a scratch file a few times faster than real time)
// and divides the process's processor time by the audio mixed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "data/DataNew_Class.h"
#include "platform/Platform.h"
#include "platform/Platform_Audio.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Effect.h"
#include "sound/Sound_Main.h"

namespace {

constexpr int kSounds = 32;
constexpr int32_t kBlock = 1024;

// Two effects per sound, taken in turn from the pairs a game might use.
constexpr int32_t kPairs[] = {
    SOUND_EFFECT_ECHO | SOUND_EFFECT_REVERB,      SOUND_EFFECT_CHORUS | SOUND_EFFECT_COMPRESSOR,
    SOUND_EFFECT_FLANGER | SOUND_EFFECT_EQUALIZER, SOUND_EFFECT_GARGLE | SOUND_EFFECT_ECHO,
};

int32_t PairOf(int i) { return kPairs[i % (sizeof kPairs / sizeof kPairs[0])]; }

RBytes ToneWav(double frequency, int32_t frames) {
  RBytes out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) { out.push_back(static_cast<uint8_t>(v)), out.push_back(static_cast<uint8_t>(v >> 8)); };
  out.insert(out.end(), {'R', 'I', 'F', 'F'}), u32(36 + frames * 2);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16), u16(1), u16(1), u32(AUDIO_RATE), u32(AUDIO_RATE * 2), u16(2), u16(16);
  out.insert(out.end(), {'d', 'a', 't', 'a'}), u32(frames * 2);
  for (int32_t i = 0; i < frames; ++i)
    u16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(2 * M_PI * frequency * i / AUDIO_RATE))));
  return out;
}

void Voices(benchmark::State& state) {
  std::vector<CSoundVoice> voices(kSounds);
  for (int i = 0; i < kSounds; ++i) {
    RVoiceSettings s;
    s.effects.bits = PairOf(i);
    s.pan = (i % 5 - 2) * 2000;
    voices[i].Configure(s, true);
  }
  std::vector<int16_t> block(2 * kBlock);
  for (int32_t i = 0; i < kBlock; ++i) block[2 * i] = block[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(i * 0.06));
  int64_t clock = 0;
  double cpu_seconds = 0;
  for (auto _ : state) {
    const std::clock_t cpu = std::clock();
    // One second of audio for every sound.
    for (int32_t done = 0; done < AUDIO_RATE; done += kBlock, clock += kBlock)
      for (CSoundVoice& v : voices) {
        v.Process(block.data(), kBlock, clock, 1.0f);
        benchmark::DoNotOptimize(block.data());
      }
    cpu_seconds += static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
  }
  state.counters["core_percent_per_audio_second"] = 100.0 * cpu_seconds / static_cast<double>(state.iterations());
}
BENCHMARK(Voices)->Unit(benchmark::kMillisecond);

void Mixer(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "2", 1);
  Sound_Reset();
  if (!Sound_Start()) {
    state.SkipWithError("no audio device");
    return;
  }
  RSlots<RSoundRecord> records(kSounds);
  for (int i = 0; i < kSounds; ++i) {
    RSoundRecord& r = records[i].emplace();
    r.kind = SOUND_KIND_NORMAL;
    r.hasData = true;
    r.data = ToneWav(200 + 20 * i, AUDIO_RATE);
    r.effects = PairOf(i);
  }
  Sound_Install(records);
  Sound_PreloadAll();
  for (int i = 0; i < kSounds; ++i) Sample_Play(Sound_Get(i)->Sample, true);
  double cpu_seconds = 0, audio_seconds = 0;
  for (auto _ : state) {
    const std::clock_t cpu = std::clock();
    const int64_t mixed = Platform_AudioFramesMixed();
    while (Platform_AudioFramesMixed() - mixed < AUDIO_RATE) Platform_SleepMilliseconds(2);
    cpu_seconds += static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    audio_seconds += static_cast<double>(Platform_AudioFramesMixed() - mixed) / AUDIO_RATE;
  }
  state.counters["core_percent_per_audio_second"] = 100.0 * cpu_seconds / audio_seconds;
  Sound_Reset();
}
BENCHMARK(Mixer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
