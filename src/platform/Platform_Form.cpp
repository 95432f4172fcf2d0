#include "platform/Platform_Form.h"

#include <SDL.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Platform_Font.h"
#include "platform/Platform_Internal.h"

namespace {

// ---------------------------------------------------------------------------
// Look: the classic grey desktop
// ---------------------------------------------------------------------------

constexpr uint32_t kFace = 0xFFD4D0C8;
constexpr uint32_t kHighlight = 0xFFFFFFFF;
constexpr uint32_t kShadow = 0xFF808080;
constexpr uint32_t kDarkShadow = 0xFF404040;
constexpr uint32_t kWindow = 0xFFFFFFFF;
constexpr uint32_t kText = 0xFF000000;
constexpr uint32_t kGreyText = 0xFF808080;
constexpr uint32_t kHintBack = 0xFFFFFFE1;

constexpr int32_t kScrollBarWidth = 16;
constexpr int32_t kMinThumb = 8;
constexpr int32_t kTabWidth = 8;
constexpr int64_t kHintDelayMs = 500;
// Scripts choose some window sizes; no screen is larger than this.
constexpr int32_t kMaxFormSide = 8192;

// Buttons and hints use the desktop's dialog font.
CSystemFont* DialogFont() { return SystemFont_Get("MS Sans Serif", 11); }

RFormRect Inset(const RFormRect& r, int32_t by) { return {r.x + by, r.y + by, r.w - 2 * by, r.h - 2 * by}; }

RFormRect Intersect(const RFormRect& a, const RFormRect& b) {
  int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  int32_t x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void Fill(RCanvas& canvas, const RFormRect& r, uint32_t colour) {
  RFormRect c = Intersect(r, {0, 0, canvas.width, canvas.height});
  for (int32_t y = c.y; y < c.y + c.h; y++)
    std::fill_n(&canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(c.x)], c.w, colour);
}

// A one-pixel frame: top and left in one colour, bottom and right in another.
void Frame(RCanvas& canvas, const RFormRect& r, uint32_t top_left, uint32_t bottom_right) {
  Fill(canvas, {r.x, r.y, r.w - 1, 1}, top_left);
  Fill(canvas, {r.x, r.y, 1, r.h - 1}, top_left);
  Fill(canvas, {r.x, r.y + r.h - 1, r.w, 1}, bottom_right);
  Fill(canvas, {r.x + r.w - 1, r.y, 1, r.h}, bottom_right);
}

void RaisedEdge(RCanvas& canvas, const RFormRect& r) {
  Frame(canvas, r, kHighlight, kDarkShadow);
  Frame(canvas, Inset(r, 1), kFace, kShadow);
}

void SunkenEdge(RCanvas& canvas, const RFormRect& r) {
  Frame(canvas, r, kShadow, kHighlight);
  Frame(canvas, Inset(r, 1), kDarkShadow, kFace);
}

// The dotted rectangle around the focused control's contents.
void FocusFrame(RCanvas& canvas, const RFormRect& r) {
  for (int32_t x = r.x; x < r.x + r.w; x += 2) {
    Fill(canvas, {x, r.y, 1, 1}, kText);
    Fill(canvas, {x, r.y + r.h - 1, 1, 1}, kText);
  }
  for (int32_t y = r.y; y < r.y + r.h; y += 2) {
    Fill(canvas, {r.x, y, 1, 1}, kText);
    Fill(canvas, {r.x + r.w - 1, y, 1, 1}, kText);
  }
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
  uint32_t out = 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
}

// Draws one line of text with its top at y, clipped to clip; returns the pen's
// final x.
int32_t DrawText(RCanvas& canvas, CSystemFont* font, int32_t x, int32_t y, std::string_view text, uint32_t colour,
                 const RFormRect& clip) {
  if (!font) return x;
  RFormRect c = Intersect(clip, {0, 0, canvas.width, canvas.height});
  int32_t baseline = y + font->Ascent();
  for (char ch : text) {
    const RSystemGlyph& g = font->Glyph(static_cast<uint8_t>(ch));
    for (int32_t gy = 0; gy < g.height; gy++) {
      int32_t py = baseline - g.top + gy;
      if (py < c.y || py >= c.y + c.h) continue;
      for (int32_t gx = 0; gx < g.width; gx++) {
        int32_t px = x + g.left + gx;
        uint32_t alpha = g.coverage[size_t(gy) * size_t(g.width) + size_t(gx)];
        if (alpha == 0 || px < c.x || px >= c.x + c.w) continue;
        uint32_t& pixel = canvas.pixels[size_t(py) * size_t(canvas.width) + size_t(px)];
        pixel = Blend(pixel, colour, alpha);
      }
    }
    x += g.advance;
  }
  return x;
}

// A caption without its '&' marks, and the index of the character the access
// key underlines (-1 for none).
std::string PlainCaption(std::string_view caption, int32_t* underlined) {
  std::string plain;
  *underlined = -1;
  for (size_t i = 0; i < caption.size(); i++) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      i++;
      if (caption[i] != '&' && *underlined < 0) *underlined = static_cast<int32_t>(plain.size());
    }
    plain += caption[i];
  }
  return plain;
}

// The small black triangle of a scroll arrow, pointing up or down.
void Arrow(RCanvas& canvas, const RFormRect& r, bool up, uint32_t colour) {
  int32_t cx = r.x + r.w / 2, cy = r.y + r.h / 2 - 2;
  for (int32_t i = 0; i < 4; i++) {
    int32_t row = up ? cy + i : cy + 3 - i;
    Fill(canvas, {cx - i, row, 2 * i + 1, 1}, colour);
  }
}

// Cuts one line (no line breaks) into rows at most width pixels wide,
// after the last blank that fits; a word wider than that is cut.
void WrapRows(CSystemFont* font, const std::string& text, int32_t width, std::vector<std::string>& rows) {
  size_t start = 0;
  do {
    size_t end = start, pixels = 0;
    while (end < text.size()) {
      pixels += size_t(font ? font->Glyph(static_cast<uint8_t>(text[end])).advance : 1);
      if (pixels > size_t(std::max(1, width)) && end > start) break;
      end++;
    }
    if (end < text.size()) {
      size_t space = text.rfind(' ', end);
      if (space != std::string::npos && space > start) end = space + 1;
    }
    rows.emplace_back(text, start, end - start);
    start = end;
  } while (start < text.size());
}

std::function<void(CForm&)> g_TestDriver;

}  // namespace

CSystemFont* RFormFont::Get() const { return SystemFont_Get(family, height, bold, italic); }

void Form_DrawText(RCanvas& canvas, const RFormFont& font, int32_t x, int32_t y, std::string_view text,
                   const RFormRect& clip) {
  DrawText(canvas, font.Get(), x, y, text, font.colour, clip);
}

void Form_Fill(RCanvas& canvas, const RFormRect& r, uint32_t colour) { Fill(canvas, r, colour); }

void Form_DrawPicture(RCanvas& canvas, const uint32_t* pixels, int32_t w, int32_t h, const RFormRect& to,
                      bool blend) {
  if (w < 1 || h < 1 || to.w < 1 || to.h < 1) return;
  RFormRect c = Intersect(to, {0, 0, canvas.width, canvas.height});
  for (int32_t y = c.y; y < c.y + c.h; y++) {
    const uint32_t* row = pixels + size_t(int64_t(y - to.y) * h / to.h) * size_t(w);
    for (int32_t x = c.x; x < c.x + c.w; x++) {
      uint32_t p = row[size_t(int64_t(x - to.x) * w / to.w)];
      uint32_t& out = canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(x)];
      out = blend ? Blend(out, p, p >> 24) : p | 0xFF000000;
    }
  }
}

std::vector<std::string> Form_WrapText(const RFormFont& font, std::string_view text, int32_t width) {
  std::vector<std::string> rows;
  CSystemFont* system = font.Get();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    WrapRows(system, std::string(text.substr(start, end - start)), width, rows);
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return rows;
}

// ---------------------------------------------------------------------------
// Labels and text fields
// ---------------------------------------------------------------------------

int32_t CFormLabel::TextHeight() const {
  CSystemFont* system = font.Get();
  int32_t line = system ? system->LineHeight() : font.height;
  return line * static_cast<int32_t>(Form_WrapText(font, text, bounds.w).size());
}

void CFormLabel::Paint(RCanvas& canvas, bool focused) {
  CSystemFont* system = font.Get();
  int32_t line = system ? system->LineHeight() : font.height, y = bounds.y;
  for (const std::string& row : Form_WrapText(font, text, bounds.w)) {
    Form_DrawText(canvas, font, bounds.x, y, row, bounds);
    y += line;
  }
}

void CFormEdit::SetText(std::string_view text) {
  text_ = text;
  caret_ = text_.size();
  all_selected_ = !text_.empty();
  if (form_) form_->Invalidate();
}

void CFormEdit::Paint(RCanvas& canvas, bool focused) {
  Fill(canvas, bounds, background);
  CSystemFont* system = font.Get();
  if (!system) return;
  RFormRect inner = Inset(bounds, 2);
  int32_t y = bounds.y + (bounds.h - system->LineHeight()) / 2;
  // Long texts scroll so that the caret stays in view.
  int32_t before = system->TextWidth(std::string_view(text_).substr(0, caret_));
  int32_t x = inner.x + std::min(0, inner.w - 2 - before);
  if (all_selected_ && focused) {
    Fill(canvas, Intersect({x, y, system->TextWidth(text_), system->LineHeight()}, inner), 0xFF316AC5);
    DrawText(canvas, system, x, y, text_, 0xFFFFFFFF, inner);
  } else {
    DrawText(canvas, system, x, y, text_, font.colour, inner);
  }
  if (focused && !all_selected_) Fill(canvas, Intersect({x + before, y, 1, system->LineHeight()}, inner), font.colour);
}

bool CFormEdit::Key(const RFormKeyEvent& key) {
  bool had_selection = all_selected_;
  switch (key.key) {
    case FormKey::Left: caret_ = had_selection ? 0 : caret_ - (caret_ > 0); break;
    case FormKey::Right: caret_ = had_selection ? text_.size() : std::min(text_.size(), caret_ + 1); break;
    case FormKey::Home: caret_ = 0; break;
    case FormKey::End: caret_ = text_.size(); break;
    case FormKey::Backspace:
    case FormKey::Delete:
      if (had_selection) {
        text_.clear();
        caret_ = 0;
      } else if (key.key == FormKey::Backspace && caret_ > 0) {
        text_.erase(--caret_, 1);
      } else if (key.key == FormKey::Delete && caret_ < text_.size()) {
        text_.erase(caret_, 1);
      }
      break;
    default: return false;
  }
  all_selected_ = false;
  form_->Invalidate();
  return true;
}

bool CFormEdit::TypeText(std::string_view text) {
  if (all_selected_) {
    text_.clear();
    caret_ = 0;
    all_selected_ = false;
  }
  text_.insert(caret_, text);
  caret_ += text.size();
  form_->Invalidate();
  return true;
}

void CFormEdit::MouseDown(int32_t x, int32_t y) {
  all_selected_ = false;
  caret_ = text_.size();
  form_->Invalidate();
}

// ---------------------------------------------------------------------------
// Buttons
// ---------------------------------------------------------------------------

char CFormButton::AccessKey() const {
  int32_t at = -1;
  std::string plain = PlainCaption(caption, &at);
  if (at < 0) return 0;
  char c = plain[size_t(at)];
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string CFormButton::ShownCaption() const {
  int32_t at = -1;
  return PlainCaption(caption, &at);
}

void CFormButton::Paint(RCanvas& canvas, bool focused) {
  RFormRect r = bounds;
  Fill(canvas, r, kFace);
  // The default button, and any focused one, wear a black outline.
  bool outlined = focused || is_default;
  if (outlined) {
    Frame(canvas, r, kText, kText);
    r = Inset(r, 1);
  }
  if (pressed_)
    Frame(canvas, r, kShadow, kShadow);
  else
    RaisedEdge(canvas, r);
  int32_t underlined = -1;
  std::string plain = PlainCaption(caption, &underlined);
  CSystemFont* font = DialogFont();
  if (font) {
    int32_t shift = pressed_ ? 1 : 0;
    int32_t x = bounds.x + (bounds.w - font->TextWidth(plain)) / 2 + shift;
    int32_t y = bounds.y + (bounds.h - font->LineHeight()) / 2 + shift;
    DrawText(canvas, font, x, y, plain, kText, Inset(bounds, 2));
    if (underlined >= 0) {
      int32_t from = x + font->TextWidth(std::string_view(plain).substr(0, size_t(underlined)));
      int32_t width = font->Glyph(static_cast<uint8_t>(plain[size_t(underlined)])).advance;
      Fill(canvas, {from, y + font->Ascent() + 1, std::max(1, width - 1), 1}, kText);
    }
  }
  if (focused) FocusFrame(canvas, Inset(bounds, 4));
}

void CFormButton::MouseDown(int32_t x, int32_t y) {
  held_ = pressed_ = true;
  form_->Invalidate();
}

void CFormButton::MouseMove(int32_t x, int32_t y) {
  bool now = held_ && bounds.Contains(x, y);
  if (now != pressed_) form_->Invalidate();
  pressed_ = now;
}

void CFormButton::MouseUp(int32_t x, int32_t y) {
  bool clicked = held_ && bounds.Contains(x, y);
  held_ = pressed_ = false;
  form_->Invalidate();
  if (!clicked) return;
  if (result != FORM_RESULT_NONE)
    form_->EndWith(result);
  else if (action)
    action();
}

bool CFormButton::Key(const RFormKeyEvent& key) {
  if (key.key != FormKey::Enter && key.key != FormKey::Space) return false;
  form_->Click(name);
  return true;
}

// ---------------------------------------------------------------------------
// Memo
// ---------------------------------------------------------------------------

CFormMemo::CFormMemo(const std::string& font_family, int32_t font_height)
    : font_(SystemFont_Get(font_family, font_height)), font_height_(font_height) {}

int32_t CFormMemo::RowHeight() const { return font_ ? std::max(1, font_->LineHeight()) : font_height_; }

RFormRect CFormMemo::TextArea() const {
  RFormRect inner = Inset(bounds, 2);
  return {inner.x + 2, inner.y + 1, inner.w - kScrollBarWidth - 3, inner.h - 2};
}

RFormRect CFormMemo::Track() const {
  RFormRect inner = Inset(bounds, 2);
  return {inner.x + inner.w - kScrollBarWidth, inner.y + kScrollBarWidth, kScrollBarWidth,
          inner.h - 2 * kScrollBarWidth};
}

RFormRect CFormMemo::Thumb() const {
  RFormRect track = Track();
  int32_t rows = RowCount(), visible = VisibleRows();
  if (rows <= visible || track.h <= kMinThumb) return {track.x, track.y, 0, 0};
  int32_t size = std::max(kMinThumb, static_cast<int32_t>(int64_t(track.h) * visible / rows));
  int32_t at = static_cast<int32_t>(int64_t(track.h - size) * top_ / (rows - visible));
  return {track.x, track.y + at, kScrollBarWidth, size};
}

int32_t CFormMemo::VisibleRows() const { return std::max(1, TextArea().h / RowHeight()); }

void CFormMemo::WrapLine(const std::string& line) {
  // Tabs become spaces up to the next stop, so that quoted code keeps its
  // indentation.
  std::string text;
  for (char c : line) {
    if (c == '\t')
      text.append(size_t(kTabWidth) - text.size() % size_t(kTabWidth), ' ');
    else
      text += c;
  }
  WrapRows(font_, text, TextArea().w, rows_);
}

void CFormMemo::AddLine(std::string_view line) {
  lines_.emplace_back(line);
  WrapLine(lines_.back());
  if (form_) form_->Invalidate();
}

void CFormMemo::Clear() {
  lines_.clear();
  rows_.clear();
  top_ = 0;
  if (form_) form_->Invalidate();
}

std::string CFormMemo::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); i++) {
    if (i) text += '\n';
    text += lines_[i];
  }
  return text;
}

void CFormMemo::ScrollTo(int32_t row) {
  int32_t top = std::clamp(row, 0, std::max(0, RowCount() - VisibleRows()));
  if (top != top_ && form_) form_->Invalidate();
  top_ = top;
}

void CFormMemo::Paint(RCanvas& canvas, bool focused) {
  SunkenEdge(canvas, bounds);
  Fill(canvas, Inset(bounds, 2), kWindow);
  RFormRect area = TextArea();
  int32_t height = RowHeight();
  for (int32_t row = top_, y = area.y; row < RowCount() && y < area.y + area.h; row++, y += height)
    DrawText(canvas, font_, area.x, y, rows_[size_t(row)], kText, area);

  // The scroll bar: arrows, a checkered track and the thumb; greyed when all
  // rows are in view.
  RFormRect track = Track();
  bool active = RowCount() > VisibleRows();
  for (int32_t y = track.y; y < track.y + track.h; y++)
    for (int32_t x = track.x; x < track.x + track.w; x++)
      Fill(canvas, {x, y, 1, 1}, (x + y) % 2 ? kHighlight : kFace);
  RFormRect up{track.x, track.y - kScrollBarWidth, kScrollBarWidth, kScrollBarWidth};
  RFormRect down{track.x, track.y + track.h, kScrollBarWidth, kScrollBarWidth};
  for (const RFormRect& arrow : {up, down}) {
    Fill(canvas, arrow, kFace);
    RaisedEdge(canvas, arrow);
  }
  Arrow(canvas, up, true, active ? kText : kGreyText);
  Arrow(canvas, down, false, active ? kText : kGreyText);
  RFormRect thumb = Thumb();
  if (thumb.h > 0) {
    Fill(canvas, thumb, kFace);
    RaisedEdge(canvas, thumb);
  }
}

void CFormMemo::MouseDown(int32_t x, int32_t y) {
  RFormRect track = Track();
  if (x < track.x) return;
  RFormRect thumb = Thumb();
  if (y < track.y)
    ScrollTo(top_ - 1);
  else if (y >= track.y + track.h)
    ScrollTo(top_ + 1);
  else if (thumb.h > 0 && thumb.Contains(x, y)) {
    drag_from_y_ = y;
    drag_from_top_ = top_;
  } else if (thumb.h > 0) {
    ScrollTo(y < thumb.y ? top_ - VisibleRows() : top_ + VisibleRows());
  }
}

void CFormMemo::MouseMove(int32_t x, int32_t y) {
  if (drag_from_y_ < 0) return;
  int32_t free_track = Track().h - Thumb().h;
  if (free_track <= 0) return;
  int64_t span = RowCount() - VisibleRows();
  ScrollTo(drag_from_top_ + static_cast<int32_t>(int64_t(y - drag_from_y_) * span / free_track));
}

void CFormMemo::MouseUp(int32_t x, int32_t y) { drag_from_y_ = -1; }

void CFormMemo::Wheel(int32_t rows) { ScrollTo(top_ + rows); }

bool CFormMemo::Key(const RFormKeyEvent& key) {
  switch (key.key) {
    case FormKey::Up: ScrollTo(top_ - 1); return true;
    case FormKey::Down: ScrollTo(top_ + 1); return true;
    case FormKey::PageUp: ScrollTo(top_ - VisibleRows()); return true;
    case FormKey::PageDown: ScrollTo(top_ + VisibleRows()); return true;
    case FormKey::Home: ScrollTo(0); return true;
    case FormKey::End: ScrollToEnd(); return true;
    default: return false;
  }
}

// ---------------------------------------------------------------------------
// Forms
// ---------------------------------------------------------------------------

CForm::CForm(std::string caption, int32_t client_width, int32_t client_height)
    : caption_(std::move(caption)),
      width_(std::clamp(client_width, 1, kMaxFormSide)),
      height_(std::clamp(client_height, 1, kMaxFormSide)) {}

CForm::~CForm() = default;

void CForm::Adopt(std::unique_ptr<CFormControl> control) {
  control->form_ = this;
  controls_.push_back(std::move(control));
  dirty_ = true;
}

CFormControl* CForm::Find(std::string_view name) const {
  for (const auto& control : controls_)
    if (control->name == name) return control.get();
  return nullptr;
}

void CForm::Open() {
  result_ = FORM_RESULT_NONE;
  captured_ = hovered_ = nullptr;
  rest_since_ = -1;
  hint_shown_ = false;
  focus_ = initial_focus_ && initial_focus_->visible ? initial_focus_ : nullptr;
  for (const auto& control : controls_) {
    auto* button = dynamic_cast<CFormButton*>(control.get());
    if (!focus_ && button && button->is_default && button->visible) focus_ = button;
  }
  if (!focus_) MoveFocus(false);
  dirty_ = true;
}

int32_t CForm::DefaultResult() const {
  for (const auto& control : controls_) {
    auto* button = dynamic_cast<CFormButton*>(control.get());
    if (button && button->is_default && button->visible) return button->result;
  }
  return FORM_RESULT_CLOSED;
}

CFormControl* CForm::ControlAt(int32_t x, int32_t y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if ((*it)->visible && (*it)->bounds.Contains(x, y)) return it->get();
  return nullptr;
}

void CForm::SetFocus(CFormControl* control) {
  if (control != focus_) dirty_ = true;
  focus_ = control;
}

void CForm::MoveFocus(bool backwards) {
  size_t count = controls_.size();
  if (count == 0) return;
  size_t at = count;
  for (size_t i = 0; i < count; i++)
    if (controls_[i].get() == focus_) at = i;
  for (size_t step = 1; step <= count; step++) {
    size_t i = at == count ? (backwards ? count - step : step - 1)
                           : (backwards ? (at + count - step) % count : (at + step) % count);
    CFormControl* control = controls_[i].get();
    if (control->visible && control->Focusable()) {
      SetFocus(control);
      return;
    }
  }
}

void CForm::MouseMove(int32_t x, int32_t y) {
  mouse_x_ = x;
  mouse_y_ = y;
  if (captured_) captured_->MouseMove(x, y);
  CFormControl* over = ControlAt(x, y);
  if (over != hovered_) {
    hovered_ = over;
    rest_since_ = now_;
    if (hint_shown_) dirty_ = true;
    hint_shown_ = false;
  }
}

void CForm::MouseButton(int32_t x, int32_t y, bool down) {
  if (hint_shown_) dirty_ = true;
  hint_shown_ = false;
  rest_since_ = -1;
  if (!down) {
    CFormControl* target = captured_;
    captured_ = nullptr;
    if (target) target->MouseUp(x, y);
    return;
  }
  CFormControl* control = ControlAt(x, y);
  if (!control) return;
  if (control->Focusable()) SetFocus(control);
  captured_ = control;
  control->MouseDown(x, y);
}

void CForm::MouseWheel(int32_t x, int32_t y, int32_t rows) {
  CFormControl* target = ControlAt(x, y);
  if (!target) target = focus_;
  if (target) target->Wheel(rows);
}

void CForm::Key(const RFormKeyEvent& key) {
  auto button_with_key = [&](char c) -> CFormButton* {
    for (const auto& control : controls_) {
      auto* button = dynamic_cast<CFormButton*>(control.get());
      if (button && button->visible && c && button->AccessKey() == c) return button;
    }
    return nullptr;
  };
  if (key_filter && key_filter(key)) return;
  if (key.key == FormKey::Tab) {
    MoveFocus(key.shift);
    return;
  }
  if (key.key == FormKey::Character && key.alt) {
    if (CFormButton* button = button_with_key(key.character)) Click(button->name);
    return;
  }
  if (focus_ && focus_->Key(key)) return;
  switch (key.key) {
    case FormKey::Character:
      // Access keys work without Alt while no control takes the letter.
      if (!key.ctrl && dynamic_cast<CFormButton*>(focus_))
        if (CFormButton* button = button_with_key(key.character)) Click(button->name);
      break;
    case FormKey::Enter:
      for (const auto& control : controls_) {
        auto* button = dynamic_cast<CFormButton*>(control.get());
        if (button && button->is_default && button->visible) {
          Click(button->name);
          break;
        }
      }
      break;
    case FormKey::Escape: Close(); break;
    default: break;
  }
}

void CForm::TextInput(std::string_view text) {
  if (focus_) focus_->TypeText(text);
}

void CForm::Click(std::string_view name) {
  CFormControl* control = Find(name);
  if (!control || !control->visible) return;
  int32_t x = control->bounds.x + control->bounds.w / 2, y = control->bounds.y + control->bounds.h / 2;
  MouseButton(x, y, true);
  MouseButton(x, y, false);
}

void CForm::Tick(int64_t now_ms) {
  now_ = now_ms;
  if (rest_since_ < 0) rest_since_ = now_ms;
  bool show = hovered_ && !hovered_->hint.empty() && !captured_ && now_ms - rest_since_ >= kHintDelayMs;
  if (show && !hint_shown_) dirty_ = true;
  hint_shown_ = hint_shown_ || show;
}

const std::string& CForm::ShownHint() const {
  static const std::string none;
  return hint_shown_ && hovered_ ? hovered_->hint : none;
}

void CForm::Resize(int32_t width, int32_t height) {
  width = std::clamp(width, 1, kMaxFormSide);
  height = std::clamp(height, 1, kMaxFormSide);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (resized) resized(width, height);
  dirty_ = true;
}

void CForm::Paint(RCanvas& canvas) {
  canvas.width = width_;
  canvas.height = height_;
  canvas.pixels.assign(size_t(width_) * size_t(height_), kFace);
  if (background) background(canvas);
  for (const auto& control : controls_)
    if (control->visible) control->Paint(canvas, control.get() == focus_);
  // The hint: a pale box under the mouse, kept inside the client area.
  const std::string& hint = ShownHint();
  CSystemFont* font = DialogFont();
  if (!hint.empty() && font) {
    int32_t w = font->TextWidth(hint) + 6, h = font->LineHeight() + 4;
    int32_t x = std::clamp(mouse_x_, 0, std::max(0, width_ - w));
    int32_t y = mouse_y_ + 20 + h <= height_ ? mouse_y_ + 20 : std::max(0, mouse_y_ - h - 4);
    RFormRect box{x, y, w, h};
    Fill(canvas, box, kHintBack);
    Frame(canvas, box, kText, kText);
    DrawText(canvas, font, x + 3, y + 2, hint, kText, box);
  }
  dirty_ = false;
}

// ---------------------------------------------------------------------------
// The modal loop
// ---------------------------------------------------------------------------

namespace {

bool TranslateKey(const SDL_KeyboardEvent& event, RFormKeyEvent* key) {
  SDL_Keycode sym = event.keysym.sym;
  Uint16 mod = event.keysym.mod;
  key->shift = (mod & KMOD_SHIFT) != 0;
  key->ctrl = (mod & KMOD_CTRL) != 0;
  key->alt = (mod & KMOD_ALT) != 0;
  switch (sym) {
    case SDLK_TAB: key->key = FormKey::Tab; return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: key->key = FormKey::Enter; return true;
    case SDLK_ESCAPE: key->key = FormKey::Escape; return true;
    case SDLK_SPACE: key->key = FormKey::Space; return true;
    case SDLK_UP: key->key = FormKey::Up; return true;
    case SDLK_DOWN: key->key = FormKey::Down; return true;
    case SDLK_PAGEUP: key->key = FormKey::PageUp; return true;
    case SDLK_PAGEDOWN: key->key = FormKey::PageDown; return true;
    case SDLK_HOME: key->key = FormKey::Home; return true;
    case SDLK_END: key->key = FormKey::End; return true;
    case SDLK_LEFT: key->key = FormKey::Left; return true;
    case SDLK_RIGHT: key->key = FormKey::Right; return true;
    case SDLK_BACKSPACE: key->key = FormKey::Backspace; return true;
    case SDLK_DELETE: key->key = FormKey::Delete; return true;
    default: break;
  }
  if ((sym >= SDLK_a && sym <= SDLK_z) || (sym >= SDLK_0 && sym <= SDLK_9)) {
    key->key = FormKey::Character;
    key->character = static_cast<char>(sym);
    return true;
  }
  return false;
}

// Typed text arrives as UTF-8; the engine's text has one byte per character
// of the Western code page, so characters beyond it are dropped.
std::string WesternText(const char* utf8) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p;) {
    uint32_t code = *p, extra = code < 0x80 ? 0 : code < 0xE0 ? 1 : code < 0xF0 ? 2 : 3;
    code &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
    p++;
    for (uint32_t i = 0; i < extra && (*p & 0xC0) == 0x80; i++, p++) code = (code << 6) | (*p & 0x3F);
    if (code >= 32 && code < 256 && (code < 0x7F || code >= 0xA0)) out += static_cast<char>(code);
  }
  return out;
}

void Present(SDL_Window* window, CForm& form, RCanvas& canvas) {
  form.Paint(canvas);
  SDL_Surface* screen = SDL_GetWindowSurface(window);
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(canvas.pixels.data(), canvas.width, canvas.height, 32,
                                                            canvas.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (screen && picture) {
    SDL_BlitSurface(picture, nullptr, screen, nullptr);
    SDL_UpdateWindowSurface(window);
  }
  if (picture) SDL_FreeSurface(picture);
}

// The form's window, shown and painted; null when none can be made.
SDL_Window* OpenWindow(CForm& form, RCanvas& canvas) {
  int x = form.left >= 0 ? form.left : SDL_WINDOWPOS_CENTERED, y = form.top >= 0 ? form.top : SDL_WINDOWPOS_CENTERED;
  if (form.popup && form.left < 0 && form.top < 0) SDL_GetGlobalMouseState(&x, &y);
  const Uint32 flags = SDL_WINDOW_SHOWN | (form.border ? 0 : SDL_WINDOW_BORDERLESS) |
                       (form.sizeable ? SDL_WINDOW_RESIZABLE : 0) | (form.stay_on_top ? SDL_WINDOW_ALWAYS_ON_TOP : 0);
  SDL_Window* window = nullptr;
  if (form.colour_key >= 0) {
    form.Paint(canvas);
    window = Platform_CreateKeyedWindow(form.Caption().c_str(), x, y, form.ClientWidth(), form.ClientHeight(), flags,
                                        canvas.pixels.data(), uint32_t(form.colour_key));
  } else {
    window = SDL_CreateWindow(form.Caption().c_str(), x, y, form.ClientWidth(), form.ClientHeight(), flags);
  }
  if (!window) return nullptr;
  if (form.alpha < 255) SDL_SetWindowOpacity(window, std::max(0, form.alpha) / 255.0f);
  SDL_RaiseWindow(window);
  Present(window, form, canvas);
  return window;
}

// Hands an event to the form whose window has the id `id`; true when the
// event was meant for that window.
bool Dispatch(CForm& form, Uint32 id, const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (event.window.windowID != id) return false;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) form.Close();
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) form.Invalidate();
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) form.Resize(event.window.data1, event.window.data2);
      return true;
    case SDL_MOUSEMOTION:
      if (event.motion.windowID != id) return false;
      form.MouseMove(event.motion.x, event.motion.y);
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (form.popup && event.type == SDL_MOUSEBUTTONDOWN && event.button.windowID != id) form.Close();
      if (event.button.windowID != id) return false;
      if (event.button.button == SDL_BUTTON_LEFT)
        form.MouseButton(event.button.x, event.button.y, event.type == SDL_MOUSEBUTTONDOWN);
      return true;
    case SDL_MOUSEWHEEL:
      if (event.wheel.windowID != id) return false;
      {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        form.MouseWheel(x, y, -3 * event.wheel.y);
      }
      return true;
    case SDL_KEYDOWN: {
      if (event.key.windowID != id) return false;
      RFormKeyEvent key;
      if (TranslateKey(event.key, &key)) form.Key(key);
      return true;
    }
    case SDL_KEYUP:
      return event.key.windowID == id;
    case SDL_TEXTINPUT:
      if (event.text.windowID != id) return false;
      form.TextInput(WesternText(event.text.text));
      return true;
    default:
      return false;
  }
}

// Forms open beside the game: each with its window and picture, served by
// the platform's message processing. Owner: this module; lifetime: until the
// form ends or Form_CloseModeless.
struct RModeless {
  std::shared_ptr<CForm> form;
  SDL_Window* window = nullptr;
  RCanvas canvas;
};
std::vector<RModeless> g_Modeless;

bool ServeModeless(const SDL_Event& event) {
  bool consumed = false;
  for (RModeless& m : g_Modeless) consumed |= Dispatch(*m.form, SDL_GetWindowID(m.window), event);
  for (auto it = g_Modeless.begin(); it != g_Modeless.end();) {
    if (it->form->Result() != FORM_RESULT_NONE) {
      SDL_DestroyWindow(it->window);
      it = g_Modeless.erase(it);
      continue;
    }
    it->form->Tick(static_cast<int64_t>(SDL_GetTicks64()));
    if (it->form->NeedsPaint()) Present(it->window, *it->form, it->canvas);
    ++it;
  }
  return consumed;
}

}  // namespace

int32_t Form_ShowModal(CForm& form) {
  form.Open();
  if (g_TestDriver) {
    g_TestDriver(form);
    return form.Result() == FORM_RESULT_NONE ? FORM_RESULT_CLOSED : form.Result();
  }
  if (!Platform_HasDisplay()) return form.DefaultResult();
  RCanvas canvas;
  SDL_Window* window = OpenWindow(form, canvas);
  if (!window) return form.DefaultResult();
  const Uint32 id = SDL_GetWindowID(window);
  // Only this window takes input while it is up; what reaches the others is
  // dropped, and a request to quit closes it like its close button.
  while (form.Result() == FORM_RESULT_NONE) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 50)) {
      if (event.type == SDL_QUIT)
        form.Close();
      else
        Dispatch(form, id, event);
    }
    form.Tick(static_cast<int64_t>(SDL_GetTicks64()));
    if (form.NeedsPaint()) Present(window, form, canvas);
  }
  SDL_DestroyWindow(window);
  return form.Result();
}

bool Form_ShowModeless(std::shared_ptr<CForm> form) {
  form->Open();
  if (g_TestDriver) {
    g_TestDriver(*form);
    return false;
  }
  if (!Platform_HasDisplay()) return false;
  static bool serving = false;
  if (!serving) {
    Platform_AddEventHandler(ServeModeless);
    serving = true;
  }
  RModeless m;
  m.form = std::move(form);
  m.window = OpenWindow(*m.form, m.canvas);
  if (!m.window) return false;
  g_Modeless.push_back(std::move(m));
  return true;
}

void Form_CloseModeless() {
  for (RModeless& m : g_Modeless) SDL_DestroyWindow(m.window);
  g_Modeless.clear();
}

void Form_SetTestDriver(std::function<void(CForm&)> driver) { g_TestDriver = std::move(driver); }
