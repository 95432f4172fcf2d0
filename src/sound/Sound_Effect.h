// Sound_Effect: the signal processing of one playing sound: its effect chain,
// its volume and fade, its pan and, for a 3D sound, the gains that its place
// relative to the listener gives. Everything here is plain computation on
// stereo frames; Sound_Main runs it on the mixer's channels.
//
// Units are the sound built-ins' own: volumes in hundredths of a decibel
// (0 full, -10000 silent), pan from -10000 (left) to 10000 (right).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The effect bits, in the order the chain is built: chorus, echo, flanger,
// gargle, equaliser, reverb, compressor, distortion, environmental reverb.
enum : int32_t {
  SOUND_EFFECT_CHORUS = 1,
  SOUND_EFFECT_ECHO = 2,
  SOUND_EFFECT_FLANGER = 4,
  SOUND_EFFECT_GARGLE = 8,
  SOUND_EFFECT_REVERB = 16,
  SOUND_EFFECT_COMPRESSOR = 32,
  SOUND_EFFECT_EQUALIZER = 64,
  SOUND_EFFECT_DISTORTION = 128,
  SOUND_EFFECT_ROOM_REVERB = 256,
};

// Chorus and flanger: a copy delayed by `delay` ms whose delay swings by
// `depth` percent at `frequency` Hz (wave 0 triangle, 1 sine), the right
// side's swing shifted by (phase - 2) x 90 degrees; `feedback` percent of the
// delayed copy goes back in; `wetdry` percent of the output is the copy.
struct RModulationParams {
  float wetdry, depth, feedback, frequency;
  int32_t wave;
  float delay;
  int32_t phase;
};
constexpr RModulationParams kChorusDefaults{50, 10, 25, 1.1f, 1, 16, 3};
constexpr RModulationParams kFlangerDefaults{50, 100, -50, 0.25f, 1, 2, 2};

// Echo: each side repeats after its delay in ms (1 to 2000); `feedback`
// percent of a repeat repeats again; with pandelay the repeats swap sides.
struct REchoParams {
  float wetdry = 50, feedback = 50, leftdelay = 500, rightdelay = 500;
  int32_t pandelay = 0;
};

// Compressor: above `threshold` dB the level grows only by 1/`ratio`; the
// level follows rises within `attack` ms and falls within `release` ms, looks
// `delay` ms ahead (up to 4), and `gain` dB is added after.
struct RCompressorParams {
  float gain = 0, attack = 10, release = 200, threshold = -20, ratio = 3, delay = 4;
};

// Gargle: the level swings between silence and full at `rate` Hz, wave 0
// triangle, 1 square.
struct RGargleParams {
  int32_t rate = 20, wave = 0;
};

// Parametric equaliser: `gain` dB (-15 to 15) around `center` Hz over
// `bandwidth` semitones.
struct REqualizerParams {
  float center = 8000, bandwidth = 12, gain = 0;
};

// Reverb: the input is scaled by `gain` dB (-96 to 0), the reverberation is
// added at `mix` dB (-96 to 0), dies away by 60 dB in `time` ms, and high
// frequencies die `ratio` (0.001 to 0.999) times as slowly.
struct RReverbParams {
  float gain = 0, mix = 0, time = 1000, ratio = 0.001f;
};

// A sound's effects: which are on and their parameters.
struct REffectSettings {
  int32_t bits = 0;
  RModulationParams chorus = kChorusDefaults;
  REchoParams echo;
  RModulationParams flanger = kFlangerDefaults;
  RGargleParams gargle;
  REqualizerParams equalizer;
  RReverbParams reverb;
  RCompressorParams compressor;
};

// How long the effects ring on after the sound's end, in frames, until the
// repeats have died away (by 60 dB, or after a few seconds at most).
int64_t Sound_EffectTailFrames(const REffectSettings& settings);

// Where a 3D sound is. The listener stands at the origin looking along +z
// with +x to the right. Closer than the minimum distance the sound is at full
// volume; beyond it the volume falls as minimum / distance, and stops falling
// at the maximum distance. The cone points along its orientation: within
// half the inside angle of it the sound is at full volume, beyond half the
// outside angle at the outside volume, and in between in proportion.
// The velocity is kept but changes nothing: the mixer does not resample.
struct R3DSource {
  double x = 0, y = 0, z = 0;
  double vx = 0, vy = 0, vz = 0;
  double minDistance = 1, maxDistance = 1e9;
  double coneX = 0, coneY = 0, coneZ = 1;
  int32_t angleIn = 360, angleOut = 360;
  int32_t outsideVolume = 0;  // hundredths of a decibel
};

// Linear gain of a volume in hundredths of a decibel.
double Sound_DecibelGain(double hundredths);
// Left and right gains of a pan: the far side is attenuated by as many
// hundredths of a decibel as the pan's size.
void Sound_PanGains(int32_t pan, float& left, float& right);
// Left and right gains of a 3D sound.
void Sound_3DGains(const R3DSource& source, float& left, float& right);

// A volume change: from one gain to another over a number of frames from a
// moment of the mixing clock.
struct RFade {
  float from = 1, to = 1;
  int64_t start = 0, frames = 0;
  float At(int64_t clock) const;
};

// Everything that shapes one sound's frames, as the main thread sets it.
struct RVoiceSettings {
  REffectSettings effects;
  RFade volume;
  int32_t pan = 0;
  bool is3D = false;
  R3DSource source;
};

// The running state of one playing sound: the effects' delay lines and
// filters. Configure (main thread, mixer locked) sizes every buffer, so that
// Process (mixing thread) never allocates.
class CSoundVoice {
 public:
  CSoundVoice();
  ~CSoundVoice();
  // Takes new settings. A fresh start forgets what the effects held.
  void Configure(const RVoiceSettings& settings, bool fresh);
  // Shapes `count` stereo frames in place at mixing clock `clock` with the
  // global gain applied last.
  void Process(int16_t* frames, int32_t count, int64_t clock, float global_gain);
  // The same on float frames (-1 to 1), for callers that mix themselves.
  void ProcessFloat(float* frames, int32_t count, int64_t clock, float global_gain);

 private:
  struct RState;
  RVoiceSettings m_Settings;
  float m_Left = 1, m_Right = 1;  // pan and 3D gains
  std::unique_ptr<RState> m_State;
  std::vector<float> m_Scratch;
};
