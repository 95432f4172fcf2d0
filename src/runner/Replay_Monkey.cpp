#include "runner/Replay_Monkey.h"

#include <algorithm>

#include "data/Option_Main.h"
#include "world/Object_Class.h"
#include "world/Object_Main.h"

namespace {

enum : int32_t { KEY_ENTER = 13, KEY_ESCAPE = 27, KEY_SPACE = 32, KEY_LEFT = 37, KEY_DOWN = 40, KEY_F1 = 112 };
constexpr int32_t kCommonKeys[] = {KEY_ENTER, KEY_SPACE, KEY_LEFT, KEY_LEFT + 1, KEY_LEFT + 2, KEY_DOWN};

// The character a key types, or 0 (letters come lower case, as without Shift).
int32_t CharacterOf(int32_t key) {
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
  if ((key >= '0' && key <= '9') || key == KEY_SPACE) return key;
  return 0;
}

}  // namespace

RMonkeyPlayground Monkey_Playground(bool display) {
  RMonkeyPlayground p;
  p.keys.assign(std::begin(kCommonKeys), std::end(kCommonKeys));
  for (int32_t index = 0; index < Object_Count(); index++) {
    const CObject* object = Object_Get(index);
    if (!object) continue;
    // Keys 0 and 1 are the no-key and any-key events: the common keys serve them.
    for (int32_t key = 2; key < 256; key++)
      for (int32_t kind : {EV_KEYBOARD, EV_KEYPRESS, EV_KEYRELEASE})
        if (object->DefinedEvent(kind, key)) p.keys.push_back(key);
  }
  std::erase_if(p.keys, [](int32_t key) { return key == KEY_ESCAPE && Settings.KeyEsc; });
  std::sort(p.keys.begin(), p.keys.end());
  p.keys.erase(std::unique(p.keys.begin(), p.keys.end()), p.keys.end());

  // F1 and F4 open a window or change the screen a person is looking at.
  const std::pair<int32_t, bool> function_keys[] = {
      {KEY_F1, Settings.KeyF1 && !display}, {KEY_F1 + 3, Settings.KeyF4 && !display},
      {KEY_F1 + 4, Settings.KeyF5F6},       {KEY_F1 + 5, Settings.KeyF5F6},
      {KEY_F1 + 8, Settings.KeyF9}};
  for (const auto& [key, allowed] : function_keys)
    if (allowed) p.function_keys.push_back(key);
  return p;
}

CMonkey::CMonkey(uint64_t seed, RMonkeyPlayground playground)
    : state_(seed), playground_(std::move(playground)) {
  playground_.width = std::max(playground_.width, 1);
  playground_.height = std::max(playground_.height, 1);
  mouse_x_ = static_cast<int32_t>(Below(static_cast<uint32_t>(playground_.width)));
  mouse_y_ = static_cast<int32_t>(Below(static_cast<uint32_t>(playground_.height)));
}

uint32_t CMonkey::Below(uint32_t n) {
  // splitmix64: a good spread from any seed, 0 included.
  state_ += 0x9E3779B97F4A7C15ull;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return n == 0 ? 0 : static_cast<uint32_t>((z >> 32) * n >> 32);
}

void CMonkey::Input(std::vector<RMonkeyAction>& out, RReplayInput kind, int32_t value) {
  RMonkeyAction action;
  action.input = kind;
  action.x = value;
  out.push_back(action);
}

void CMonkey::Step(std::vector<RMonkeyAction>& out) {
  out.clear();
  // Held keys come up when their time is over.
  for (auto& [key, steps] : held_keys_)
    if (--steps <= 0) Input(out, REPLAY_KEY_UP, key);
  std::erase_if(held_keys_, [](const auto& held) { return held.second <= 0; });

  const std::vector<int32_t>& keys = playground_.keys;
  if (!keys.empty() && Chance(3)) {
    const int32_t key = keys[Below(static_cast<uint32_t>(keys.size()))];
    if (std::none_of(held_keys_.begin(), held_keys_.end(), [key](const auto& h) { return h.first == key; })) {
      Input(out, REPLAY_KEY_DOWN, key);
      if (int32_t c = CharacterOf(key)) Input(out, REPLAY_CHARACTER, c);
      held_keys_.emplace_back(key, 1 + static_cast<int32_t>(Below(20)));
    }
  }
  if (Chance(15)) Input(out, REPLAY_CHARACTER, Chance(8) ? 8 : 32 + static_cast<int32_t>(Below(95)));
  const std::vector<int32_t>& function_keys = playground_.function_keys;
  if (!function_keys.empty() && Chance(400)) {
    const int32_t key = function_keys[Below(static_cast<uint32_t>(function_keys.size()))];
    Input(out, REPLAY_KEY_DOWN, key);
    Input(out, REPLAY_KEY_UP, key);
  }

  if (Chance(2)) {
    const int32_t w = playground_.width, h = playground_.height;
    if (Chance(8)) {
      mouse_x_ = static_cast<int32_t>(Below(static_cast<uint32_t>(w)));
      mouse_y_ = static_cast<int32_t>(Below(static_cast<uint32_t>(h)));
    } else {
      mouse_x_ = std::clamp(mouse_x_ + static_cast<int32_t>(Below(33)) - 16, 0, w - 1);
      mouse_y_ = std::clamp(mouse_y_ + static_cast<int32_t>(Below(33)) - 16, 0, h - 1);
    }
    RMonkeyAction move;
    move.move = true;
    move.x = mouse_x_;
    move.y = mouse_y_;
    out.push_back(move);
  }
  if (held_button_ != 0) {
    if (--button_steps_ <= 0) {
      Input(out, REPLAY_MOUSE_UP, held_button_);
      held_button_ = 0;
    }
  } else if (Chance(12)) {
    const uint32_t roll = Below(10);
    held_button_ = roll < 7 ? 1 : roll < 9 ? 2 : 3;
    button_steps_ = 1 + static_cast<int32_t>(Below(10));
    Input(out, REPLAY_MOUSE_DOWN, held_button_);
  }
  if (Chance(40)) Input(out, REPLAY_WHEEL, Chance(2) ? 1 : 0);
}
