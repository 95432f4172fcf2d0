// Platform_Audio: the sound device and its mixer. Decoded clips play on
// numbered channels, any number at once; one stream (long music, decoded while
// it plays) plays beside them. The engine shapes each channel's frames through
// a hook that runs on the mixing thread.
//
// The device always mixes signed 16-bit stereo frames, interleaved left then
// right, at AUDIO_RATE frames per second, whatever the hardware takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int32_t AUDIO_RATE = 44100;

enum RAudioOpenResult : int32_t {
  AUDIO_OPENED,
  AUDIO_NO_SERVICE,  // the sound system itself could not start
  AUDIO_NO_DEVICE,   // it started but no device could be opened
};
// Opens the default sound device (the driver is chosen by SDL_AUDIODRIVER)
// and makes the General MIDI soundfont the MIDI instruments. When it fails,
// every other call does nothing and answers "no".
RAudioOpenResult Platform_AudioOpen();
// Stops everything and closes the device. Clips and streams must have been
// freed before.
void Platform_AudioClose();
bool Platform_AudioIsOpen();

// The mixing thread reads what the engine's channel hooks share with the
// main thread only while it holds this lock; the main thread changes that
// state only while holding it too. Re-entrant.
void Platform_AudioLock();
void Platform_AudioUnlock();
class CAudioLock {
 public:
  CAudioLock() { Platform_AudioLock(); }
  ~CAudioLock() { Platform_AudioUnlock(); }
  CAudioLock(const CAudioLock&) = delete;
  CAudioLock& operator=(const CAudioLock&) = delete;
};

// ---------------------------------------------------------------------------
// Clips: sounds decoded whole into memory (wave, OGG, MP3, MIDI, ...).

struct RAudioClip;
// Decodes a sound file held in memory; null when the bytes are no sound the
// mixer can decode. The bytes are not kept.
RAudioClip* Platform_AudioLoadClip(const uint8_t* data, size_t size);
// Decodes a sound file; null when it is missing or cannot be decoded.
RAudioClip* Platform_AudioLoadClipFile(const std::string& path);
// A copy of the clip followed by `silent_frames` of silence, in which the
// effects of a channel can ring out.
RAudioClip* Platform_AudioPaddedClip(const RAudioClip* clip, int64_t silent_frames);
// Stops every channel playing the clip and frees it. Null is ignored.
void Platform_AudioFreeClip(RAudioClip* clip);
// Length of the clip in frames.
int64_t Platform_AudioClipFrames(const RAudioClip* clip);

// Keeps the first `count` channels for explicit use: playing on "any free
// channel" never takes them.
void Platform_AudioReserveChannels(int32_t count);
// Starts a clip from its beginning, looping forever or once, on `channel`
// (a reserved one, stopping what it played) or, with -1, on a free channel;
// more channels are added when all are busy. Returns the channel, -1 on failure.
int32_t Platform_AudioPlay(RAudioClip* clip, bool loop, int32_t channel = -1);
// Stops a channel at once.
void Platform_AudioHalt(int32_t channel);
// Whether the channel is playing a clip.
bool Platform_AudioPlaying(int32_t channel);
// Number of channels the mixer has now.
int32_t Platform_AudioChannelCount();

// The hook that shapes a channel's frames before they are mixed. It runs on
// the mixing thread with the lock held and must neither block nor allocate.
using AudioChannelHook = void (*)(int16_t* frames, int32_t frame_count, void* user);
// Installs the hook on a channel for the rest of what it plays now: it is
// dropped when the channel stops or starts another clip. Start the clip and
// install its hook under one lock, so that no frame is mixed without it.
void Platform_AudioSetChannelHook(int32_t channel, AudioChannelHook hook, void* user);
// Starts a free channel that plays whatever the hook writes into its frames
// (silence where it writes nothing) until the channel is halted: sound made
// while it plays, such as a video's. Returns the channel, -1 on failure.
int32_t Platform_AudioPlayFeed(AudioChannelHook hook, void* user);

// ---------------------------------------------------------------------------
// The stream: one long sound decoded while it plays.

struct RAudioStream;
// A stream over a sound file held in memory; the bytes must stay alive and
// unchanged until the stream is freed. Null when they cannot be decoded.
RAudioStream* Platform_AudioLoadStream(const uint8_t* data, size_t size);
// Stops the stream if it plays and frees it. Null is ignored.
void Platform_AudioFreeStream(RAudioStream* stream);
// Plays the stream from its start, looping forever or once, replacing the
// stream that played. False on failure.
bool Platform_AudioPlayStream(RAudioStream* stream, bool loop);
// Stops the stream that plays.
void Platform_AudioHaltStream();
// Whether this stream is the one that plays.
bool Platform_AudioStreamPlaying(const RAudioStream* stream);
// Gain of the stream, 0 to 1.
void Platform_AudioSetStreamGain(double gain);

// ---------------------------------------------------------------------------
// The mixing clock.

// Frames mixed since the device was opened.
int64_t Platform_AudioFramesMixed();
// Runs once after every mixed buffer on the mixing thread (with the lock
// held), after the frame count was advanced. Null removes it.
using AudioMixHook = void (*)(void* user);
void Platform_AudioSetMixHook(AudioMixHook hook, void* user);
