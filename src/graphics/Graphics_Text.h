// Graphics_Text: laying out and drawing text with the current font: "#" line
// breaks, word wrapping, line separation and alignment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFont;

// The lines of a text: "#" breaks a line ("\#" is a plain "#"), so do
// carriage returns and line feeds. With a width of 0 or more the pieces are
// wrapped at blanks and hyphens to that width and empty pieces vanish; with
// a negative width every piece is a line. The empty text has no lines.
std::vector<std::string> Text_SplitLines(std::string_view text, const CFont& font, int32_t width);

// string_width(_ext) and string_height(_ext) with the current font: the widest
// line (at least 1), and the line height plus the separation for each further
// line (1 without lines). A negative separation is the line height.
int32_t Text_Width(std::string_view text, int32_t width);
int32_t Text_Height(std::string_view text, int32_t separation, int32_t width);

// How a text is drawn beyond its position: scales and an angle in degrees
// (transformed text rounds its alignment offsets, plain text truncates them),
// and four corner colours with an alpha instead of the drawing colour.
struct RTextLook {
  bool transformed = false;
  double xs = 1, ys = 1, angle = 0;
  bool graded = false;
  int32_t colours[4] = {0, 0, 0, 0};  // left top, right top, right bottom, left bottom
  double alpha = 1;
};

// Draws the text with the current font and alignment at (x, y).
void Text_Draw(double x, double y, std::string_view text, int32_t separation, int32_t width, const RTextLook& look);
