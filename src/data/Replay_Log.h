// Replay_Log: the record of everything a run takes from outside the game (the
// input of every step, the clock, the random seed, what the player answered in
// windows) and the playing back of such a record, so that a run can be
// repeated exactly: same input, same values, same states.
//
// File format, little-endian, version 1:
//   header   "VRPL", u16 version, i32 game id
//   records  a tag byte, then its payload:
//     'S' u32 n             step n (counted from 1) begins
//     'F'                   the wait after a step is over
//     'X'                   the runner's step limit ended the game here
//     'I' u8 kind, i32 v    an input event (RReplayInput)
//     'R' u8 kind, f64 v    a value read from outside (RReplayValue)
//     'T' u8 kind, u32 n, n bytes   the same, a text
//     'E'                   the game ended
// Input events come in the order they reached the game, between the step and
// wait marks of the moment they arrived; values in the order they were read.
// A file being played is untrusted: anything short, unknown or out of place
// stops the playing with a message and never reaches the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint16_t REPLAY_VERSION = 1;

// Input events; the value is a key code, character, button, 1 for the wheel
// turned up and 0 down, 0 for the close button.
enum RReplayInput : uint8_t {
  REPLAY_KEY_DOWN,
  REPLAY_KEY_UP,
  REPLAY_CHARACTER,
  REPLAY_MOUSE_DOWN,
  REPLAY_MOUSE_UP,
  REPLAY_WHEEL,
  REPLAY_CLOSE,
  REPLAY_INPUT_KINDS
};

// What a value read from outside the game is.
enum RReplayValue : uint8_t {
  REPLAY_SEED,         // the random seed taken from the clock
  REPLAY_CLOCK,        // current_time
  REPLAY_LOCAL_TIME,   // one field of the local date and time
  REPLAY_FPS,          // the frame rate measured by the main loop
  REPLAY_MOUSE,        // one coordinate of the mouse in the window or on the screen
  REPLAY_DEVICE,       // a direct device query: key state, Num Lock, joysticks
  REPLAY_ANSWER,       // the number a message window, menu or dialog answered
  REPLAY_ANSWER_TEXT,  // the text typed or chosen in one
  REPLAY_VALUE_KINDS
};

// The marks that keep a playing in step with the file.
enum RReplayMark : uint8_t { REPLAY_MARK_STEP = 'S', REPLAY_MARK_FRAME = 'F', REPLAY_MARK_END = 'E' };

enum class ReplayMode : uint8_t { Off, Record, Play };

// The channel's mode. Module state, lifetime the program: set by
// Replay_StartRecording / Replay_StartPlaying, back to Off by Replay_Finish,
// Replay_Detach, a failure, or Replay_Reset (game start in tests).
ReplayMode Replay_Mode();
// Whether a failed playing left a message (Replay_Error) since the last start.
bool Replay_Failed();
const std::string& Replay_Error();
// The step the channel is at (the last step mark written or read).
uint32_t Replay_StepNumber();

// Starts writing a record to `path` for the game `game_id`; false with a
// message in `error` when the file cannot be made.
bool Replay_StartRecording(const std::string& path, int32_t game_id, std::string& error);
// Starts playing the file at `path` (or the bytes of one); false with a
// message when it cannot be read or is no record of this format.
bool Replay_StartPlaying(const std::string& path, std::string& error);
bool Replay_StartPlayingBytes(std::vector<uint8_t> bytes, std::string& error);
// The game id stored in the record being played.
int32_t Replay_GameId();
// Ends the run: a record gets its end mark and is closed; a playing checks
// that the file ends here too. False, with Replay_Error, when it did not.
bool Replay_Finish();
// Stops playing or recording here without judging it (the person asked for
// fewer steps than the record holds); values come live from now on.
void Replay_Detach();
// Back to Off, dropping an open record and any message.
void Replay_Reset();

// Where played input events go (the input layer installs its handlers).
using ReplayInputHandler = void (*)(RReplayInput kind, int32_t value);
void Replay_SetInputHandler(ReplayInputHandler handler);

// Input that reached the game: written when recording.
void Replay_NoteInput(RReplayInput kind, int32_t value);
// Playing: hands every input event that is next in the file to the handler.
void Replay_DeliverInput();
// A mark: written when recording; when playing, the input before it is
// delivered and the mark must come next (a step mark with the same number).
// False when the file disagrees (the playing then fails).
bool Replay_Mark(RReplayMark mark, uint32_t step = 0);
// The runner's own step limit: when recording, `live` is written down and
// returned; when playing, whether the file says the limit ended the game here.
bool Replay_RunnerStop(bool live);

// Values read from outside: when playing they come from the file (the live
// read is not made at all, so no window opens and no device is asked); when
// recording the live read is written down; otherwise it is simply made.
bool Replay_TakeReal(RReplayValue kind, double& value);
void Replay_PutReal(RReplayValue kind, double value);
bool Replay_TakeText(RReplayValue kind, std::string& value);
void Replay_PutText(RReplayValue kind, const std::string& value);

// Live reads under way. A read made inside another (a dialog that asks in
// the message window) is part of the outer answer and is not written alone.
struct RReplayLiveScope {
  RReplayLiveScope();
  ~RReplayLiveScope();
  RReplayLiveScope(const RReplayLiveScope&) = delete;
  RReplayLiveScope& operator=(const RReplayLiveScope&) = delete;
};

template <typename Live>
double Replay_Real(RReplayValue kind, Live&& live) {
  double value = 0;
  if (Replay_Mode() == ReplayMode::Play && Replay_TakeReal(kind, value)) return value;
  {
    RReplayLiveScope scope;
    value = static_cast<double>(live());
  }
  if (Replay_Mode() == ReplayMode::Record) Replay_PutReal(kind, value);
  return value;
}

template <typename Live>
std::string Replay_Text(RReplayValue kind, Live&& live) {
  std::string value;
  if (Replay_Mode() == ReplayMode::Play && Replay_TakeText(kind, value)) return value;
  {
    RReplayLiveScope scope;
    value = live();
  }
  if (Replay_Mode() == ReplayMode::Record) Replay_PutText(kind, value);
  return value;
}

// A double from a file as an int32: anything outside the range (or not a
// number) reads as 0 rather than overflowing.
int32_t Replay_ToInt(double value);

// An integer value read from outside (all fit a double exactly).
template <typename Live>
int32_t Replay_Int(RReplayValue kind, Live&& live) {
  return Replay_ToInt(Replay_Real(kind, [&] { return static_cast<double>(live()); }));
}

// A pair of integers read together from outside (a mouse position).
template <RReplayValue Kind, void (*Live)(int32_t&, int32_t&)>
void Replay_Pair(int32_t& x, int32_t& y) {
  int32_t lx = 0, ly = 0;
  x = Replay_Int(Kind, [&] {
    Live(lx, ly);
    return lx;
  });
  y = Replay_Int(Kind, [&] { return ly; });
}
