#include "platform/Platform_Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

struct RAudioClip {
  Mix_Chunk* chunk;
  std::vector<uint8_t> owned;  // the frames, when the mixer does not own them
};

struct RAudioStream {
  Mix_Music* music;
};

namespace {

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int32_t kFirstChannels = 16;
constexpr int32_t kBufferFrames = 1024;
constexpr int32_t kFrameBytes = 4;  // two signed 16-bit samples
constexpr SDL_AudioDeviceID kMaxDeviceId = 64;

struct RChannelHook {
  AudioChannelHook hook = nullptr;
  void* user = nullptr;
};

// State of the open device; reset by Platform_AudioClose.
bool g_Open = false;
SDL_AudioDeviceID g_Device = 0;  // the mixer's device, for locking
int32_t g_Reserved = 0;
std::vector<RChannelHook> g_Hooks;  // by channel; changed under the lock
const RAudioStream* g_Stream = nullptr;  // the stream that was last started
std::atomic<int64_t> g_FramesMixed{0};
AudioMixHook g_MixHook = nullptr;
void* g_MixHookUser = nullptr;

// The mixer does not tell which device it opened: it is the one that began
// playing during the open.
std::vector<bool> OpenDevices() {
  std::vector<bool> open(kMaxDeviceId + 1);
  for (SDL_AudioDeviceID id = 1; id <= kMaxDeviceId; ++id)
    open[id] = SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED;
  return open;
}

void ChannelEffect(int channel, void* stream, int len, void*) {
  if (channel < 0 || channel >= static_cast<int>(g_Hooks.size())) return;
  const RChannelHook& h = g_Hooks[static_cast<size_t>(channel)];
  if (h.hook) h.hook(static_cast<int16_t*>(stream), len / kFrameBytes, h.user);
}

// The mixer drops a channel's effects when it stops; the hook goes with them.
void ChannelEffectDone(int channel, void*) {
  if (channel >= 0 && channel < static_cast<int>(g_Hooks.size())) g_Hooks[static_cast<size_t>(channel)] = {};
}

void PostMix(void*, Uint8*, int len) {
  g_FramesMixed.fetch_add(len / kFrameBytes, std::memory_order_relaxed);
  if (g_MixHook) g_MixHook(g_MixHookUser);
}

void SetChannelCount(int32_t count) {
  CAudioLock lock;  // the hooks are read by the mixing thread
  Mix_AllocateChannels(count);
  g_Hooks.resize(static_cast<size_t>(count));
}

// A channel that plays nothing, beyond the reserved ones; adds channels when
// all are busy. Only this thread starts channels, so it stays free.
int32_t FreeChannel() {
  const int32_t count = Platform_AudioChannelCount();
  for (int32_t ch = g_Reserved; ch < count; ++ch)
    if (!Mix_Playing(ch)) return ch;
  SetChannelCount(count * 2);
  return count;
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// The mixer's wave reader allocates what a chunk claims before reading it: a
// file that claims gigabytes it does not have is read as far as it goes, by
// a copy whose lengths say what is there. Sets `fixed` only when a copy was
// needed.
bool NeedsFixedWave(const uint8_t* data, size_t size, std::vector<uint8_t>& fixed) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return false;
  for (size_t at = 12; at + 8 <= size;) {
    const uint64_t length = Le32(data + at + 4);
    if (length > size - at - 8) {
      fixed.assign(data, data + size);
      const uint32_t left = static_cast<uint32_t>(size - at - 8);
      for (int i = 0; i < 4; ++i) fixed[at + 4 + i] = static_cast<uint8_t>(left >> (8 * i));
      const uint32_t riff = static_cast<uint32_t>(size - 8);
      for (int i = 0; i < 4; ++i) fixed[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
      return true;
    }
    at += 8 + length + (length & 1);
  }
  return false;
}

// Formats whose readers trust their headers' sizes for allocations and that
// games do not use: refused.
bool Refused(const uint8_t* data, size_t size) {
  return size >= 4 && (std::memcmp(data, "FORM", 4) == 0 || std::memcmp(data, "Crea", 4) == 0);
}

}  // namespace

RAudioOpenResult Platform_AudioOpen() {
  if (g_Open) return AUDIO_OPENED;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return AUDIO_NO_SERVICE;
  const std::vector<bool> before = OpenDevices();
  Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_MID);
  if (Mix_OpenAudioDevice(AUDIO_RATE, AUDIO_S16SYS, 2, kBufferFrames, nullptr, 0) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return AUDIO_NO_DEVICE;
  }
  const std::vector<bool> after = OpenDevices();
  g_Device = 0;
  for (SDL_AudioDeviceID id = 2; id <= kMaxDeviceId && g_Device == 0; ++id)
    if (after[id] && !before[id]) g_Device = id;
  std::error_code ec;
  if (!SDL_getenv("SDL_SOUNDFONTS") && std::filesystem::exists(kSoundFont, ec)) Mix_SetSoundFonts(kSoundFont);
  g_Open = true;
  g_Reserved = 0;
  g_Stream = nullptr;
  g_FramesMixed = 0;
  SetChannelCount(kFirstChannels);
  Mix_SetPostMix(PostMix, nullptr);
  return AUDIO_OPENED;
}

void Platform_AudioClose() {
  if (!g_Open) return;
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_Open = false;
  g_Device = 0;
  g_Hooks.clear();
  g_Stream = nullptr;
  g_MixHook = nullptr;
  g_MixHookUser = nullptr;
}

bool Platform_AudioIsOpen() { return g_Open; }

void Platform_AudioLock() {
  if (g_Device) SDL_LockAudioDevice(g_Device);
}
void Platform_AudioUnlock() {
  if (g_Device) SDL_UnlockAudioDevice(g_Device);
}

// ---------------------------------------------------------------------------
// Clips

RAudioClip* Platform_AudioLoadClip(const uint8_t* data, size_t size) {
  if (!g_Open || !data || size == 0 || size > INT32_MAX || Refused(data, size)) return nullptr;
  std::vector<uint8_t> fixed;
  if (NeedsFixedWave(data, size, fixed)) data = fixed.data();
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
  return chunk ? new RAudioClip{chunk, {}} : nullptr;
}

RAudioClip* Platform_AudioLoadClipFile(const std::string& path) {
  if (!g_Open) return nullptr;
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Platform_AudioLoadClip(bytes.data(), bytes.size());
}

RAudioClip* Platform_AudioPaddedClip(const RAudioClip* clip, int64_t silent_frames) {
  if (!g_Open || !clip || silent_frames < 0) return nullptr;
  const uint64_t bytes = clip->chunk->alen + static_cast<uint64_t>(silent_frames) * kFrameBytes;
  if (bytes > UINT32_MAX) return nullptr;
  auto padded = std::make_unique<RAudioClip>();
  padded->owned.assign(bytes, 0);
  std::memcpy(padded->owned.data(), clip->chunk->abuf, clip->chunk->alen);
  padded->chunk = Mix_QuickLoad_RAW(padded->owned.data(), static_cast<Uint32>(bytes));
  return padded->chunk ? padded.release() : nullptr;
}

void Platform_AudioFreeClip(RAudioClip* clip) {
  if (!clip) return;
  Mix_FreeChunk(clip->chunk);  // stops the channels that play it
  delete clip;
}

int64_t Platform_AudioClipFrames(const RAudioClip* clip) { return clip ? clip->chunk->alen / kFrameBytes : 0; }

void Platform_AudioReserveChannels(int32_t count) {
  if (!g_Open) return;
  while (Platform_AudioChannelCount() <= count) SetChannelCount(Platform_AudioChannelCount() * 2);
  g_Reserved = Mix_ReserveChannels(count);
}

int32_t Platform_AudioPlay(RAudioClip* clip, bool loop, int32_t channel) {
  if (!g_Open || !clip) return -1;
  CAudioLock lock;
  if (channel < 0) {
    channel = FreeChannel();
  } else if (channel >= Platform_AudioChannelCount()) {
    return -1;
  }
  Mix_HaltChannel(channel);
  Mix_Volume(channel, MIX_MAX_VOLUME);
  return Mix_PlayChannel(channel, clip->chunk, loop ? -1 : 0);
}

void Platform_AudioHalt(int32_t channel) {
  if (g_Open && channel >= 0 && channel < Platform_AudioChannelCount()) Mix_HaltChannel(channel);
}

bool Platform_AudioPlaying(int32_t channel) {
  return g_Open && channel >= 0 && channel < Platform_AudioChannelCount() && Mix_Playing(channel) != 0;
}

int32_t Platform_AudioChannelCount() { return g_Open ? static_cast<int32_t>(g_Hooks.size()) : 0; }

void Platform_AudioSetChannelHook(int32_t channel, AudioChannelHook hook, void* user) {
  if (!g_Open || channel < 0 || channel >= Platform_AudioChannelCount()) return;
  CAudioLock lock;
  Mix_UnregisterAllEffects(channel);
  g_Hooks[static_cast<size_t>(channel)] = {hook, user};
  if (hook) Mix_RegisterEffect(channel, ChannelEffect, ChannelEffectDone, nullptr);
}

int32_t Platform_AudioPlayFeed(AudioChannelHook hook, void* user) {
  // One silent clip for every feed: the hook overwrites its frames as they
  // are mixed, so it only has to last longer than one mixing buffer.
  static std::vector<uint8_t> silence(size_t(kBufferFrames) * 4 * kFrameBytes, 0);
  static RAudioClip clip{nullptr, {}};
  if (!g_Open || !hook) return -1;
  if (!clip.chunk) clip.chunk = Mix_QuickLoad_RAW(silence.data(), static_cast<Uint32>(silence.size()));
  if (!clip.chunk) return -1;
  CAudioLock lock;
  const int32_t channel = Platform_AudioPlay(&clip, true);
  if (channel >= 0) Platform_AudioSetChannelHook(channel, hook, user);
  return channel;
}

// ---------------------------------------------------------------------------
// The stream

RAudioStream* Platform_AudioLoadStream(const uint8_t* data, size_t size) {
  if (!g_Open || !data || size == 0 || size > INT32_MAX) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  Mix_Music* music = rw ? Mix_LoadMUS_RW(rw, 1) : nullptr;
  return music ? new RAudioStream{music} : nullptr;
}

void Platform_AudioFreeStream(RAudioStream* stream) {
  if (!stream) return;
  if (g_Stream == stream) {
    Mix_HaltMusic();
    g_Stream = nullptr;
  }
  Mix_FreeMusic(stream->music);
  delete stream;
}

bool Platform_AudioPlayStream(RAudioStream* stream, bool loop) {
  if (!g_Open || !stream) return false;
  g_Stream = stream;
  return Mix_PlayMusic(stream->music, loop ? -1 : 0) == 0;
}

void Platform_AudioHaltStream() {
  if (g_Open) Mix_HaltMusic();
}

bool Platform_AudioStreamPlaying(const RAudioStream* stream) {
  return g_Open && stream && g_Stream == stream && Mix_PlayingMusic() != 0;
}

void Platform_AudioSetStreamGain(double gain) {
  if (!g_Open) return;
  gain = gain < 0 ? 0 : gain > 1 ? 1 : gain;
  Mix_VolumeMusic(static_cast<int>(gain * MIX_MAX_VOLUME + 0.5));
}

// ---------------------------------------------------------------------------
// The mixing clock

int64_t Platform_AudioFramesMixed() { return g_FramesMixed.load(std::memory_order_relaxed); }

void Platform_AudioSetMixHook(AudioMixHook hook, void* user) {
  CAudioLock lock;
  g_MixHook = hook;
  g_MixHookUser = user;
}
