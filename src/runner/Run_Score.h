// Run_Score: the game's table of the ten best scores, kept in the registry
// under the game's id, and the window that shows it.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t SCORE_RANKS = 10;

struct RScoreEntry {
  std::string name;
  int32_t score = 0;
};

// How the table is shown; kept for the whole run.
struct RScoreDisplay {
  std::string caption = "Top Ten Players";
  std::string nobody = "<nobody>";
  std::string escape = "press <Escape> to close";
  int32_t background = 0xF0FBFF;  // colours 0xBBGGRR
  int32_t new_colour = 0x0000FF;
  int32_t other_colour = 0;
  std::string font = "Times New Roman";
  int32_t size = 12;  // points
  bool bold = false, italic = false;
  bool border = true;
  int32_t picture = -1;  // background resource behind the table, -1 none
};
extern RScoreDisplay Score_Display;

// The entry at a rank 1..10; an empty name reads as the nobody name. Other
// ranks give the nobody name with score 0.
RScoreEntry Score_Entry(int32_t rank);
// Every entry becomes (nobody name, 0).
void Score_Clear();
// Inserts the entry before the first one with a smaller score, dropping the
// tenth; nothing when no score is smaller.
void Score_Add(const std::string& name, int32_t score);
// Shows the table with a new entry for the score when it earns a place; the
// player types the new entry's name. Clears all input afterwards.
void Score_Show(int32_t score);
// When the game's score reaches the table: asks for a name and adds it.
void Score_AddCurrent();

// The stored form of an entry for a game id, and back (false when the text
// is not an entry).
std::string Score_Encode(const RScoreEntry& entry, int32_t game_id);
bool Score_Decode(const std::string& text, int32_t game_id, RScoreEntry& entry);
