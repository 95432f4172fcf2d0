#include "sound/Sound_Main.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "code/RValue.h"
#include "data/Resource_Table.h"
#include "platform/Platform.h"
#include "platform/Platform_Audio.h"
#include "sound/Sound_Class.h"

namespace {

// ---------------------------------------------------------------------------
// State

CResourceTable<CSound>& g_Sounds = *new CResourceTable<CSound>(RESOURCE_SOUND, "__newsound");

struct RSoundSample {
  bool used = false;
  int32_t kind = SOUND_KIND_NONE;
  RAudioClip* clip = nullptr;      // normal and 3D sounds
  RAudioClip* padded = nullptr;    // the clip with room for its effects to ring out
  int64_t paddedTail = 0;          // frames of that room
  RAudioStream* stream = nullptr;  // background music
  std::string fileName;            // multimedia file
  RVoiceSettings settings;
};

// What plays on one channel of the mixer: the sample and its running effects.
struct RChannel {
  int32_t sample = -1;
  int64_t end = -1;  // where the sound itself ends on the mixing clock; -1 looping
  CSoundVoice voice;
};

// The multimedia player: the file it holds, decoded, on the reserved channel.
struct RPlayer {
  std::string fileName;
  RAudioClip* clip = nullptr;
};
constexpr int32_t kPlayerChannel = 0;
// The player's file name limit: a longer one is refused with a message.
constexpr size_t kPlayerNameLimit = 127;

std::vector<RSoundSample> g_Samples;
std::vector<std::unique_ptr<RChannel>> g_Channels;  // by mixer channel
RPlayer g_Player;
bool g_Started = false;
int32_t g_MasterVolume = 0;  // hundredths of a decibel
float g_GlobalGain = 1.0f;   // read by the mixing thread
int32_t g_MusicSample = -1;  // the background music sample last started
float g_Tempo = 1.0f;
std::string g_SearchDirectory;

RSoundSample* UsedSample(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(g_Samples.size())) return nullptr;
  RSoundSample& s = g_Samples[static_cast<size_t>(index)];
  return s.used ? &s : nullptr;
}

// A used sample that the mixer shapes (kinds 0 to 2).
RSoundSample* ShapedSample(int32_t index) {
  RSoundSample* s = UsedSample(index);
  return s && s->kind >= SOUND_KIND_NORMAL && s->kind <= SOUND_KIND_3D ? s : nullptr;
}

// ---------------------------------------------------------------------------
// The mixing thread

void ChannelHook(int16_t* frames, int32_t count, void* user) {
  static_cast<RChannel*>(user)->voice.Process(frames, count, Platform_AudioFramesMixed(), g_GlobalGain);
}

// Background music has no channel: its fade and the global volume are set on
// the stream once per mixed buffer.
void ApplyMusicGain() {
  const RSoundSample* s = UsedSample(g_MusicSample);
  if (s && s->kind == SOUND_KIND_BACKGROUND)
    Platform_AudioSetStreamGain(s->settings.volume.At(Platform_AudioFramesMixed()) * g_GlobalGain);
}

void MixHook(void*) { ApplyMusicGain(); }

// ---------------------------------------------------------------------------
// Channels

RChannel& ChannelAt(int32_t channel) {
  while (static_cast<int32_t>(g_Channels.size()) <= channel) g_Channels.push_back(std::make_unique<RChannel>());
  return *g_Channels[static_cast<size_t>(channel)];
}

// Calls f(channel) for every channel that plays the sample.
template <typename F>
void ForEachChannelOf(int32_t sample, F f) {
  for (size_t ch = 0; ch < g_Channels.size(); ++ch) {
    RChannel& c = *g_Channels[ch];
    if (c.sample == sample && Platform_AudioPlaying(static_cast<int32_t>(ch))) f(c, static_cast<int32_t>(ch));
  }
}

// The sample's settings changed: its playing instances follow.
// The clip to play once: with effects that ring on, the clip with silence
// after it, so that its channel keeps running the effects.
RAudioClip* ClipToPlayOnce(RSoundSample& s) {
  const int64_t tail = Sound_EffectTailFrames(s.settings.effects);
  if (tail == 0) return s.clip;
  if (!s.padded || s.paddedTail != tail) {
    Platform_AudioFreeClip(s.padded);
    s.padded = Platform_AudioPaddedClip(s.clip, tail);
    s.paddedTail = tail;
  }
  return s.padded ? s.padded : s.clip;
}

void SettingsChanged(int32_t sample) {
  const RSoundSample* s = UsedSample(sample);
  if (!s) return;
  CAudioLock lock;
  ForEachChannelOf(sample, [&](RChannel& c, int32_t) { c.voice.Configure(s->settings, false); });
  if (sample == g_MusicSample) ApplyMusicGain();
}

// ---------------------------------------------------------------------------
// MIDI lengths

// Reads MIDI numbers off a byte range; every read past the end fails.
class CMidiReader {
 public:
  CMidiReader(const uint8_t* data, size_t size) : m_At(data), m_End(data + size) {}
  bool Left(size_t n) const { return static_cast<size_t>(m_End - m_At) >= n; }
  bool Skip(size_t n) {
    if (!Left(n)) return false;
    m_At += n;
    return true;
  }
  bool Byte(uint32_t& v) {
    if (!Left(1)) return false;
    v = *m_At++;
    return true;
  }
  bool Fixed(size_t n, uint32_t& v) {
    v = 0;
    for (uint32_t b; n-- > 0; v = v << 8 | b)
      if (!Byte(b)) return false;
    return true;
  }
  // A variable-length quantity: at most four bytes of seven bits.
  bool Variable(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint32_t b;
      if (!Byte(b)) return false;
      v = v << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  const uint8_t* At() const { return m_At; }

 private:
  const uint8_t* m_At;
  const uint8_t* m_End;
};

// Ticks to the end of one track, and the slowest tempo it sets.
void ScanMidiTrack(CMidiReader r, uint64_t& ticks, uint32_t& slowest) {
  uint32_t running = 0;  // the status that data bytes without one continue
  for (uint32_t delta, first; r.Variable(delta) && r.Byte(first);) {
    ticks += delta;
    const bool continued = first < 0x80;
    const uint32_t status = continued ? running : first;
    uint32_t type, length;
    if (status == 0xFF) {
      if (!r.Byte(type) || !r.Variable(length) || !r.Left(length)) return;
      uint32_t tempo;
      if (type == 0x51 && length == 3 && CMidiReader(r.At(), 3).Fixed(3, tempo)) slowest = std::max(slowest, tempo);
      if (type == 0x2F) return;
      r.Skip(length);
    } else if (status == 0xF0 || status == 0xF7) {
      if (!r.Variable(length) || !r.Skip(length)) return;
    } else if (status >= 0x80 && status < 0xF0) {
      running = status;
      const size_t data = ((status & 0xE0) == 0xC0 ? 1 : 2) - (continued ? 1 : 0);
      if (!r.Skip(data)) return;
    } else {
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// The multimedia player

void PlayerStop() {
  Platform_AudioHalt(kPlayerChannel);
}

bool MidiFileTooLong(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  char magic[4] = {};
  if (!in.read(magic, 4) || std::memcmp(magic, "MThd", 4) != 0) return false;
  in.seekg(0);
  const RBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Sound_MidiSeconds(bytes.data(), bytes.size()) > kMaxDecodedMidiSeconds;
}

void PlayerPlay(const std::string& file, bool loop) {
  if (file.size() >= kPlayerNameLimit) {
    Platform_ShowMessage("Music file name too long for player.");
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;
  PlayerStop();
  if (g_Player.fileName != file || !g_Player.clip) {
    Platform_AudioFreeClip(g_Player.clip);
    g_Player.fileName = file;
    g_Player.clip = MidiFileTooLong(file) ? nullptr : Platform_AudioLoadClipFile(file);
  }
  // Looping restarts the file from its beginning each time its length passes.
  Platform_AudioPlay(g_Player.clip, loop, kPlayerChannel);
}

bool PlayerHolds(const RSoundSample& s) { return !g_Player.fileName.empty() && g_Player.fileName == s.fileName; }

void PlayerClose() {
  PlayerStop();
  Platform_AudioFreeClip(g_Player.clip);
  g_Player = RPlayer();
}

// ---------------------------------------------------------------------------
// Samples

// Takes the first free slot (or a new one). Without a device the sample can
// only be a multimedia file.
int32_t NewSample(int32_t kind) {
  CAudioLock lock;  // the mixing thread reads the background music's slot
  auto it = std::find_if(g_Samples.begin(), g_Samples.end(), [](const RSoundSample& s) { return !s.used; });
  if (it == g_Samples.end()) it = g_Samples.insert(g_Samples.end(), RSoundSample());
  *it = RSoundSample();
  it->used = true;
  it->kind = Platform_AudioIsOpen() ? kind : SOUND_KIND_MULTIMEDIA;
  it->settings.is3D = it->kind == SOUND_KIND_3D;
  return static_cast<int32_t>(it - g_Samples.begin());
}

// Decodes the bytes for a sample of kinds 0 to 2; false when the mixer
// cannot take them.
bool LoadSampleData(RSoundSample& s, const uint8_t* data, size_t size) {
  if (s.kind == SOUND_KIND_BACKGROUND)
    s.stream = Platform_AudioLoadStream(data, size);
  else if (Sound_MidiSeconds(data, size) <= kMaxDecodedMidiSeconds)
    s.clip = Platform_AudioLoadClip(data, size);
  return s.clip || s.stream;
}

}  // namespace

// ---------------------------------------------------------------------------
// The sound table

void Sound_Install(RSlots<RSoundRecord>& records) {
  g_Sounds.Install(records);
}

void Sound_ClearTable() { g_Sounds.Clear(); }

void Sound_PreloadAll() {
  g_Sounds.ForEach([](CSound& s) { s.PrepareIfPreloaded(); });
}

int32_t Sound_Count() { return g_Sounds.Count(); }
CSound* Sound_Get(int32_t index) { return g_Sounds.Get(index); }
bool Sound_Exists(int32_t index) { return g_Sounds.Get(index) != nullptr; }
const std::string& Sound_Name(int32_t index) { return g_Sounds.Name(index); }
int32_t Sound_Find(const std::string& name) { return g_Sounds.Find(name); }

int32_t Sound_Add(const std::string& path, int32_t kind, bool preload) {
  auto sound = std::make_unique<CSound>();
  if (!sound->LoadFromFile(path, kind, preload)) return -1;
  return g_Sounds.Add(std::move(sound));
}

bool Sound_Replace(int32_t index, const std::string& path, int32_t kind, bool preload) {
  CSound* sound = g_Sounds.Slot(index);
  return sound && sound->LoadFromFile(path, kind, preload);
}

bool Sound_Delete(int32_t index) { return g_Sounds.Delete(index); }

double Sound_MidiSeconds(const uint8_t* data, size_t size) {
  CMidiReader r(data, size);
  uint32_t magic, length, format, tracks, division;
  if (!r.Fixed(4, magic) || magic != 0x4D546864 || !r.Fixed(4, length) || length < 6 || !r.Fixed(2, format) ||
      !r.Fixed(2, tracks) || !r.Fixed(2, division) || !r.Skip(length - 6))
    return -1;
  uint64_t longest = 0;
  uint32_t slowest = 500000;  // microseconds per quarter note unless a track says otherwise
  for (uint32_t t = 0; t < tracks; ++t) {
    uint32_t chunk, size_of;
    if (!r.Fixed(4, chunk) || !r.Fixed(4, size_of)) break;
    const size_t body = std::min<size_t>(size_of, static_cast<size_t>(data + size - r.At()));
    if (chunk == 0x4D54726B) {  // "MTrk"
      uint64_t ticks = 0;
      ScanMidiTrack(CMidiReader(r.At(), body), ticks, slowest);
      longest = std::max(longest, ticks);
    }
    r.Skip(body);
  }
  if (division & 0x8000) {  // frames per second x ticks per frame
    const int32_t fps = -static_cast<int8_t>(division >> 8);
    const uint32_t per_frame = division & 0xFF;
    return fps > 0 && per_frame > 0 ? static_cast<double>(longest) / (fps * per_frame) : 0;
  }
  return division == 0 ? 0 : static_cast<double>(longest) * slowest / 1e6 / division;
}

// ---------------------------------------------------------------------------
// Start and end

bool Sound_Start() {
  if (g_Started) Sound_ShutDown();
  Sample_FreeAll();
  g_Started = true;
  switch (Platform_AudioOpen()) {
    case AUDIO_OPENED:
      break;
    case AUDIO_NO_SERVICE:
      Platform_ShowMessage("Failed to create Direct Music Performance.");
      return false;
    case AUDIO_NO_DEVICE:
      Platform_ShowMessage("Failed to initialize Direct Music Audio.");
      return false;
  }
  Platform_AudioReserveChannels(kPlayerChannel + 1);
  Platform_AudioSetMixHook(MixHook, nullptr);
  return true;
}

void Sound_ShutDown() {
  Sample_FreeAll();
  PlayerClose();
  Platform_AudioSetMixHook(nullptr, nullptr);
  Platform_AudioClose();
  g_Channels.clear();
  g_Started = false;
}

bool Sound_DeviceOpen() { return Platform_AudioIsOpen(); }

void Sound_Reset() {
  Sound_ClearTable();
  Sound_ShutDown();
  g_MasterVolume = 0;
  g_GlobalGain = 1.0f;
  g_MusicSample = -1;
  g_Tempo = 1.0f;
  g_SearchDirectory.clear();
}

void Sound_SetSearchDirectory(const std::string& directory) { g_SearchDirectory = directory; }
const std::string& Sound_SearchDirectory() { return g_SearchDirectory; }

// ---------------------------------------------------------------------------
// Samples

int32_t Sample_LoadMemory(const RBytes& data, int32_t kind) {
  if (!Platform_AudioIsOpen()) return -1;
  const int32_t index = NewSample(kind);
  RSoundSample& s = g_Samples[static_cast<size_t>(index)];
  if (s.kind != SOUND_KIND_MULTIMEDIA && !LoadSampleData(s, data.data(), data.size()))
    s.kind = SOUND_KIND_MULTIMEDIA;
  if (s.kind == SOUND_KIND_MULTIMEDIA) {
    Sample_Free(index);
    return -1;
  }
  return index;
}

int32_t Sample_LoadFile(const std::string& path, int32_t kind) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return -1;
  const int32_t index = NewSample(kind);
  RSoundSample& s = g_Samples[static_cast<size_t>(index)];
  if (s.kind != SOUND_KIND_MULTIMEDIA) {
    // Music from a file goes to the multimedia player, the one reader of
    // files while they play.
    s.clip = s.kind == SOUND_KIND_BACKGROUND ? nullptr : Platform_AudioLoadClipFile(path);
    if (!s.clip) s.kind = SOUND_KIND_MULTIMEDIA;
  }
  if (s.kind == SOUND_KIND_MULTIMEDIA) s.fileName = path;
  return index;
}

void Sample_Free(int32_t sample) {
  RSoundSample* s = UsedSample(sample);
  if (!s) return;
  Sample_Stop(sample);
  {
    CAudioLock lock;
    if (g_MusicSample == sample) g_MusicSample = -1;
  }
  Platform_AudioFreeClip(s->clip);
  Platform_AudioFreeClip(s->padded);
  Platform_AudioFreeStream(s->stream);
  CAudioLock lock;
  *s = RSoundSample();
}

void Sample_FreeAll() {
  for (int32_t i = 0; i < static_cast<int32_t>(g_Samples.size()); ++i) Sample_Free(i);
  {
    CAudioLock lock;
    g_Samples.clear();
  }
  // The sounds let go of their samples too: an index kept across a new start
  // would name another sound's sample. They prepare again at their next use.
  g_Sounds.ForEach([](CSound& s) { s.Sample = -1; });
}

int32_t Sample_Count() { return static_cast<int32_t>(g_Samples.size()); }

int32_t Sample_Kind(int32_t sample) {
  const RSoundSample* s = UsedSample(sample);
  return s ? s->kind : SOUND_KIND_NONE;
}

void Sample_Play(int32_t sample, bool loop) {
  RSoundSample* s = UsedSample(sample);
  if (!s) return;
  if (s->kind == SOUND_KIND_MULTIMEDIA) {
    PlayerPlay(s->fileName, loop);
    return;
  }
  if (s->kind == SOUND_KIND_BACKGROUND) {
    CAudioLock lock;
    g_MusicSample = sample;
    ApplyMusicGain();
    Platform_AudioPlayStream(s->stream, loop);
    return;
  }
  CAudioLock lock;
  const int32_t channel = Platform_AudioPlay(loop ? s->clip : ClipToPlayOnce(*s), loop);
  if (channel < 0) return;
  RChannel& c = ChannelAt(channel);
  c.sample = sample;
  c.end = loop ? -1 : Platform_AudioFramesMixed() + Platform_AudioClipFrames(s->clip);
  c.voice.Configure(s->settings, true);
  Platform_AudioSetChannelHook(channel, ChannelHook, &c);
}

void Sample_Stop(int32_t sample) {
  RSoundSample* s = UsedSample(sample);
  if (!s) return;
  if (s->kind == SOUND_KIND_MULTIMEDIA) {
    if (PlayerHolds(*s)) PlayerStop();
  } else if (s->kind == SOUND_KIND_BACKGROUND) {
    if (Platform_AudioStreamPlaying(s->stream)) Platform_AudioHaltStream();
  } else {
    CAudioLock lock;
    ForEachChannelOf(sample, [](RChannel& c, int32_t channel) {
      Platform_AudioHalt(channel);
      c.sample = -1;
    });
  }
}

void Sample_StopAll() {
  for (int32_t i = 0; i < static_cast<int32_t>(g_Samples.size()); ++i) Sample_Stop(i);
}

bool Sample_IsPlaying(int32_t sample) {
  const RSoundSample* s = UsedSample(sample);
  if (!s) return false;
  if (s->kind == SOUND_KIND_MULTIMEDIA) return PlayerHolds(*s) && Platform_AudioPlaying(kPlayerChannel);
  if (s->kind == SOUND_KIND_BACKGROUND) return Platform_AudioStreamPlaying(s->stream);
  // A sound whose effects still ring has ended all the same.
  bool playing = false;
  const int64_t now = Platform_AudioFramesMixed();
  ForEachChannelOf(sample, [&](RChannel& c, int32_t) { playing = playing || c.end < 0 || now < c.end; });
  return playing;
}

void Sample_SetVolume(int32_t sample, int32_t milliseconds, double volume) {
  RSoundSample* s = ShapedSample(sample);
  if (!s) return;
  const double hundredths = static_cast<double>(RoundToInt32(volume * 9600) - 9600);
  {
    CAudioLock lock;
    const int64_t now = Platform_AudioFramesMixed();
    RFade& fade = s->settings.volume;
    fade.from = fade.At(now);
    fade.to = static_cast<float>(Sound_DecibelGain(hundredths));
    fade.start = now;
    fade.frames = std::max<int64_t>(milliseconds, 0) * AUDIO_RATE / 1000;
  }
  SettingsChanged(sample);
}

void Sample_SetPan(int32_t sample, double pan) {
  RSoundSample* s = ShapedSample(sample);
  if (!s) return;
  s->settings.pan = std::clamp(RoundToInt32(pan * 10000), -10000, 10000);
  SettingsChanged(sample);
}

void Sample_SetEffects(int32_t sample, int32_t bits) {
  RSoundSample* s = ShapedSample(sample);
  if (!s) return;
  {
    CAudioLock lock;
    s->settings.effects.bits = bits;
  }
  SettingsChanged(sample);
}

REffectSettings* Sample_Effects(int32_t sample, int32_t bit) {
  RSoundSample* s = ShapedSample(sample);
  return s && (s->settings.effects.bits & bit) ? &s->settings.effects : nullptr;
}

void Sample_EffectsChanged(int32_t sample) { SettingsChanged(sample); }

R3DSource* Sample_3D(int32_t sample) {
  RSoundSample* s = UsedSample(sample);
  return s && s->kind == SOUND_KIND_3D ? &s->settings.source : nullptr;
}

void Sample_3DChanged(int32_t sample) { SettingsChanged(sample); }

int32_t Sample_VolumeHundredths(int32_t sample) {
  const RSoundSample* s = ShapedSample(sample);
  if (!s || s->settings.volume.to <= 0) return s ? -10000 : 0;
  return static_cast<int32_t>(std::lround(2000 * std::log10(s->settings.volume.to)));
}

int32_t Sample_PanHundredths(int32_t sample) {
  const RSoundSample* s = ShapedSample(sample);
  return s ? s->settings.pan : 0;
}

void Sound_SetGlobalVolume(double volume) {
  g_MasterVolume = std::clamp(RoundToInt32(volume * 11000 - 10000), -10000, 1000);
  {
    CAudioLock lock;
    g_GlobalGain = static_cast<float>(Sound_DecibelGain(g_MasterVolume - 1000));
  }
  SettingsChanged(g_MusicSample);
}

int32_t Sound_GlobalVolume() { return g_MasterVolume; }

void Sound_SetBackgroundTempo(double factor) {
  g_Tempo = std::clamp(static_cast<float>(factor), 0.01f, 100.0f);
  if (std::isnan(g_Tempo)) g_Tempo = 1.0f;
}

float Sound_BackgroundTempo() { return g_Tempo; }
