// Plays arbitrary bytes as a run's record. The first byte is the length of a
// script of reads a game makes (marks, values, texts, input, the runner's
// limit), played over and over against the rest, which is the record. Nothing
// may crash; a playing that stops must say why, and played input must be of a
// known kind.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/Replay_Log.h"

namespace {

void CheckInput(RReplayInput kind, int32_t) {
  if (kind >= REPLAY_INPUT_KINDS) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t script_size = data[0];
  if (size < 1 + script_size || script_size == 0) return 0;
  const uint8_t* script = data + 1;
  std::string error;
  Replay_SetInputHandler(CheckInput);
  if (!Replay_StartPlayingBytes(std::vector<uint8_t>(data + 1 + script_size, data + size), error)) {
    if (error.empty() || Replay_Mode() != ReplayMode::Off) std::abort();
    return 0;
  }
  uint32_t step = 0;
  for (int ops = 0; ops < 20000 && Replay_Mode() == ReplayMode::Play; ops++) {
    const uint8_t op = script[size_t(ops) % script_size];
    const auto kind = static_cast<RReplayValue>(op / 8 % REPLAY_VALUE_KINDS);
    double real = 0;
    std::string text;
    switch (op % 8) {
      case 0: Replay_Mark(REPLAY_MARK_STEP, ++step); break;
      case 1: Replay_Mark(REPLAY_MARK_FRAME); break;
      case 2: Replay_TakeReal(kind, real); break;
      case 3: Replay_TakeText(kind, text); break;
      case 4: Replay_RunnerStop(false); break;
      case 5: Replay_DeliverInput(); break;
      case 6: Replay_ToInt(Replay_Real(kind, [] { return 0.0; })); break;
      default: Replay_Detach(); break;
    }
  }
  const bool played = Replay_Finish();
  if (played == Replay_Failed() || (!played && Replay_Error().empty())) std::abort();
  Replay_Reset();
  return 0;
}
