// Help_Main: the game information window: the game's help text (rich text)
// with the caption, colour, position and size the game gives it.
#pragma once

class CForm;

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataNew_Class.h"

// One piece of text in one style. A run with `paragraph` set ends a line.
struct RRichRun {
  std::string text;
  bool bold = false, italic = false, underline = false;
  int32_t points = 12;
  uint32_t colour = 0xFF000000;  // 0xAARRGGBB
  std::string font = "Arial";
  bool paragraph = false;
};

// Reads rich text (the common subset: groups, font and colour tables, bold,
// italic, underline, sizes, colours, paragraphs, line breaks, tabs and
// escaped characters); text that is not rich text is taken as plain text.
std::vector<RRichRun> Help_ParseRichText(std::string_view rtf);

struct RCanvas;

// Paints rich text (or plain text) over the whole canvas on a background
// colour (0xAARRGGBB), from the top, wrapped to the canvas width.
void Help_PaintRichText(RCanvas& canvas, std::string_view text, uint32_t background);

// Takes the game information of the game file.
void Help_Install(const RGameInformation& info);
// Shows the window: modally when the game pauses for it (then all input
// state is cleared), else beside the running game.
void Help_Show();
// Takes away the window shown beside the game (the game ends).
void Help_Close();
// The window shown beside the game, or null.
const CForm* Help_ShownBeside();
// Replaces the text by a rich-text file; false when it cannot be read.
bool Help_Load(const std::string& path);
// The text as it is now (tests).
const std::string& Help_Text();
