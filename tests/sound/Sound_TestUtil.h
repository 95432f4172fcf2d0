// Sounds made by the tests, and the mixed output read back from the disk
// audio driver.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/DataNew_Class.h"
#include "platform/Platform.h"
#include "platform/Platform_Audio.h"
#include "sound/Sound_Main.h"

// A mono 16-bit wave file of a sine.
inline RBytes SineWav(double frequency, double seconds, double amplitude = 0.5) {
  const uint32_t frames = static_cast<uint32_t>(seconds * AUDIO_RATE);
  RBytes out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) { out.push_back(static_cast<uint8_t>(v)), out.push_back(static_cast<uint8_t>(v >> 8)); };
  auto tag = [&](const char* t) { out.insert(out.end(), t, t + 4); };
  tag("RIFF"), u32(36 + frames * 2), tag("WAVE");
  tag("fmt "), u32(16), u16(1), u16(1), u32(AUDIO_RATE), u32(AUDIO_RATE * 2), u16(2), u16(16);
  tag("data"), u32(frames * 2);
  for (uint32_t i = 0; i < frames; ++i)
    u16(static_cast<uint16_t>(static_cast<int16_t>(amplitude * 32767 * std::sin(2 * M_PI * frequency * i / AUDIO_RATE))));
  return out;
}

// Fills the sound table with one sound per (kind, file) pair, named snd0,
// snd1, ...
inline void InstallSounds(const std::vector<std::pair<int32_t, RBytes>>& sounds) {
  RSlots<RSoundRecord> records;
  for (const auto& [kind, bytes] : sounds) {
    RSoundRecord& r = records.emplace_back(RSoundRecord()).value();
    r.name = "snd" + std::to_string(records.size() - 1);
    r.kind = kind;
    r.fileType = ".wav";
    r.fileName = r.name + ".wav";
    r.hasData = true;
    r.data = bytes;
  }
  Sound_Install(records);
}

inline std::string SoundTestPath(const std::string& name) {
  return (std::filesystem::path(VELMORA_BUILD_DIR) / ("sound_test_" + name)).string();
}

inline std::string WriteSoundFile(const std::string& name, const RBytes& bytes) {
  const std::string path = SoundTestPath(name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

// Waits until the mixer has mixed `frames` more frames (or a generous time
// has passed, which the checks on the output then show).
inline void WaitMixed(int64_t frames) {
  const int64_t target = Platform_AudioFramesMixed() + frames;
  for (int i = 0; i < 30000 && Platform_AudioFramesMixed() < target; ++i) Platform_SleepMilliseconds(1);
}

inline int64_t Seconds(double s) { return static_cast<int64_t>(s * AUDIO_RATE); }

// The sound system started on the disk driver: everything mixed goes to a
// file, a few times faster than real time.
class CDiskCapture {
 public:
  explicit CDiskCapture(const std::string& name) : m_Path(SoundTestPath(name + ".raw")) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", m_Path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);
    Sound_Reset();
    EXPECT_TRUE(Sound_Start());
    Sound_SetGlobalVolume(1.0);
  }
  ~CDiskCapture() {
    Sound_Reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  // Frame of the output where something started now: nothing is mixed while
  // the caller holds the mixer lock.
  static int64_t Now() { return Platform_AudioFramesMixed(); }
  // Closes the device and reads what was mixed. The device starts playing
  // before the mixer counts its first frame, so the file may begin with a
  // few buffers the count never saw (more of them when the machine is busy);
  // frame numbers below are in the count's terms.
  void Finish() {
    Sound_Reset();
    std::ifstream in(m_Path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> all(bytes.size() / 2);
    std::memcpy(all.data(), bytes.data(), all.size() * 2);
    const int64_t counted = Platform_AudioFramesMixed();
    const int64_t uncounted = std::max<int64_t>(0, static_cast<int64_t>(all.size() / 2) - counted);
    samples.assign(all.begin() + 2 * uncounted, all.end());
  }
  int64_t Frames() const { return static_cast<int64_t>(samples.size() / 2); }
  // Root mean square level of one side (0 left, 1 right) over frames, 0 to 1.
  double Level(int side, int64_t from, int64_t to) const {
    from = std::max<int64_t>(from, 0), to = std::min(to, Frames());
    double sum = 0;
    for (int64_t i = from; i < to; ++i) sum += std::pow(samples[2 * i + side] / 32768.0, 2);
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
  }
  // The frequency of a tone from its rising zero crossings.
  double Frequency(int side, int64_t from, int64_t to) const {
    from = std::max<int64_t>(from, 1), to = std::min(to, Frames());
    int64_t first = -1, last = -1, crossings = 0;
    for (int64_t i = from; i < to; ++i) {
      if (samples[2 * (i - 1) + side] < 0 && samples[2 * i + side] >= 0) {
        if (first < 0) first = i;
        last = i;
        ++crossings;
      }
    }
    return crossings > 1 ? (crossings - 1) * static_cast<double>(AUDIO_RATE) / static_cast<double>(last - first) : 0;
  }

  std::vector<int16_t> samples;  // interleaved left, right

 private:
  std::string m_Path;
};
