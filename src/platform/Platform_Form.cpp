#include "platform/Platform_Form.h"

#include <SDL.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Platform_Font.h"
#include "platform/Platform_FormPaint.h"
#include "platform/Platform_Internal.h"

namespace formpaint {

namespace {

constexpr int32_t kMinThumb = 8;

uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
  uint32_t out = 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
}

// The small black triangle of a scroll arrow, pointing up or down.
void Arrow(RCanvas& canvas, const RFormRect& r, bool up, uint32_t colour) {
  int32_t cx = r.x + r.w / 2, cy = r.y + r.h / 2 - 2;
  for (int32_t i = 0; i < 4; i++) {
    int32_t row = up ? cy + i : cy + 3 - i;
    Fill(canvas, {cx - i, row, 2 * i + 1, 1}, colour);
  }
}

}  // namespace

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

void ThinRaised(RCanvas& canvas, const RFormRect& r) { Frame(canvas, r, kHighlight, kShadow); }

void ThinSunken(RCanvas& canvas, const RFormRect& r) { Frame(canvas, r, kShadow, kHighlight); }

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

char AccessKeyOf(std::string_view caption) {
  int32_t at = -1;
  std::string plain = PlainCaption(caption, &at);
  if (at < 0) return 0;
  char c = plain[size_t(at)];
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int32_t DrawCaption(RCanvas& canvas, CSystemFont* font, int32_t x, int32_t y, std::string_view caption,
                    uint32_t colour, const RFormRect& clip) {
  if (!font) return x;
  int32_t underlined = -1;
  std::string plain = PlainCaption(caption, &underlined);
  int32_t end = DrawText(canvas, font, x, y, plain, colour, clip);
  if (underlined >= 0) {
    int32_t from = x + font->TextWidth(std::string_view(plain).substr(0, size_t(underlined)));
    int32_t width = font->Glyph(static_cast<uint8_t>(plain[size_t(underlined)])).advance;
    Fill(canvas, Intersect({from, y + font->Ascent() + 1, std::max(1, width - 1), 1}, clip), colour);
  }
  return end;
}

}  // namespace formpaint

using namespace formpaint;

namespace {

constexpr int32_t kTabWidth = 8;
constexpr int64_t kHintDelayMs = 500;
// Scripts choose some window sizes; no screen is larger than this.
constexpr int32_t kMaxFormSide = 8192;

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

char CFormButton::AccessKey() const { return AccessKeyOf(caption); }

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
  CSystemFont* font = DialogFont();
  if (font) {
    int32_t shift = pressed_ ? 1 : 0;
    int32_t x = bounds.x + (bounds.w - font->TextWidth(ShownCaption())) / 2 + shift;
    int32_t y = bounds.y + (bounds.h - font->LineHeight()) / 2 + shift;
    DrawCaption(canvas, font, x, y, caption, kText, Inset(bounds, 2));
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
// Scroll bars
// ---------------------------------------------------------------------------

RFormRect CFormScrollBar::Track() const {
  return {bounds.x, bounds.y + kScrollBarWidth, bounds.w, bounds.h - 2 * kScrollBarWidth};
}

RFormRect CFormScrollBar::Thumb(int32_t rows, int32_t visible, int32_t top) const {
  RFormRect track = Track();
  if (rows <= visible || track.h <= kMinThumb) return {track.x, track.y, 0, 0};
  int32_t size = std::max(kMinThumb, static_cast<int32_t>(int64_t(track.h) * visible / rows));
  int32_t at = static_cast<int32_t>(int64_t(track.h - size) * top / (rows - visible));
  return {track.x, track.y + at, bounds.w, size};
}

void CFormScrollBar::Paint(RCanvas& canvas, int32_t rows, int32_t visible, int32_t top) const {
  // Arrows, a checkered track and the thumb; greyed when all rows are in view.
  RFormRect track = Track();
  bool active = rows > visible;
  for (int32_t y = track.y; y < track.y + track.h; y++)
    for (int32_t x = track.x; x < track.x + track.w; x++)
      Fill(canvas, {x, y, 1, 1}, (x + y) % 2 ? kHighlight : kFace);
  RFormRect up{bounds.x, bounds.y, bounds.w, kScrollBarWidth};
  RFormRect down{bounds.x, track.y + track.h, bounds.w, kScrollBarWidth};
  for (const RFormRect& arrow : {up, down}) {
    Fill(canvas, arrow, kFace);
    RaisedEdge(canvas, arrow);
  }
  Arrow(canvas, up, true, active ? kText : kGreyText);
  Arrow(canvas, down, false, active ? kText : kGreyText);
  RFormRect thumb = Thumb(rows, visible, top);
  if (thumb.h > 0) {
    Fill(canvas, thumb, kFace);
    RaisedEdge(canvas, thumb);
  }
}

int32_t CFormScrollBar::Press(int32_t x, int32_t y, int32_t rows, int32_t visible, int32_t top) {
  RFormRect track = Track();
  RFormRect thumb = Thumb(rows, visible, top);
  if (y < track.y) return top - 1;
  if (y >= track.y + track.h) return top + 1;
  if (thumb.h > 0 && thumb.Contains(x, y)) {
    drag_from_y_ = y;
    drag_from_top_ = top;
    return top;
  }
  if (thumb.h > 0) return y < thumb.y ? top - visible : top + visible;
  return top;
}

int32_t CFormScrollBar::Drag(int32_t y, int32_t rows, int32_t visible, int32_t top) const {
  if (drag_from_y_ < 0) return top;
  int32_t free_track = Track().h - Thumb(rows, visible, top).h;
  if (free_track <= 0) return top;
  int64_t span = rows - visible;
  return drag_from_top_ + static_cast<int32_t>(int64_t(y - drag_from_y_) * span / free_track);
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

RFormRect CFormMemo::BarBounds() const {
  RFormRect inner = Inset(bounds, 2);
  return {inner.x + inner.w - kScrollBarWidth, inner.y, kScrollBarWidth, inner.h};
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

void CFormMemo::SetText(std::string_view text) {
  // The first row in view stays in view, as far as the new text reaches.
  int32_t top = top_;
  lines_.clear();
  rows_.clear();
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    // A final line break ends the last line rather than starting one.
    if (end == text.size() && start == text.size() && start > 0) break;
    lines_.emplace_back(text.substr(start, end - start));
    WrapLine(lines_.back());
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  top_ = 0;
  ScrollTo(top);
  if (form_) form_->Invalidate();
}

void CFormMemo::Rewrap() {
  rows_.clear();
  for (const std::string& line : lines_) WrapLine(line);
  ScrollTo(top_);
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

  bar_.bounds = BarBounds();
  bar_.Paint(canvas, RowCount(), VisibleRows(), top_);
}

void CFormMemo::MouseDown(int32_t x, int32_t y) {
  bar_.bounds = BarBounds();
  if (x < bar_.bounds.x) return;
  ScrollTo(bar_.Press(x, y, RowCount(), VisibleRows(), top_));
}

void CFormMemo::MouseMove(int32_t x, int32_t y) {
  if (bar_.Dragging()) ScrollTo(bar_.Drag(y, RowCount(), VisibleRows(), top_));
}

void CFormMemo::MouseUp(int32_t x, int32_t y) { bar_.Release(); }

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

CForm::~CForm() { Form_Hide(*this); }

void CForm::Resize(int32_t client_width, int32_t client_height) {
  int32_t w = std::clamp(client_width, std::clamp(min_width, 1, kMaxFormSide), kMaxFormSide);
  int32_t h = std::clamp(client_height, std::clamp(min_height, 1, kMaxFormSide), kMaxFormSide);
  if (w == width_ && h == height_) return;
  width_ = w;
  height_ = h;
  if (on_resize) on_resize();
  dirty_ = true;
}

void CForm::Close() {
  if (!Form_IsShown(*this))
    EndWith(FORM_RESULT_CLOSED);
  else if (on_close)
    on_close();
  else
    Form_Hide(*this);
}

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
  for (const auto& control : controls_)
    if (control->visible && control->Overlays(x, y)) return control.get();
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
  // Without a press, the control under the mouse follows it (menus and
  // tool buttons light up), and the one it left learns it is gone.
  if (!captured_) {
    if (hovered_ && hovered_ != over) hovered_->MouseMove(x, y);
    if (over) over->MouseMove(x, y);
  }
  std::string hint = over ? over->HintAt(x, y) : std::string();
  if (over != hovered_ || hint != hovered_hint_) {
    hovered_ = over;
    hovered_hint_ = std::move(hint);
    rest_since_ = now_;
    if (hint_shown_) dirty_ = true;
    hint_shown_ = false;
  }
}

void CForm::MouseButton(int32_t x, int32_t y, bool down, int32_t clicks) {
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
  if (clicks == 2 && captured_ == control) control->DoubleClick(x, y);
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
    // Escape answers a dialog; a window that stays up ignores it.
    case FormKey::Escape:
      if (!Form_IsShown(*this)) Close();
      break;
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
  bool show = hovered_ && !hovered_hint_.empty() && !captured_ && now_ms - rest_since_ >= kHintDelayMs;
  if (show && !hint_shown_) dirty_ = true;
  hint_shown_ = hint_shown_ || show;
}

std::string CForm::ShownHint() const {
  return hint_shown_ && hovered_ ? hovered_hint_ : std::string();
}

void CForm::Paint(RCanvas& canvas) {
  canvas.width = width_;
  canvas.height = height_;
  canvas.pixels.assign(size_t(width_) * size_t(height_), kFace);
  if (background) background(canvas);
  for (const auto& control : controls_)
    if (control->visible) control->Paint(canvas, control.get() == focus_);
  for (const auto& control : controls_)
    if (control->visible) control->PaintOverlay(canvas);
  // The hint: a pale box under the mouse, kept inside the client area.
  const std::string hint = ShownHint();
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
// Windows: the modal loop and the windows that stay up
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
  if (sym >= SDLK_F1 && sym <= SDLK_F12) {
    key->key = static_cast<FormKey>(static_cast<int32_t>(FormKey::F1) + (sym - SDLK_F1));
    return true;
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

// The window of the form, the canvas it paints into and, for windows that
// stay up, when its timer runs next.
struct RFormWindow {
  CForm* form = nullptr;
  SDL_Window* window = nullptr;  // null without a display
  Uint32 id = 0;
  RCanvas canvas;
  int64_t next_timer_ms = 0;
};

// Hands one event to the form when it is meant for the form's window; true
// when it was.
bool DeliverEvent(RFormWindow& w, const SDL_Event& event) {
  CForm& form = *w.form;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (event.window.windowID != w.id) return false;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) form.Close();
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) form.Invalidate();
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) form.Resize(event.window.data1, event.window.data2);
      return true;
    case SDL_MOUSEMOTION:
      if (event.motion.windowID != w.id) return false;
      form.MouseMove(event.motion.x, event.motion.y);
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.windowID != w.id) return false;
      if (event.button.button == SDL_BUTTON_LEFT)
        form.MouseButton(event.button.x, event.button.y, event.type == SDL_MOUSEBUTTONDOWN, event.button.clicks);
      return true;
    case SDL_MOUSEWHEEL:
      if (event.wheel.windowID != w.id) return false;
      {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        form.MouseWheel(x, y, -3 * event.wheel.y);
      }
      return true;
    case SDL_KEYDOWN:
      if (event.key.windowID != w.id) return false;
      {
        RFormKeyEvent key;
        if (TranslateKey(event.key, &key)) form.Key(key);
      }
      return true;
    case SDL_KEYUP:
      return event.key.windowID == w.id;
    case SDL_TEXTINPUT:
      if (event.text.windowID != w.id) return false;
      form.TextInput(WesternText(event.text.text));
      return true;
    default:
      return false;
  }
}

SDL_Window* OpenWindow(CForm& form) {
  int x = form.left >= 0 ? form.left : SDL_WINDOWPOS_CENTERED, y = form.top >= 0 ? form.top : SDL_WINDOWPOS_CENTERED;
  if (form.popup && form.left < 0 && form.top < 0) SDL_GetGlobalMouseState(&x, &y);
  Uint32 flags = SDL_WINDOW_SHOWN | (form.border ? 0 : SDL_WINDOW_BORDERLESS) |
                 (form.stay_on_top ? SDL_WINDOW_ALWAYS_ON_TOP : 0) | (form.resizable ? SDL_WINDOW_RESIZABLE : 0);
  SDL_Window* window = nullptr;
  if (form.colour_key >= 0) {
    // The window's shape comes from its first picture.
    RCanvas first;
    form.Paint(first);
    form.Invalidate();
    window = Platform_CreateKeyedWindow(form.Caption().c_str(), x, y, form.ClientWidth(), form.ClientHeight(), flags,
                                        first.pixels.data(), uint32_t(form.colour_key));
  } else {
    window = SDL_CreateWindow(form.Caption().c_str(), x, y, form.ClientWidth(), form.ClientHeight(), flags);
  }
  if (!window) return nullptr;
  if (form.resizable) SDL_SetWindowMinimumSize(window, std::max(1, form.min_width), std::max(1, form.min_height));
  if (form.alpha < 255) SDL_SetWindowOpacity(window, std::max(0, form.alpha) / 255.0f);
  return window;
}

// The windows that stay up, in the order they were shown. Entries are
// reached by index and looked up again after every call into a form: a
// form's handler may show or hide windows (and run the game) meanwhile.
// Never destroyed: forms that outlive it at exit still look it up.
std::vector<std::unique_ptr<RFormWindow>>& g_Shown = *new std::vector<std::unique_ptr<RFormWindow>>();
bool g_HandlersInstalled = false;

RFormWindow* ShownEntry(const CForm* form) {
  for (const auto& entry : g_Shown)
    if (entry->form == form) return entry.get();
  return nullptr;
}

bool RouteToShown(const SDL_Event& event) {
  for (size_t i = 0; i < g_Shown.size(); i++) {
    RFormWindow& entry = *g_Shown[i];
    if (entry.window && DeliverEvent(entry, event)) return true;
  }
  return false;
}

// After the events of a pass: hints, timers, captions and repaints.
void ServiceShown() {
  int64_t now = static_cast<int64_t>(SDL_GetTicks64());
  for (size_t i = 0; i < g_Shown.size(); i++) {
    CForm* form = g_Shown[i]->form;
    form->Tick(now);
    if (form->timer_ms > 0 && form->on_timer && now >= g_Shown[i]->next_timer_ms) {
      g_Shown[i]->next_timer_ms = now + form->timer_ms;
      form->on_timer();
    }
    RFormWindow* entry = ShownEntry(form);
    if (!entry || !entry->window) continue;
    if (form->Caption() != SDL_GetWindowTitle(entry->window)) SDL_SetWindowTitle(entry->window, form->Caption().c_str());
    if (form->NeedsPaint()) Present(entry->window, *form, entry->canvas);
  }
}

void CloseAllShown() {
  for (const auto& entry : g_Shown)
    if (entry->window) SDL_DestroyWindow(entry->window);
  g_Shown.clear();
}

std::function<void(CForm&)> g_TestDriver;

}  // namespace

int32_t Form_ShowModal(CForm& form) {
  form.Open();
  if (g_TestDriver) {
    g_TestDriver(form);
    return form.Result() == FORM_RESULT_NONE ? FORM_RESULT_CLOSED : form.Result();
  }
  if (!Platform_HasDisplay()) return form.DefaultResult();
  RFormWindow w;
  w.form = &form;
  w.window = OpenWindow(form);
  if (!w.window) return form.DefaultResult();
  SDL_RaiseWindow(w.window);
  w.id = SDL_GetWindowID(w.window);
  Present(w.window, form, w.canvas);
  // Only this window takes input while it is up; what reaches the others is
  // dropped, and a request to quit closes it like its close button.
  while (form.Result() == FORM_RESULT_NONE) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 50)) {
      if (event.type == SDL_QUIT) form.Close();
      if (form.popup && event.type == SDL_MOUSEBUTTONDOWN && event.button.windowID != w.id) form.Close();
      DeliverEvent(w, event);
    }
    form.Tick(static_cast<int64_t>(SDL_GetTicks64()));
    if (form.NeedsPaint()) Present(w.window, form, w.canvas);
  }
  SDL_DestroyWindow(w.window);
  return form.Result();
}

void Form_Show(CForm& form) {
  if (RFormWindow* entry = ShownEntry(&form)) {
    if (entry->window) SDL_RaiseWindow(entry->window);
    return;
  }
  if (!g_HandlersInstalled) {
    Platform_AddEventHandler(RouteToShown);
    Platform_AddPassHandler(ServiceShown);
    Platform_AddQuitHandler(CloseAllShown);
    g_HandlersInstalled = true;
  }
  form.Open();
  auto entry = std::make_unique<RFormWindow>();
  entry->form = &form;
  entry->next_timer_ms = static_cast<int64_t>(SDL_GetTicks64()) + form.timer_ms;
  if (Platform_HasDisplay()) {
    entry->window = OpenWindow(form);
    if (entry->window) {
      entry->id = SDL_GetWindowID(entry->window);
      Present(entry->window, form, entry->canvas);
    }
  }
  g_Shown.push_back(std::move(entry));
}

void Form_Hide(CForm& form) {
  for (auto it = g_Shown.begin(); it != g_Shown.end(); ++it) {
    if ((*it)->form != &form) continue;
    if ((*it)->window) SDL_DestroyWindow((*it)->window);
    g_Shown.erase(it);
    return;
  }
}

bool Form_IsShown(const CForm& form) { return ShownEntry(&form) != nullptr; }

namespace {

// The dialogs below: a prompt over the rest, and buttons at the bottom.
constexpr int32_t kDialogWidth = 340;
constexpr int32_t kDialogButtonWidth = 75, kDialogButtonHeight = 25;

std::unique_ptr<CFormLabel> Prompt(const std::string& text) {
  auto label = std::make_unique<CFormLabel>();
  label->name = "Prompt";
  label->text = text;
  label->bounds = {12, 12, kDialogWidth - 24, 0};
  label->bounds.h = label->TextHeight();
  return label;
}

void AddDialogButtons(CForm& form, const char* first, const char* second, int32_t y) {
  const char* captions[2] = {first, second};
  for (int32_t i = 0; i < 2; i++) {
    auto button = std::make_unique<CFormButton>();
    button->name = i == 0 ? "OkBtn" : "CancelBtn";
    button->caption = captions[i];
    button->result = i + 1;
    button->is_default = i == 0;
    button->bounds = {kDialogWidth - 2 * (kDialogButtonWidth + 8) - 4 + i * (kDialogButtonWidth + 8), y,
                      kDialogButtonWidth, kDialogButtonHeight};
    form.Add(std::move(button));
  }
}

}  // namespace

bool Form_InputQuery(const std::string& caption, const std::string& prompt, std::string* value) {
  auto label = Prompt(prompt);
  int32_t edit_y = 12 + label->bounds.h + 6, buttons_y = edit_y + 21 + 14;
  CForm form(caption, kDialogWidth, buttons_y + kDialogButtonHeight + 12);
  form.Add(std::move(label));
  auto field = std::make_unique<CFormEdit>();
  field->name = "Value";
  field->bounds = {12, edit_y, kDialogWidth - 24, 21};
  CFormEdit& edit = form.Add(std::move(field));
  edit.SetText(*value);
  AddDialogButtons(form, "OK", "Cancel", buttons_y);
  form.SetInitialFocus(&edit);
  // Enter answers OK even from the text field; without a display nobody
  // can answer, and the question counts as cancelled.
  form.key_filter = [&form](const RFormKeyEvent& key) {
    if (key.key != FormKey::Enter) return false;
    form.EndWith(1);
    return true;
  };
  if (!Platform_HasDisplay() && !g_TestDriver) return false;
  if (Form_ShowModal(form) != 1) return false;
  *value = edit.Value();
  return true;
}

bool Form_Confirm(const std::string& caption, const std::string& text, bool default_answer) {
  auto label = Prompt(text);
  int32_t buttons_y = 12 + label->bounds.h + 14;
  CForm form(caption, kDialogWidth, buttons_y + kDialogButtonHeight + 12);
  form.Add(std::move(label));
  AddDialogButtons(form, "&Yes", "&No", buttons_y);
  if (!Platform_HasDisplay() && !g_TestDriver) return default_answer;
  return Form_ShowModal(form) == 1;
}

void Form_SetTestDriver(std::function<void(CForm&)> driver) { g_TestDriver = std::move(driver); }
