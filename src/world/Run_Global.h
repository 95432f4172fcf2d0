// Run_Global: the game-wide values scripts reach as built-in variables and
// the standard actions change: score, lives, health, the window caption's
// parts, the room transition and the cursor sprite.
#pragma once

#include <cstdint>
#include <string>

struct RGameGlobals {
  int32_t score = 0;
  int32_t lives = -1;
  double health = 100;
  int32_t transition_kind = 0;
  int32_t transition_steps = 80;
  int32_t cursor_sprite = -1;
  bool show_score = true;
  bool show_lives = false;
  bool show_health = false;
  // The game wrote show_score: the caption shows the score even while it is 0.
  bool score_shown_by_game = false;
  std::string caption_score = "Score: ";
  std::string caption_lives = "Lives: ";
  std::string caption_health = "Health: ";
};

extern RGameGlobals Game;

// Game start and restart: score 0, lives -1, cursor sprite -1 and its image
// counter 0, transition kind 0; health keeps its value.
void Global_ResetForStart();

// Set lives / health; going from above 0 to 0 or below performs the other
// event no more lives (7, 6) / no more health (7, 9) for every instance.
void Global_SetLives(int32_t value);
void Global_SetHealth(double value);
