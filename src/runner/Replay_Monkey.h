// Replay_Monkey: random but plausible input for a game, step by step, the
// same for the same seed: keys the game has events for (and the arrows,
// space and enter that games read in code), typed characters, mouse moves
// and clicks inside the window, the wheel, and now and then a function key
// that does not end the game.
#pragma once

#include <cstdint>
#include <vector>

#include "data/Replay_Log.h"

// One thing the monkey does: an input event, or (move) the mouse to x, y in
// the window.
struct RMonkeyAction {
  bool move = false;
  RReplayInput input = REPLAY_KEY_DOWN;
  int32_t x = 0, y = 0;  // input: x is the event's value
  bool operator==(const RMonkeyAction&) const = default;
};

// What the monkey may do in a game.
struct RMonkeyPlayground {
  std::vector<int32_t> keys;           // key codes to press
  std::vector<int32_t> function_keys;  // pressed rarely
  int32_t width = 640, height = 480;   // the window's client area
};

// The keys of a game: those of its keyboard, key press and key release
// events (any-key and no-key events bring the common keys), plus the common
// ones; the function keys whose settings are on, except Escape when it ends
// the game and F1 while a person would have to close the information window.
RMonkeyPlayground Monkey_Playground(bool display);

class CMonkey {
 public:
  CMonkey(uint64_t seed, RMonkeyPlayground playground);
  // The actions of the next step, replacing what `out` held.
  void Step(std::vector<RMonkeyAction>& out);

 private:
  uint32_t Below(uint32_t n);
  bool Chance(uint32_t one_in) { return Below(one_in) == 0; }
  void Input(std::vector<RMonkeyAction>& out, RReplayInput kind, int32_t value);

  uint64_t state_;
  RMonkeyPlayground playground_;
  // Keys and buttons held, with the steps left before their release.
  std::vector<std::pair<int32_t, int32_t>> held_keys_;
  int32_t held_button_ = 0, button_steps_ = 0;
  int32_t mouse_x_ = 0, mouse_y_ = 0;
};
