#include "sound/Sound_Effect.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform_Audio.h"

namespace {

constexpr float kRate = static_cast<float>(AUDIO_RATE);
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kScratchFrames = 1024;

float Clamp(float v, float lo, float hi) { return std::isnan(v) ? lo : std::min(std::max(v, lo), hi); }
float DbToGain(float db) { return std::pow(10.0f, db / 20.0f); }
int32_t MsToFrames(float ms) { return static_cast<int32_t>(ms * kRate / 1000.0f); }

// One side's delay line; its length is fixed by Resize before mixing. The
// buffer is a power of two long so that positions wrap with a mask.
class CDelayLine {
 public:
  void Resize(size_t frames) {
    size_t size = 4;
    while (size < frames + 2) size *= 2;
    m_Buffer.assign(size, 0.0f);
    m_Mask = size - 1;
    m_Length = frames;
    m_Pos = 0;
  }
  void Clear() {
    std::fill(m_Buffer.begin(), m_Buffer.end(), 0.0f);
    m_Pos = 0;
  }
  // The number of frames it was made to hold.
  size_t Size() const { return m_Length; }
  // The value written `delay` frames ago (fractional, 1 to its length).
  float Read(float delay) const {
    const float d = Clamp(delay, 1.0f, static_cast<float>(std::max<size_t>(m_Length, 1)));
    const size_t whole = static_cast<size_t>(d);
    const float frac = d - static_cast<float>(whole);
    // The last value written is one frame ago.
    const float a = m_Buffer[(m_Pos + 1 - whole) & m_Mask];
    const float b = m_Buffer[(m_Pos - whole) & m_Mask];
    return a + (b - a) * frac;
  }
  // The value written exactly `delay` frames ago (1 to its length).
  float ReadWhole(size_t delay) const { return m_Buffer[(m_Pos + 1 - delay) & m_Mask]; }
  void Write(float v) {
    m_Pos = (m_Pos + 1) & m_Mask;
    m_Buffer[m_Pos] = v;
  }

 private:
  std::vector<float> m_Buffer = std::vector<float>(4, 0.0f);
  size_t m_Mask = 3;
  size_t m_Length = 0;
  size_t m_Pos = 0;
};

// Triangle or sine wave of a phase in cycles, -1 to 1.
float Wave(int32_t wave, double phase) {
  phase -= std::floor(phase);
  if (wave == 0) return static_cast<float>(phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase);
  return static_cast<float>(std::sin(2 * kPi * phase));
}

class CModulation {
 public:
  void Prepare(bool fresh) {
    if (m_Lines[0].Size() < kLineFrames) {
      for (CDelayLine& line : m_Lines) line.Resize(kLineFrames);
    } else if (fresh) {
      for (CDelayLine& line : m_Lines) line.Clear();
    }
    if (fresh) m_Phase = 0;
  }
  void Process(const RModulationParams& p, float max_delay_ms, float* f, int32_t count) {
    const float wet = Clamp(p.wetdry, 0, 100) / 100, depth = Clamp(p.depth, 0, 100) / 100;
    const float feedback = Clamp(p.feedback, -99, 99) / 100;
    const float base = MsToFrames(Clamp(p.delay, 0, max_delay_ms));
    const double step = Clamp(p.frequency, 0, 10) / kRate;
    const double offset = (std::clamp(p.phase, 0, 4) - 2) / 4.0;
    float swing[2] = {0, 0};
    for (int32_t i = 0; i < count; ++i) {
      // The sweep is slow: it is worked out every 32 frames.
      if (i % 32 == 0)
        for (int side = 0; side < 2; ++side) swing[side] = Wave(p.wave, m_Phase + (side ? offset : 0));
      for (int side = 0; side < 2; ++side) {
        const float delayed = m_Lines[side].Read(1 + base * (1 + depth * swing[side]));
        float& x = f[2 * i + side];
        m_Lines[side].Write(x + feedback * delayed);
        x = x * (1 - wet) + delayed * wet;
      }
      m_Phase += step;
    }
    m_Phase -= std::floor(m_Phase);
  }

 private:
  static constexpr size_t kLineFrames = 4096;  // twice the longest delay
  CDelayLine m_Lines[2];
  double m_Phase = 0;
};

class CEcho {
 public:
  void Prepare(const REchoParams& p, bool fresh) {
    m_Delay[0] = MsToFrames(Clamp(p.leftdelay, 1, 2000));
    m_Delay[1] = MsToFrames(Clamp(p.rightdelay, 1, 2000));
    for (int side = 0; side < 2; ++side) {
      if (m_Lines[side].Size() < static_cast<size_t>(m_Delay[side]))
        m_Lines[side].Resize(static_cast<size_t>(m_Delay[side]));
      else if (fresh)
        m_Lines[side].Clear();
    }
  }
  void Process(const REchoParams& p, float* f, int32_t count) {
    const float wet = Clamp(p.wetdry, 0, 100) / 100, feedback = Clamp(p.feedback, 0, 100) / 100;
    for (int32_t i = 0; i < count; ++i) {
      const float l = m_Lines[0].Read(static_cast<float>(m_Delay[0]));
      const float r = m_Lines[1].Read(static_cast<float>(m_Delay[1]));
      float& xl = f[2 * i];
      float& xr = f[2 * i + 1];
      m_Lines[0].Write(xl + feedback * (p.pandelay ? r : l));
      m_Lines[1].Write(xr + feedback * (p.pandelay ? l : r));
      xl = xl * (1 - wet) + l * wet;
      xr = xr * (1 - wet) + r * wet;
    }
  }

 private:
  CDelayLine m_Lines[2];
  int32_t m_Delay[2] = {1, 1};
};

class CGargle {
 public:
  void Prepare(bool fresh) {
    if (fresh) m_Phase = 0;
  }
  void Process(const RGargleParams& p, float* f, int32_t count) {
    const double step = std::clamp(p.rate, 1, 1000) / static_cast<double>(kRate);
    for (int32_t i = 0; i < count; ++i) {
      const float level = p.wave == 1 ? (m_Phase < 0.5 ? 1.0f : 0.0f) : (Wave(0, m_Phase) + 1) / 2;
      f[2 * i] *= level;
      f[2 * i + 1] *= level;
      m_Phase += step;
      if (m_Phase >= 1) m_Phase -= 1;
    }
  }

 private:
  double m_Phase = 0;
};

// A peaking filter: one biquad per side.
class CEqualizer {
 public:
  void Prepare(const REqualizerParams& p, bool fresh) {
    const double fc = Clamp(p.center, 80, std::min(16000.0f, kRate * 0.45f));
    const double octaves = Clamp(p.bandwidth, 1, 36) / 12.0;
    const double a = std::pow(10.0, Clamp(p.gain, -15, 15) / 40.0);
    const double w0 = 2 * kPi * fc / kRate;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    const double a0 = 1 + alpha / a;
    m_B0 = static_cast<float>((1 + alpha * a) / a0);
    m_B1 = static_cast<float>(-2 * std::cos(w0) / a0);
    m_B2 = static_cast<float>((1 - alpha * a) / a0);
    m_A1 = m_B1;
    m_A2 = static_cast<float>((1 - alpha / a) / a0);
    if (fresh) m_State = {};
  }
  void Process(float* f, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      for (int side = 0; side < 2; ++side) {
        std::array<float, 4>& s = m_State[side];  // x1, x2, y1, y2
        const float x = f[2 * i + side];
        const float y = m_B0 * x + m_B1 * s[0] + m_B2 * s[1] - m_A1 * s[2] - m_A2 * s[3];
        s = {x, s[0], y, s[2]};
        f[2 * i + side] = y;
      }
    }
  }

 private:
  float m_B0 = 1, m_B1 = 0, m_B2 = 0, m_A1 = 0, m_A2 = 0;
  std::array<std::array<float, 4>, 2> m_State{};
};

// Parallel damped combs into allpasses, per side, the right side's lengths
// spread a little so that the two sides do not ring alike.
class CReverb {
 public:
  void Prepare(const RReverbParams& p, bool fresh) {
    const float seconds = Clamp(p.time, 1, 3000000) / 1000;
    const float ratio = Clamp(p.ratio, 0.001f, 0.999f);
    m_Damp = 0.5f * (1 - ratio);
    for (int side = 0; side < 2; ++side) {
      for (size_t c = 0; c < kCombs.size(); ++c) {
        const int32_t length = kCombs[c] + side * kSpread;
        m_Feedback[c] = std::pow(10.0f, -3.0f * static_cast<float>(length) / kRate / seconds);
        Fit(m_Comb[side][c], length, fresh);
        if (fresh) m_Filter[side][c] = 0;
      }
      for (size_t a = 0; a < kAllpasses.size(); ++a) Fit(m_Allpass[side][a], kAllpasses[a] + side * kSpread, fresh);
    }
  }
  void Process(const RReverbParams& p, float* f, int32_t count) {
    const float in = DbToGain(Clamp(p.gain, -96, 0)), mix = DbToGain(Clamp(p.mix, -96, 0)) * 0.25f;
    for (int32_t i = 0; i < count; ++i) {
      for (int side = 0; side < 2; ++side) {
        const float x = f[2 * i + side] * in;
        float wet = 0;
        for (size_t c = 0; c < kCombs.size(); ++c) {
          CDelayLine& line = m_Comb[side][c];
          const float out = line.ReadWhole(line.Size());
          float& filter = m_Filter[side][c];
          filter = out * (1 - m_Damp) + filter * m_Damp;
          line.Write(x + filter * m_Feedback[c]);
          wet += out;
        }
        for (CDelayLine& line : m_Allpass[side]) {
          const float delayed = line.ReadWhole(line.Size());
          line.Write(wet + delayed * 0.5f);
          wet = delayed - wet * 0.5f;
        }
        f[2 * i + side] = x + wet * mix;
      }
    }
  }

 private:
  static constexpr std::array<int32_t, 4> kCombs{1116, 1188, 1277, 1356};
  static constexpr std::array<int32_t, 2> kAllpasses{556, 441};
  static constexpr int32_t kSpread = 23;
  static void Fit(CDelayLine& line, int32_t length, bool fresh) {
    if (line.Size() != static_cast<size_t>(length))
      line.Resize(static_cast<size_t>(length));
    else if (fresh)
      line.Clear();
  }
  CDelayLine m_Comb[2][kCombs.size()];
  CDelayLine m_Allpass[2][kAllpasses.size()];
  float m_Filter[2][kCombs.size()] = {};
  float m_Feedback[kCombs.size()] = {};
  float m_Damp = 0;
};

class CCompressor {
 public:
  void Prepare(const RCompressorParams& p, bool fresh) {
    m_Lookahead = MsToFrames(Clamp(p.delay, 0, 4));
    for (CDelayLine& line : m_Lines) {
      if (line.Size() < kLineFrames)
        line.Resize(kLineFrames);
      else if (fresh)
        line.Clear();
    }
    if (fresh) m_Envelope = 0;
  }
  void Process(const RCompressorParams& p, float* f, int32_t count) {
    const float attack = std::exp(-1000.0f / (Clamp(p.attack, 0.01f, 500) * kRate));
    const float release = std::exp(-1000.0f / (Clamp(p.release, 50, 3000) * kRate));
    const float threshold = Clamp(p.threshold, -60, 0), slope = 1 - 1 / Clamp(p.ratio, 1, 100);
    const float makeup = Clamp(p.gain, -60, 60);
    float gain = 1;
    for (int32_t i = 0; i < count; ++i) {
      const float level = std::max(std::fabs(f[2 * i]), std::fabs(f[2 * i + 1]));
      const float k = level > m_Envelope ? attack : release;
      m_Envelope = k * m_Envelope + (1 - k) * level;
      // The envelope moves smoothly: its gain is worked out every 16 frames.
      if (i % 16 == 0) {
        const float db = 20 * std::log10(std::max(m_Envelope, 1e-6f));
        gain = DbToGain(makeup - std::max(db - threshold, 0.0f) * slope);
      }
      for (int side = 0; side < 2; ++side) {
        float& x = f[2 * i + side];
        m_Lines[side].Write(x);
        x = (m_Lookahead > 0 ? m_Lines[side].Read(static_cast<float>(m_Lookahead)) : x) * gain;
      }
    }
  }

 private:
  static constexpr size_t kLineFrames = 256;  // more than 4 ms
  CDelayLine m_Lines[2];
  int32_t m_Lookahead = 0;
  float m_Envelope = 0;
};

// A soft clipper: the signal is driven into a curve and brought back down.
void Distort(float* f, int32_t count) {
  constexpr float kDrive = 4.0f;
  const float level = DbToGain(-18) / std::tanh(kDrive);
  for (int32_t i = 0; i < 2 * count; ++i) f[i] = std::tanh(f[i] * kDrive) * level;
}

// The environmental reverb of a medium room.
constexpr RReverbParams kRoomReverb{0, -10, 1490, 0.83f};

}  // namespace

struct CSoundVoice::RState {
  CModulation chorus, flanger;
  CEcho echo;
  CGargle gargle;
  CEqualizer equalizer;
  CReverb reverb, room;
  CCompressor compressor;
};

int64_t Sound_EffectTailFrames(const REffectSettings& e) {
  constexpr float kLongest = 5000;  // ms
  float ms = 0;
  if (e.bits & (SOUND_EFFECT_CHORUS | SOUND_EFFECT_FLANGER)) ms = 100;
  if (e.bits & SOUND_EFFECT_ECHO) {
    const float delay = std::max(Clamp(e.echo.leftdelay, 1, 2000), Clamp(e.echo.rightdelay, 1, 2000));
    const float feedback = Clamp(e.echo.feedback, 0, 100) / 100;
    const float repeats = feedback <= 0.001f ? 1 : feedback >= 0.999f ? kLongest : std::log(0.001f) / std::log(feedback) + 1;
    ms += delay * repeats;
  }
  if (e.bits & SOUND_EFFECT_REVERB) ms += Clamp(e.reverb.time, 1, kLongest);
  if (e.bits & SOUND_EFFECT_ROOM_REVERB) ms += kRoomReverb.time;
  if (e.bits & SOUND_EFFECT_COMPRESSOR) ms += 5;
  return MsToFrames(std::min(ms, kLongest));
}

// ---------------------------------------------------------------------------
// Gains

double Sound_DecibelGain(double hundredths) {
  return hundredths <= -10000 ? 0.0 : std::pow(10.0, std::min(hundredths, 10000.0) / 2000.0);
}

void Sound_PanGains(int32_t pan, float& left, float& right) {
  left = pan > 0 ? static_cast<float>(Sound_DecibelGain(-pan)) : 1.0f;
  right = pan < 0 ? static_cast<float>(Sound_DecibelGain(pan)) : 1.0f;
}

void Sound_3DGains(const R3DSource& s, float& left, float& right) {
  const double distance = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
  const double nearest = std::max(s.minDistance, 0.0);
  const double farthest = std::max(s.maxDistance, nearest);
  const double heard = std::min(distance, farthest);
  double gain = heard <= nearest || heard <= 0 ? 1.0 : nearest / heard;
  // The cone: the angle between its axis and the way to the listener.
  const double axis = std::sqrt(s.coneX * s.coneX + s.coneY * s.coneY + s.coneZ * s.coneZ);
  if (distance > 0 && axis > 0) {
    const double cosine = -(s.x * s.coneX + s.y * s.coneY + s.z * s.coneZ) / (distance * axis);
    const double angle = std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / kPi;
    const double inner = std::clamp(s.angleIn, 0, 360) / 2.0;
    const double outer = std::max(std::clamp(s.angleOut, 0, 360) / 2.0, inner);
    double attenuation = 0;
    if (angle >= outer)
      attenuation = s.outsideVolume;
    else if (angle > inner)
      attenuation = s.outsideVolume * (angle - inner) / (outer - inner);
    gain *= Sound_DecibelGain(std::min(attenuation, 0.0));
  }
  // Balance by the side the sound is on.
  const double side = distance > 0 ? s.x / distance : 0;
  left = static_cast<float>(gain * std::min(1.0, 1 - side));
  right = static_cast<float>(gain * std::min(1.0, 1 + side));
}

float RFade::At(int64_t clock) const {
  if (frames <= 0 || clock >= start + frames) return to;
  if (clock <= start) return from;
  return from + (to - from) * static_cast<float>(clock - start) / static_cast<float>(frames);
}

// ---------------------------------------------------------------------------
// CSoundVoice

CSoundVoice::CSoundVoice() : m_State(std::make_unique<RState>()), m_Scratch(2 * kScratchFrames) {}
CSoundVoice::~CSoundVoice() = default;

void CSoundVoice::Configure(const RVoiceSettings& settings, bool fresh) {
  m_Settings = settings;
  const REffectSettings& e = settings.effects;
  RState& s = *m_State;
  if (e.bits & SOUND_EFFECT_CHORUS) s.chorus.Prepare(fresh);
  if (e.bits & SOUND_EFFECT_ECHO) s.echo.Prepare(e.echo, fresh);
  if (e.bits & SOUND_EFFECT_FLANGER) s.flanger.Prepare(fresh);
  if (e.bits & SOUND_EFFECT_GARGLE) s.gargle.Prepare(fresh);
  if (e.bits & SOUND_EFFECT_EQUALIZER) s.equalizer.Prepare(e.equalizer, fresh);
  if (e.bits & SOUND_EFFECT_REVERB) s.reverb.Prepare(e.reverb, fresh);
  if (e.bits & SOUND_EFFECT_COMPRESSOR) s.compressor.Prepare(e.compressor, fresh);
  if (e.bits & SOUND_EFFECT_ROOM_REVERB) s.room.Prepare(kRoomReverb, fresh);
  if (settings.is3D)
    Sound_3DGains(settings.source, m_Left, m_Right);
  else
    Sound_PanGains(settings.pan, m_Left, m_Right);
}

void CSoundVoice::ProcessFloat(float* f, int32_t count, int64_t clock, float global_gain) {
  const REffectSettings& e = m_Settings.effects;
  RState& s = *m_State;
  if (e.bits & SOUND_EFFECT_CHORUS) s.chorus.Process(e.chorus, 20, f, count);
  if (e.bits & SOUND_EFFECT_ECHO) s.echo.Process(e.echo, f, count);
  if (e.bits & SOUND_EFFECT_FLANGER) s.flanger.Process(e.flanger, 4, f, count);
  if (e.bits & SOUND_EFFECT_GARGLE) s.gargle.Process(e.gargle, f, count);
  if (e.bits & SOUND_EFFECT_EQUALIZER) s.equalizer.Process(f, count);
  if (e.bits & SOUND_EFFECT_REVERB) s.reverb.Process(e.reverb, f, count);
  if (e.bits & SOUND_EFFECT_COMPRESSOR) s.compressor.Process(e.compressor, f, count);
  if (e.bits & SOUND_EFFECT_DISTORTION) Distort(f, count);
  if (e.bits & SOUND_EFFECT_ROOM_REVERB) s.room.Process(kRoomReverb, f, count);
  const RFade& fade = m_Settings.volume;
  const bool fading = fade.frames > 0 && clock + count > fade.start && clock < fade.start + fade.frames;
  const float steady = fade.At(clock) * global_gain;
  for (int32_t i = 0; i < count; ++i) {
    const float g = fading ? fade.At(clock + i) * global_gain : steady;
    f[2 * i] *= g * m_Left;
    f[2 * i + 1] *= g * m_Right;
  }
}

void CSoundVoice::Process(int16_t* frames, int32_t count, int64_t clock, float global_gain) {
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(count - done, kScratchFrames);
    int16_t* block = frames + 2 * done;
    float* f = m_Scratch.data();
    for (int32_t i = 0; i < 2 * n; ++i) f[i] = block[i] / 32768.0f;
    ProcessFloat(f, n, clock + done, global_gain);
    for (int32_t i = 0; i < 2 * n; ++i)
      block[i] = static_cast<int16_t>(std::lrint(std::clamp(f[i] * 32768.0f, -32768.0f, 32767.0f)));
    done += n;
  }
}
