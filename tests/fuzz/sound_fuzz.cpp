// A sound as the engine receives it: a record's settings and the file's bytes
// are prepared (decoded, or written out for the multimedia player), played,
// stopped and discarded, and a few mixing buffers of the bytes go through the
// record's effects. Nothing may crash, hang or produce a non-finite sample.
//
// Input: kind (1 byte), effect bits (2 bytes), volume and pan (1 byte each),
// then the sound file.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "data/Support_TempDir.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Effect.h"
#include "sound/Sound_Main.h"

namespace {

bool Started() {
  TempDir_Create();
  Sound_Start();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Started();
  (void)started;
  if (size < 5) return 0;
  // Rendering MIDI loads a soundfont each time, far too slow to fuzz: the
  // length check is what runs on MIDI files.
  if (Sound_MidiSeconds(data + 5, size - 5) >= 0) return 0;

  RSlots<RSoundRecord> records(1);
  RSoundRecord& r = records[0].emplace();
  r.kind = data[0] % 5 - 1;
  r.effects = (data[1] | data[2] << 8) & 511;
  r.volume = data[3] / 255.0;
  r.pan = data[4] / 127.5 - 1;
  r.fileType = ".wav";
  r.hasData = true;
  r.data.assign(data + 5, data + size);
  Sound_Install(records);
  CSound& sound = *Sound_Get(0);
  const int32_t sample = sound.SampleOf();
  Sample_Play(sample, data[0] & 8);
  Sample_SetVolume(sample, 10, 0.5);
  Sample_SetEffects(sample, r.effects);
  Sample_IsPlaying(sample);
  Sample_Stop(sample);
  const std::string temp = sound.TempFile;
  Sound_ClearTable();
  if (!temp.empty()) std::filesystem::remove(temp);

  RVoiceSettings settings;
  settings.effects.bits = r.effects;
  CSoundVoice voice;
  voice.Configure(settings, true);
  constexpr int32_t kFrames = 64;
  std::vector<int16_t> frames(2 * kFrames);
  for (int buffer = 0; buffer < 2; ++buffer) {
    const size_t offset = buffer * frames.size() * 2 % size;
    std::memcpy(frames.data(), data + offset, std::min(size - offset, frames.size() * 2));
    voice.Process(frames.data(), kFrames, buffer * kFrames, 1.0f);
  }
  std::vector<float> f(2 * kFrames, 1e30f);
  voice.ProcessFloat(f.data(), kFrames, 4096, 1.0f);
  return 0;
}
