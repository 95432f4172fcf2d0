// Platform_FormPaint: the classic grey look that every form control paints
// with. Internal to
// src/platform: the controls of Platform_Form and Platform_FormControls use
// it; the engine sees only the controls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform_Form.h"

class CSystemFont;

namespace formpaint {

constexpr uint32_t kFace = 0xFFD4D0C8;
constexpr uint32_t kHighlight = 0xFFFFFFFF;
constexpr uint32_t kShadow = 0xFF808080;
constexpr uint32_t kDarkShadow = 0xFF404040;
constexpr uint32_t kWindow = 0xFFFFFFFF;
constexpr uint32_t kText = 0xFF000000;
constexpr uint32_t kGreyText = 0xFF808080;
constexpr uint32_t kHintBack = 0xFFFFFFE1;
constexpr uint32_t kSelection = 0xFF0A246A;
constexpr uint32_t kSelectedText = 0xFFFFFFFF;

constexpr int32_t kScrollBarWidth = 16;

// Buttons, menus, bars and hints use the desktop's dialog font.
CSystemFont* DialogFont();

RFormRect Inset(const RFormRect& r, int32_t by);
RFormRect Intersect(const RFormRect& a, const RFormRect& b);
void Fill(RCanvas& canvas, const RFormRect& r, uint32_t colour);
// A one-pixel frame: top and left in one colour, bottom and right in another.
void Frame(RCanvas& canvas, const RFormRect& r, uint32_t top_left, uint32_t bottom_right);
void RaisedEdge(RCanvas& canvas, const RFormRect& r);
void SunkenEdge(RCanvas& canvas, const RFormRect& r);
// The thin edges of panels and tool buttons: one pixel each way.
void ThinRaised(RCanvas& canvas, const RFormRect& r);
void ThinSunken(RCanvas& canvas, const RFormRect& r);
// The dotted rectangle around the focused control's contents.
void FocusFrame(RCanvas& canvas, const RFormRect& r);
// Draws one line of text with its top at y, clipped to clip; returns the
// pen's final x.
int32_t DrawText(RCanvas& canvas, CSystemFont* font, int32_t x, int32_t y, std::string_view text, uint32_t colour,
                 const RFormRect& clip);
// A caption without its '&' marks ("&&" is a plain '&'), and the index of
// the character the access key underlines (-1 for none).
std::string PlainCaption(std::string_view caption, int32_t* underlined);
// The access key of a caption, lower case, or 0.
char AccessKeyOf(std::string_view caption);
// A caption drawn with its access key underlined; returns the pen's final x.
int32_t DrawCaption(RCanvas& canvas, CSystemFont* font, int32_t x, int32_t y, std::string_view caption,
                    uint32_t colour, const RFormRect& clip);

}  // namespace formpaint
