#include "world/Run_Global.h"

#include "world/Object_Main.h"
#include "world/Run_State.h"

RGameGlobals Game;

namespace {
constexpr int32_t kEventOther = 7;
constexpr int32_t kOtherNoMoreLives = 6;
constexpr int32_t kOtherNoMoreHealth = 9;
}  // namespace

void Global_ResetForStart() {
  Game.score = 0;
  Game.lives = -1;
  Game.cursor_sprite = -1;
  Game.transition_kind = 0;
  RunState.CursorImage = 0;
}

void Global_SetLives(int32_t value) {
  bool ran_out = Game.lives > 0 && value <= 0;
  Game.lives = value;
  if (ran_out) PerformEventForAll(kEventOther, kOtherNoMoreLives);
}

void Global_SetHealth(double value) {
  bool ran_out = Game.health > 0 && value <= 0;
  Game.health = value;
  if (ran_out) PerformEventForAll(kEventOther, kOtherNoMoreHealth);
}
