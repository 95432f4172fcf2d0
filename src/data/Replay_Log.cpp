#include "data/Replay_Log.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

constexpr char kMagic[4] = {'V', 'R', 'P', 'L'};
constexpr size_t kHeaderSize = 4 + 2 + 4;
enum : uint8_t { TAG_STOP = 'X', TAG_INPUT = 'I', TAG_REAL = 'R', TAG_TEXT = 'T' };

// The channel. Lifetime: the program; Replay_Reset empties it.
struct RReplayState {
  ReplayMode mode = ReplayMode::Off;
  std::string error;
  uint32_t step = 0;
  ReplayInputHandler handler = nullptr;
  // Recording: records not yet written, written at every step mark so that a
  // run that crashes keeps all but its last step.
  std::FILE* out = nullptr;
  std::string path;
  std::string pending;
  // Playing: the whole file and the reading position.
  std::vector<uint8_t> bytes;
  size_t at = 0;
  int32_t game_id = 0;
  int32_t live_depth = 0;  // live reads under way (RReplayLiveScope)
};
RReplayState g_Replay;

const char* const kValueNames[REPLAY_VALUE_KINDS] = {
    "the random seed", "the clock",  "the local time", "the frame rate",
    "the mouse",       "a device",   "an answer",      "a typed answer",
};

// ---- writing ----

void PutBytes(const void* data, size_t n) { g_Replay.pending.append(static_cast<const char*>(data), n); }

template <typename T>
void PutLittle(T value) {
  uint8_t b[sizeof(T)];
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof(T));
  for (size_t i = 0; i < sizeof(T); i++) b[i] = static_cast<uint8_t>(bits >> (8 * i));
  PutBytes(b, sizeof(T));
}

void PutTag(uint8_t tag) { g_Replay.pending.push_back(static_cast<char>(tag)); }

bool FlushPending() {
  if (!g_Replay.out || g_Replay.pending.empty()) return g_Replay.out != nullptr;
  bool ok = std::fwrite(g_Replay.pending.data(), 1, g_Replay.pending.size(), g_Replay.out) == g_Replay.pending.size();
  g_Replay.pending.clear();
  return ok && std::fflush(g_Replay.out) == 0;
}

// Closes the record with its end mark; false when something was not written.
bool CloseRecord() {
  PutTag(REPLAY_MARK_END);
  bool ok = FlushPending();
  if (g_Replay.out && std::fclose(g_Replay.out) != 0) ok = false;
  g_Replay.out = nullptr;
  if (!ok) g_Replay.error = "cannot write the replay file " + g_Replay.path;
  return ok;
}

// ---- reading ----

void Fail(std::string message) {
  g_Replay.error = std::move(message);
  g_Replay.mode = ReplayMode::Off;
}

std::string AtStep() { return " at step " + std::to_string(g_Replay.step); }

void FailShort() { Fail("the replay file is cut short" + AtStep()); }

void FailDamaged(const char* what) {
  Fail("the replay file is damaged at byte " + std::to_string(g_Replay.at) + AtStep() + ": " + what);
}

bool Has(size_t n) { return g_Replay.bytes.size() - g_Replay.at >= n; }

template <typename T>
T GetLittle(size_t offset) {
  uint64_t bits = 0;
  for (size_t i = 0; i < sizeof(T); i++) bits |= uint64_t(g_Replay.bytes[g_Replay.at + offset + i]) << (8 * i);
  T value;
  std::memcpy(&value, &bits, sizeof(T));
  return value;
}

// What the next record is, for messages.
std::string Describe(uint8_t tag) {
  switch (tag) {
    case REPLAY_MARK_STEP: return "the start of step " + std::to_string(GetLittle<uint32_t>(1));
    case REPLAY_MARK_FRAME: return "the end of a wait";
    case REPLAY_MARK_END: return "the end of the game";
    case TAG_STOP: return "the runner's step limit";
    case TAG_INPUT: return "input";
    default: return kValueNames[g_Replay.bytes[g_Replay.at + 1]];
  }
}

// The tag of the next whole, well-formed record, or 0 after a failure.
uint8_t Next() {
  if (g_Replay.mode != ReplayMode::Play) return 0;
  if (!Has(1)) {
    FailShort();
    return 0;
  }
  const uint8_t tag = g_Replay.bytes[g_Replay.at];
  size_t size = 0;
  switch (tag) {
    case REPLAY_MARK_STEP: size = 5; break;
    case REPLAY_MARK_FRAME:
    case REPLAY_MARK_END:
    case TAG_STOP: size = 1; break;
    case TAG_INPUT: size = 6; break;
    case TAG_REAL: size = 10; break;
    case TAG_TEXT: size = 6; break;
    default: FailDamaged("unknown record"); return 0;
  }
  if (!Has(size)) {
    FailShort();
    return 0;
  }
  if (tag == TAG_TEXT && !Has(size + GetLittle<uint32_t>(2))) {
    FailShort();
    return 0;
  }
  const uint8_t kinds = tag == TAG_INPUT ? REPLAY_INPUT_KINDS : REPLAY_VALUE_KINDS;
  if ((tag == TAG_INPUT || tag == TAG_REAL || tag == TAG_TEXT) && g_Replay.bytes[g_Replay.at + 1] >= kinds) {
    FailDamaged("unknown kind");
    return 0;
  }
  return tag;
}

void FailOutOfStep(const std::string& wanted, uint8_t found) {
  if (found == REPLAY_MARK_END) {
    Fail("the replay ends" + AtStep() + " before the game does");
    return;
  }
  Fail("the game went out of step with the replay" + AtStep() + ": it needed " + wanted + ", the file holds " +
       Describe(found));
}

// Takes the next record when it is a value of `kind` with tag `tag`.
bool TakeValue(uint8_t tag, RReplayValue kind) {
  Replay_DeliverInput();
  const uint8_t found = Next();
  if (found == 0) return false;
  if (found != TAG_REAL && found != TAG_TEXT) {
    FailOutOfStep(kValueNames[kind], found);
    return false;
  }
  if (found != tag || g_Replay.bytes[g_Replay.at + 1] != kind) {
    FailOutOfStep(kValueNames[kind], found);
    return false;
  }
  return true;
}

}  // namespace

ReplayMode Replay_Mode() { return g_Replay.mode; }
bool Replay_Failed() { return !g_Replay.error.empty(); }
const std::string& Replay_Error() { return g_Replay.error; }
uint32_t Replay_StepNumber() { return g_Replay.step; }
int32_t Replay_GameId() { return g_Replay.game_id; }

int32_t Replay_ToInt(double value) {
  return value >= -2147483648.0 && value <= 2147483647.0 ? static_cast<int32_t>(value) : 0;
}

void Replay_Reset() {
  if (g_Replay.out) std::fclose(g_Replay.out);
  ReplayInputHandler handler = g_Replay.handler;
  g_Replay = RReplayState{};
  g_Replay.handler = handler;
}

bool Replay_StartRecording(const std::string& path, int32_t game_id, std::string& error) {
  Replay_Reset();
  g_Replay.out = std::fopen(path.c_str(), "wb");
  if (!g_Replay.out) {
    error = "cannot create the replay file " + path;
    return false;
  }
  g_Replay.path = path;
  g_Replay.game_id = game_id;
  PutBytes(kMagic, sizeof kMagic);
  PutLittle<uint16_t>(REPLAY_VERSION);
  PutLittle<int32_t>(game_id);
  g_Replay.mode = ReplayMode::Record;
  return true;
}

bool Replay_StartPlaying(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read the replay file " + path;
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!Replay_StartPlayingBytes(std::move(bytes), error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool Replay_StartPlayingBytes(std::vector<uint8_t> bytes, std::string& error) {
  Replay_Reset();
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    error = "not a replay file";
    return false;
  }
  g_Replay.bytes = std::move(bytes);
  const uint16_t version = GetLittle<uint16_t>(4);
  if (version != REPLAY_VERSION) {
    error = "a replay file of version " + std::to_string(version) + "; this runner reads version " +
            std::to_string(REPLAY_VERSION);
    g_Replay.bytes.clear();
    return false;
  }
  g_Replay.game_id = GetLittle<int32_t>(6);
  g_Replay.at = kHeaderSize;
  g_Replay.mode = ReplayMode::Play;
  return true;
}

bool Replay_Finish() {
  if (g_Replay.mode == ReplayMode::Record) {
    g_Replay.mode = ReplayMode::Off;
    return CloseRecord();
  }
  if (g_Replay.mode == ReplayMode::Play) {
    Replay_DeliverInput();
    const uint8_t found = Next();
    if (found != 0 && found != REPLAY_MARK_END)
      Fail("the game ended" + AtStep() + " before the replay did (the file holds " + Describe(found) + ")");
    g_Replay.mode = ReplayMode::Off;
  }
  return !Replay_Failed();
}

void Replay_Detach() {
  if (g_Replay.mode == ReplayMode::Record) CloseRecord();
  g_Replay.mode = ReplayMode::Off;
}

void Replay_SetInputHandler(ReplayInputHandler handler) { g_Replay.handler = handler; }

RReplayLiveScope::RReplayLiveScope() { g_Replay.live_depth++; }
RReplayLiveScope::~RReplayLiveScope() { g_Replay.live_depth--; }

void Replay_NoteInput(RReplayInput kind, int32_t value) {
  if (g_Replay.mode != ReplayMode::Record) return;
  PutTag(TAG_INPUT);
  PutTag(kind);
  PutLittle<int32_t>(value);
}

void Replay_DeliverInput() {
  while (g_Replay.mode == ReplayMode::Play && Has(1) && g_Replay.bytes[g_Replay.at] == TAG_INPUT) {
    if (Next() != TAG_INPUT) return;
    const auto kind = static_cast<RReplayInput>(g_Replay.bytes[g_Replay.at + 1]);
    const int32_t value = GetLittle<int32_t>(2);
    g_Replay.at += 6;
    if (g_Replay.handler) g_Replay.handler(kind, value);
  }
}

bool Replay_Mark(RReplayMark mark, uint32_t step) {
  if (g_Replay.mode == ReplayMode::Record) {
    if (mark == REPLAY_MARK_END) return Replay_Finish();
    PutTag(mark);
    if (mark == REPLAY_MARK_STEP) {
      PutLittle<uint32_t>(step);
      g_Replay.step = step;
      if (!FlushPending()) {
        g_Replay.error = "cannot write the replay file " + g_Replay.path;
        Replay_Detach();
        return false;
      }
    }
    return true;
  }
  if (g_Replay.mode != ReplayMode::Play) return false;
  if (mark == REPLAY_MARK_END) return Replay_Finish();
  Replay_DeliverInput();
  const uint8_t found = Next();
  if (found == 0) return false;
  const bool same = found == mark && (mark != REPLAY_MARK_STEP || GetLittle<uint32_t>(1) == step);
  if (!same) {
    FailOutOfStep(mark == REPLAY_MARK_STEP ? "the start of step " + std::to_string(step) : "the end of a wait", found);
    return false;
  }
  g_Replay.at += mark == REPLAY_MARK_STEP ? 5 : 1;
  if (mark == REPLAY_MARK_STEP) g_Replay.step = step;
  return true;
}

bool Replay_RunnerStop(bool live) {
  if (g_Replay.mode == ReplayMode::Record) {
    if (live) PutTag(TAG_STOP);
    return live;
  }
  if (g_Replay.mode != ReplayMode::Play) return live;
  // Input that came during the step (an io_handle) may still stand before it.
  size_t at = g_Replay.at;
  while (at < g_Replay.bytes.size() && g_Replay.bytes[at] == TAG_INPUT) at += 6;
  if (at >= g_Replay.bytes.size() || g_Replay.bytes[at] != TAG_STOP) return false;
  Replay_DeliverInput();
  if (Next() != TAG_STOP) return false;
  g_Replay.at += 1;
  return true;
}

bool Replay_TakeReal(RReplayValue kind, double& value) {
  if (!TakeValue(TAG_REAL, kind)) return false;
  value = GetLittle<double>(2);
  g_Replay.at += 10;
  return true;
}

void Replay_PutReal(RReplayValue kind, double value) {
  if (g_Replay.mode != ReplayMode::Record || g_Replay.live_depth > 0) return;
  PutTag(TAG_REAL);
  PutTag(kind);
  PutLittle<double>(value);
}

bool Replay_TakeText(RReplayValue kind, std::string& value) {
  if (!TakeValue(TAG_TEXT, kind)) return false;
  const uint32_t n = GetLittle<uint32_t>(2);
  value.assign(reinterpret_cast<const char*>(g_Replay.bytes.data() + g_Replay.at + 6), n);
  g_Replay.at += 6 + size_t(n);
  return true;
}

void Replay_PutText(RReplayValue kind, const std::string& value) {
  if (g_Replay.mode != ReplayMode::Record || g_Replay.live_depth > 0) return;
  PutTag(TAG_TEXT);
  PutTag(kind);
  PutLittle<uint32_t>(static_cast<uint32_t>(value.size()));
  PutBytes(value.data(), value.size());
}
