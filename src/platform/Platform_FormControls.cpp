#include "platform/Platform_FormControls.h"

#include <algorithm>

#include "platform/Platform_Font.h"
#include "platform/Platform_FormPaint.h"

using namespace formpaint;

namespace {

constexpr uint32_t kGridLine = 0xFFC0C0C0;
constexpr int32_t kMenuItemHeight = 18, kMenuSeparatorHeight = 8;
constexpr int32_t kToolButtonWidth = 23, kToolButtonHeight = 22, kToolSeparatorWidth = 8, kIconSide = 16;

int32_t TextWidth(CSystemFont* font, std::string_view text) { return font ? font->TextWidth(text) : 0; }

int32_t LineHeight(CSystemFont* font) { return font ? font->LineHeight() : 13; }

// Text vertically centred in a rectangle, starting `indent` pixels in.
void DrawCentred(RCanvas& canvas, std::string_view text, const RFormRect& r, int32_t indent, uint32_t colour,
                 bool caption = false) {
  CSystemFont* font = DialogFont();
  int32_t y = r.y + (r.h - LineHeight(font)) / 2;
  if (caption)
    DrawCaption(canvas, font, r.x + indent, y, text, colour, r);
  else
    DrawText(canvas, font, r.x + indent, y, text, colour, r);
}

// Disabled text is embossed: white a pixel down and right under grey.
void DrawDisabledCaption(RCanvas& canvas, std::string_view caption, const RFormRect& r, int32_t indent) {
  RFormRect shifted{r.x + 1, r.y + 1, r.w, r.h};
  DrawCentred(canvas, caption, shifted, indent, kHighlight, true);
  DrawCentred(canvas, caption, r, indent, kGreyText, true);
}

const char* KeyName(FormKey key) {
  switch (key) {
    case FormKey::Tab: return "Tab";
    case FormKey::Enter: return "Enter";
    case FormKey::Escape: return "Esc";
    case FormKey::Space: return "Space";
    case FormKey::Up: return "Up";
    case FormKey::Down: return "Down";
    case FormKey::PageUp: return "PgUp";
    case FormKey::PageDown: return "PgDn";
    case FormKey::Home: return "Home";
    case FormKey::End: return "End";
    case FormKey::Left: return "Left";
    case FormKey::Right: return "Right";
    case FormKey::Backspace: return "BkSp";
    case FormKey::Delete: return "Del";
    default: return "";
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Shortcuts
// ---------------------------------------------------------------------------

bool RFormShortcut::Matches(const RFormKeyEvent& event) const {
  if (Empty() || event.key != key || event.ctrl != ctrl || event.alt != alt || event.shift != shift) return false;
  return key != FormKey::Character || event.character == character;
}

std::string RFormShortcut::Text() const {
  if (Empty()) return "";
  std::string text;
  if (ctrl) text += "Ctrl+";
  if (shift) text += "Shift+";
  if (alt) text += "Alt+";
  if (key == FormKey::Character)
    text += character >= 'a' && character <= 'z' ? static_cast<char>(character - 'a' + 'A') : character;
  else if (key >= FormKey::F1)
    text += "F" + std::to_string(static_cast<int32_t>(key) - static_cast<int32_t>(FormKey::F1) + 1);
  else
    text += KeyName(key);
  return text;
}

// ---------------------------------------------------------------------------
// Menu bar
// ---------------------------------------------------------------------------

int32_t CFormMenuBar::BarHeight() const { return LineHeight(DialogFont()) + 6; }

RFormMenuItem* CFormMenuBar::Item(std::string_view item_name) {
  for (RFormMenu& menu : menus)
    for (RFormMenuItem& item : menu.items)
      if (item.name == item_name) return &item;
  return nullptr;
}

RFormRect CFormMenuBar::TitleRect(int32_t index) const {
  CSystemFont* font = DialogFont();
  int32_t x = bounds.x + 2;
  for (int32_t i = 0; i < index; i++) {
    int32_t at = -1;
    x += TextWidth(font, PlainCaption(menus[size_t(i)].caption, &at)) + 14;
  }
  int32_t at = -1;
  return {x, bounds.y + 1, TextWidth(font, PlainCaption(menus[size_t(index)].caption, &at)) + 14, BarHeight() - 2};
}

RFormRect CFormMenuBar::DropRect() const {
  if (open_ < 0) return {};
  CSystemFont* font = DialogFont();
  int32_t captions = 0, shortcuts = 0, height = 4;
  for (const RFormMenuItem& item : menus[size_t(open_)].items) {
    int32_t at = -1;
    captions = std::max(captions, TextWidth(font, PlainCaption(item.caption, &at)));
    shortcuts = std::max(shortcuts, TextWidth(font, item.shortcut.Text()));
    height += item.IsSeparator() ? kMenuSeparatorHeight : kMenuItemHeight;
  }
  int32_t width = 20 + captions + (shortcuts ? 24 + shortcuts : 0) + 16;
  RFormRect title = TitleRect(open_);
  // A menu wider than the room to its right moves left to stay in the window.
  int32_t x = std::max(0, std::min(title.x, (form_ ? form_->ClientWidth() : title.x + width) - width));
  return {x, bounds.y + BarHeight(), width, height};
}

RFormRect CFormMenuBar::ItemRect(int32_t index) const {
  RFormRect drop = DropRect();
  int32_t y = drop.y + 2;
  const std::vector<RFormMenuItem>& items = menus[size_t(open_)].items;
  for (int32_t i = 0; i < index; i++) y += items[size_t(i)].IsSeparator() ? kMenuSeparatorHeight : kMenuItemHeight;
  return {drop.x + 2, y, drop.w - 4, items[size_t(index)].IsSeparator() ? kMenuSeparatorHeight : kMenuItemHeight};
}

int32_t CFormMenuBar::TitleAt(int32_t x, int32_t y) const {
  for (int32_t i = 0; i < static_cast<int32_t>(menus.size()); i++)
    if (TitleRect(i).Contains(x, y)) return i;
  return -1;
}

int32_t CFormMenuBar::ItemAt(int32_t x, int32_t y) const {
  if (open_ < 0 || !DropRect().Contains(x, y)) return -1;
  for (int32_t i = 0; i < static_cast<int32_t>(menus[size_t(open_)].items.size()); i++)
    if (ItemRect(i).Contains(x, y)) return menus[size_t(open_)].items[size_t(i)].IsSeparator() ? -1 : i;
  return -1;
}

void CFormMenuBar::Highlight(int32_t item) {
  if (item == highlighted_) return;
  highlighted_ = item;
  if (form_) form_->Invalidate();
  if (on_hint)
    on_hint(open_ >= 0 && item >= 0 ? menus[size_t(open_)].items[size_t(item)].hint : std::string());
}

void CFormMenuBar::OpenMenu(int32_t index) {
  if (index >= static_cast<int32_t>(menus.size())) index = -1;
  if (index == open_) return;
  Highlight(-1);
  open_ = index;
  if (form_) form_->Invalidate();
}

void CFormMenuBar::MoveHighlight(int32_t by) {
  const std::vector<RFormMenuItem>& items = menus[size_t(open_)].items;
  int32_t count = static_cast<int32_t>(items.size());
  int32_t at = highlighted_ < 0 && by < 0 ? count : highlighted_;
  for (int32_t step = 0; step < count; step++) {
    at = ((at + by) % count + count) % count;
    if (!items[size_t(at)].IsSeparator()) {
      Highlight(at);
      return;
    }
  }
}

void CFormMenuBar::Choose(RFormMenuItem& item) {
  OpenMenu(-1);
  opened_by_press_ = false;
  if (item.enabled && !item.IsSeparator() && item.action) item.action();
}

bool CFormMenuBar::HandleKey(const RFormKeyEvent& key) {
  if (open_ >= 0) {
    std::vector<RFormMenuItem>& items = menus[size_t(open_)].items;
    int32_t count = static_cast<int32_t>(menus.size());
    switch (key.key) {
      case FormKey::Escape: OpenMenu(-1); break;
      case FormKey::Up: MoveHighlight(-1); break;
      case FormKey::Down: MoveHighlight(1); break;
      case FormKey::Left:
      case FormKey::Right:
        OpenMenu((open_ + (key.key == FormKey::Left ? count - 1 : 1)) % count);
        MoveHighlight(1);
        break;
      case FormKey::Enter:
      case FormKey::Space:
        if (highlighted_ >= 0) Choose(items[size_t(highlighted_)]);
        break;
      case FormKey::Character:
        for (RFormMenuItem& item : items)
          if (!item.IsSeparator() && AccessKeyOf(item.caption) == key.character && key.character) {
            Choose(item);
            break;
          }
        break;
      default: break;
    }
    return true;  // an open menu takes every key
  }
  for (RFormMenu& menu : menus)
    for (RFormMenuItem& item : menu.items)
      if (!item.IsSeparator() && item.shortcut.Matches(key)) {
        Choose(item);
        return true;
      }
  if (key.key == FormKey::Character && key.alt && !key.ctrl) {
    for (int32_t i = 0; i < static_cast<int32_t>(menus.size()); i++)
      if (AccessKeyOf(menus[size_t(i)].caption) == key.character && key.character) {
        OpenMenu(i);
        MoveHighlight(1);
        return true;
      }
  }
  return false;
}

void CFormMenuBar::Paint(RCanvas& canvas, bool focused) {
  Fill(canvas, {bounds.x, bounds.y, bounds.w, BarHeight()}, kFace);
  for (int32_t i = 0; i < static_cast<int32_t>(menus.size()); i++) {
    RFormRect title = TitleRect(i);
    if (i == open_) ThinSunken(canvas, title);
    DrawCentred(canvas, menus[size_t(i)].caption, title, 7 + (i == open_), kText, true);
  }
}

void CFormMenuBar::PaintOverlay(RCanvas& canvas) {
  if (open_ < 0) return;
  RFormRect drop = DropRect();
  Fill(canvas, drop, kFace);
  RaisedEdge(canvas, drop);
  const std::vector<RFormMenuItem>& items = menus[size_t(open_)].items;
  CSystemFont* font = DialogFont();
  for (int32_t i = 0; i < static_cast<int32_t>(items.size()); i++) {
    const RFormMenuItem& item = items[size_t(i)];
    RFormRect r = ItemRect(i);
    if (item.IsSeparator()) {
      Fill(canvas, {r.x + 1, r.y + r.h / 2 - 1, r.w - 2, 1}, kShadow);
      Fill(canvas, {r.x + 1, r.y + r.h / 2, r.w - 2, 1}, kHighlight);
      continue;
    }
    bool lit = i == highlighted_;
    if (lit) Fill(canvas, r, kSelection);
    std::string shortcut = item.shortcut.Text();
    int32_t shortcut_x = r.w - 8 - TextWidth(font, shortcut);
    if (!item.enabled && !lit) {
      DrawDisabledCaption(canvas, item.caption, r, 18);
      DrawDisabledCaption(canvas, shortcut, r, shortcut_x);
      continue;
    }
    uint32_t colour = !item.enabled ? kGreyText : lit ? kSelectedText : kText;
    DrawCentred(canvas, item.caption, r, 18, colour, true);
    DrawCentred(canvas, shortcut, r, shortcut_x, colour);
  }
}

void CFormMenuBar::MouseDown(int32_t x, int32_t y) {
  int32_t title = TitleAt(x, y);
  if (title >= 0) {
    opened_by_press_ = title != open_;
    OpenMenu(title == open_ ? -1 : title);
    return;
  }
  // A press outside the open menu closes it; one on an item waits for the
  // release.
  if (open_ >= 0 && !DropRect().Contains(x, y)) OpenMenu(-1);
}

void CFormMenuBar::MouseMove(int32_t x, int32_t y) {
  if (open_ < 0) return;
  int32_t title = TitleAt(x, y);
  if (title >= 0 && title != open_) OpenMenu(title);
  if (DropRect().Contains(x, y)) Highlight(ItemAt(x, y));
}

void CFormMenuBar::MouseUp(int32_t x, int32_t y) {
  int32_t item = ItemAt(x, y);
  if (item >= 0) {
    Choose(menus[size_t(open_)].items[size_t(item)]);
    return;
  }
  // Releasing on the title that was just opened leaves the menu open for a
  // click on an item.
  if (TitleAt(x, y) < 0 && !opened_by_press_) OpenMenu(-1);
  opened_by_press_ = false;
}

// ---------------------------------------------------------------------------
// Tool bar
// ---------------------------------------------------------------------------

RFormToolButton* CFormToolBar::Button(std::string_view button_name) {
  for (RFormToolButton& button : buttons)
    if (button.name == button_name) return &button;
  return nullptr;
}

RFormRect CFormToolBar::ButtonRect(size_t index) const {
  int32_t x = bounds.x + 4;
  for (size_t i = 0; i < index; i++) x += buttons[i].separator ? kToolSeparatorWidth : kToolButtonWidth;
  int32_t width = buttons[index].separator ? kToolSeparatorWidth : kToolButtonWidth;
  return {x, bounds.y + (bounds.h - kToolButtonHeight) / 2, width, kToolButtonHeight};
}

int32_t CFormToolBar::ButtonAt(int32_t x, int32_t y) const {
  for (size_t i = 0; i < buttons.size(); i++)
    if (!buttons[i].separator && ButtonRect(i).Contains(x, y)) return static_cast<int32_t>(i);
  return -1;
}

void CFormToolBar::ClickButton(std::string_view button_name) {
  for (size_t i = 0; i < buttons.size(); i++) {
    if (buttons[i].name != button_name || !form_) continue;
    RFormRect r = ButtonRect(i);
    form_->MouseButton(r.x + r.w / 2, r.y + r.h / 2, true);
    form_->MouseButton(r.x + r.w / 2, r.y + r.h / 2, false);
    return;
  }
}

std::string CFormToolBar::HintAt(int32_t x, int32_t y) const {
  int32_t at = ButtonAt(x, y);
  return at >= 0 ? buttons[size_t(at)].hint : std::string();
}

void CFormToolBar::Paint(RCanvas& canvas, bool focused) {
  Fill(canvas, bounds, kFace);
  // An etched line parts the bar from what is above it.
  Fill(canvas, {bounds.x, bounds.y, bounds.w, 1}, kShadow);
  Fill(canvas, {bounds.x, bounds.y + 1, bounds.w, 1}, kHighlight);
  for (size_t i = 0; i < buttons.size(); i++) {
    const RFormToolButton& button = buttons[i];
    RFormRect r = ButtonRect(i);
    if (button.separator) {
      Fill(canvas, {r.x + r.w / 2 - 1, r.y + 1, 1, r.h - 2}, kShadow);
      Fill(canvas, {r.x + r.w / 2, r.y + 1, 1, r.h - 2}, kHighlight);
      continue;
    }
    bool down = button.enabled && pressed_ == static_cast<int32_t>(i) && hot_ == pressed_;
    if (down)
      ThinSunken(canvas, r);
    else if (button.enabled && hot_ == static_cast<int32_t>(i))
      ThinRaised(canvas, r);
    if (button.icon.size() != size_t(kIconSide) * kIconSide) continue;
    RFormRect to{r.x + (r.w - kIconSide) / 2 + down, r.y + (r.h - kIconSide) / 2 + down, kIconSide, kIconSide};
    if (button.enabled) {
      Form_DrawPicture(canvas, button.icon.data(), kIconSide, kIconSide, to);
      continue;
    }
    // Disabled: the picture's shape embossed, white a pixel down and right
    // under grey.
    auto emboss = [&](int32_t offset, uint32_t colour) {
      for (int32_t y = 0; y < kIconSide; y++)
        for (int32_t x = 0; x < kIconSide; x++)
          if ((button.icon[size_t(y * kIconSide + x)] >> 24) >= 0x80)
            Fill(canvas, {to.x + x + offset, to.y + y + offset, 1, 1}, colour);
    };
    emboss(1, kHighlight);
    emboss(0, kShadow);
  }
}

void CFormToolBar::MouseDown(int32_t x, int32_t y) {
  int32_t at = ButtonAt(x, y);
  pressed_ = at >= 0 && buttons[size_t(at)].enabled ? at : -1;
  hot_ = at;
  if (form_) form_->Invalidate();
}

void CFormToolBar::MouseMove(int32_t x, int32_t y) {
  int32_t at = bounds.Contains(x, y) ? ButtonAt(x, y) : -1;
  if (at != hot_ && form_) form_->Invalidate();
  hot_ = at;
}

void CFormToolBar::MouseUp(int32_t x, int32_t y) {
  int32_t at = ButtonAt(x, y), pressed = pressed_;
  pressed_ = -1;
  if (form_) form_->Invalidate();
  if (pressed < 0 || at != pressed) return;
  RFormToolButton& button = buttons[size_t(at)];
  if (button.enabled && button.action) button.action();
}

// ---------------------------------------------------------------------------
// Status bar
// ---------------------------------------------------------------------------

void CFormStatusBar::SetText(size_t panel, std::string_view text) {
  if (panel >= texts.size()) texts.resize(panel + 1);
  if (texts[panel] == text) return;
  texts[panel] = text;
  if (form_) form_->Invalidate();
}

void CFormStatusBar::SetSimpleText(std::string_view text) {
  if (simple_ == text) return;
  simple_ = text;
  if (form_) form_->Invalidate();
}

void CFormStatusBar::Paint(RCanvas& canvas, bool focused) {
  Fill(canvas, bounds, kFace);
  RFormRect area{bounds.x, bounds.y + 2, bounds.w, bounds.h - 2};
  if (!simple_.empty()) {
    ThinSunken(canvas, area);
    DrawCentred(canvas, simple_, area, 3, kText);
    return;
  }
  int32_t x = bounds.x;
  for (size_t i = 0; i < widths.size() && x < bounds.x + bounds.w; i++) {
    bool last = i + 1 == widths.size();
    int32_t w = last ? bounds.x + bounds.w - x : std::min(widths[i], bounds.x + bounds.w - x);
    RFormRect panel{x, area.y, w - (last ? 0 : 2), area.h};
    ThinSunken(canvas, panel);
    if (i < texts.size()) DrawCentred(canvas, texts[i], Inset(panel, 1), 2, kText);
    x += w;
  }
}

// ---------------------------------------------------------------------------
// Grid
// ---------------------------------------------------------------------------

void CFormGrid::SetRowCount(int32_t rows) {
  cells_.resize(size_t(std::max(0, rows)));
  SelectRow(selected_);
  ScrollTo(top_);
  if (form_) form_->Invalidate();
}

void CFormGrid::InsertRow(int32_t at) {
  at = std::clamp(at, 0, RowCount());
  cells_.insert(cells_.begin() + at, std::vector<std::string>());
  SelectRow(selected_);
  if (form_) form_->Invalidate();
}

void CFormGrid::DeleteRow(int32_t at) {
  if (at < 0 || at >= RowCount()) return;
  cells_.erase(cells_.begin() + at);
  SelectRow(selected_);
  ScrollTo(top_);
  if (form_) form_->Invalidate();
}

const std::string& CFormGrid::Cell(int32_t column, int32_t row) const {
  static const std::string empty;
  if (row < 0 || row >= RowCount() || column < 0) return empty;
  const std::vector<std::string>& cells = cells_[size_t(row)];
  return size_t(column) < cells.size() ? cells[size_t(column)] : empty;
}

void CFormGrid::SetCell(int32_t column, int32_t row, std::string_view text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return;
  std::vector<std::string>& cells = cells_[size_t(row)];
  if (cells.size() < size_t(ColumnCount())) cells.resize(size_t(ColumnCount()));
  if (cells[size_t(column)] == text) return;
  cells[size_t(column)] = text;
  if (form_) form_->Invalidate();
}

void CFormGrid::SelectRow(int32_t row) {
  int32_t selected = RowCount() > fixed_rows ? std::clamp(row, fixed_rows, RowCount() - 1) : -1;
  if (selected != selected_ && form_) form_->Invalidate();
  selected_ = selected;
}

int32_t CFormGrid::VisibleRows() const {
  RFormRect inner = Inset(bounds, 2);
  return std::max(1, (inner.h - fixed_rows * row_height) / std::max(1, row_height));
}

bool CFormGrid::NeedsBar() const { return ScrollRows() > VisibleRows(); }

RFormRect CFormGrid::BarBounds() const {
  RFormRect inner = Inset(bounds, 2);
  return {inner.x + inner.w - kScrollBarWidth, inner.y, kScrollBarWidth, inner.h};
}

void CFormGrid::ScrollTo(int32_t top) {
  top = std::clamp(top, 0, std::max(0, ScrollRows() - VisibleRows()));
  if (top != top_ && form_) form_->Invalidate();
  top_ = top;
}

void CFormGrid::KeepSelectedInView() {
  if (selected_ < 0) return;
  int32_t row = selected_ - fixed_rows;
  if (row < top_) ScrollTo(row);
  if (row >= top_ + VisibleRows()) ScrollTo(row - VisibleRows() + 1);
}

int32_t CFormGrid::RowAt(int32_t y) const {
  int32_t from_top = y - (bounds.y + 2);
  if (from_top < 0) return -1;
  int32_t row = from_top / std::max(1, row_height);
  if (row < fixed_rows) return row;
  row += top_;
  return row < RowCount() ? row : -1;
}

void CFormGrid::Paint(RCanvas& canvas, bool focused) {
  SunkenEdge(canvas, bounds);
  RFormRect inner = Inset(bounds, 2);
  Fill(canvas, inner, kWindow);
  bool bar = NeedsBar();
  RFormRect cells{inner.x, inner.y, inner.w - (bar ? kScrollBarWidth : 0), inner.h};
  int32_t y = cells.y;
  auto paint_row = [&](int32_t row) {
    int32_t x = cells.x;
    bool fixed = row < fixed_rows, selected = row == selected_;
    for (int32_t c = 0; c < ColumnCount() && x < cells.x + cells.w; c++) {
      bool last = c + 1 == ColumnCount();
      int32_t w = last ? std::max(column_widths[size_t(c)], cells.x + cells.w - x) : column_widths[size_t(c)];
      RFormRect cell = Intersect({x, y, w, row_height}, cells);
      if (fixed) {
        Fill(canvas, cell, kFace);
        Frame(canvas, {x, y, w, row_height}, kHighlight, kDarkShadow);
      } else {
        Fill(canvas, cell, selected ? kSelection : kWindow);
        Fill(canvas, Intersect({x + w - 1, y, 1, row_height}, cells), kGridLine);
        Fill(canvas, Intersect({x, y + row_height - 1, w, 1}, cells), kGridLine);
      }
      RFormRect text{cell.x, cell.y, std::max(0, cell.w - 2), std::max(0, cell.h - 1)};
      DrawCentred(canvas, Cell(c, row), text, 2, selected && !fixed ? kSelectedText : kText);
      x += w;
    }
    if (selected && focused && !fixed) FocusFrame(canvas, Intersect({cells.x, y, cells.w, row_height}, cells));
    y += row_height;
  };
  for (int32_t row = 0; row < fixed_rows && row < RowCount(); row++) paint_row(row);
  for (int32_t row = fixed_rows + top_; row < RowCount() && y < cells.y + cells.h; row++) paint_row(row);
  if (bar) {
    bar_.bounds = BarBounds();
    bar_.Paint(canvas, ScrollRows(), VisibleRows(), top_);
  }
}

void CFormGrid::MouseDown(int32_t x, int32_t y) {
  bar_.bounds = BarBounds();
  on_bar_ = NeedsBar() && x >= bar_.bounds.x;
  if (on_bar_) {
    ScrollTo(bar_.Press(x, y, ScrollRows(), VisibleRows(), top_));
    return;
  }
  int32_t row = RowAt(y);
  if (row >= fixed_rows) SelectRow(row);
}

void CFormGrid::DoubleClick(int32_t x, int32_t y) {
  if (on_bar_) return;
  int32_t row = RowAt(y);
  if (row >= fixed_rows && on_double_click) on_double_click();
}

void CFormGrid::MouseMove(int32_t x, int32_t y) {
  if (bar_.Dragging()) ScrollTo(bar_.Drag(y, ScrollRows(), VisibleRows(), top_));
}

void CFormGrid::MouseUp(int32_t x, int32_t y) {
  bar_.Release();
  on_bar_ = false;
}

void CFormGrid::Wheel(int32_t rows) { ScrollTo(top_ + rows); }

bool CFormGrid::Key(const RFormKeyEvent& key) {
  if (key.ctrl || key.alt) return false;
  int32_t page = VisibleRows();
  switch (key.key) {
    case FormKey::Up: SelectRow(selected_ - 1); break;
    case FormKey::Down: SelectRow(selected_ + 1); break;
    case FormKey::PageUp: SelectRow(selected_ - page); break;
    case FormKey::PageDown: SelectRow(selected_ + page); break;
    case FormKey::Home: SelectRow(fixed_rows); break;
    case FormKey::End: SelectRow(RowCount() - 1); break;
    default: return false;
  }
  KeepSelectedInView();
  return true;
}
