// Platform_FormControls: the controls of tool windows that stay up beside a
// program: a menu bar with drop-down menus and shortcuts, a tool bar of
// picture buttons, a status bar of panels and a grid of text cells. They
// live in a CForm like every other control and paint in the same look.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform_Form.h"

// A key combination that runs a command from anywhere in its window.
struct RFormShortcut {
  FormKey key = FormKey::Character;
  char character = 0;  // for Character: lower case
  bool ctrl = false, alt = false, shift = false;

  bool Empty() const { return key == FormKey::Character && character == 0; }
  bool Matches(const RFormKeyEvent& event) const;
  // As menus show it: "Ctrl+Alt+R", "Del", "Alt+F4".
  std::string Text() const;
};

// A command of a menu: its caption ('&' marks the access key; "-" makes a
// separator), shortcut, hint and action. A disabled item is greyed and does
// nothing.
struct RFormMenuItem {
  std::string name;
  std::string caption;
  RFormShortcut shortcut;
  std::string hint;
  bool enabled = true;
  std::function<void()> action;
  bool IsSeparator() const { return caption == "-"; }
};

struct RFormMenu {
  std::string caption;
  std::vector<RFormMenuItem> items;
};

// The menu bar along the top of a form. A click or Alt with a menu's access
// key opens its menu over the controls below; a click on an item, or the
// arrows and Enter, chooses it; a click elsewhere or Escape closes it. Add
// the bar's HandleKey to the form's key filter so that shortcuts and access
// keys reach it from any control.
class CFormMenuBar : public CFormControl {
 public:
  std::vector<RFormMenu> menus;
  // Told the hint of the item under the mouse or the keyboard ("" when none).
  std::function<void(const std::string&)> on_hint;

  // The item with that name, or null.
  RFormMenuItem* Item(std::string_view item_name);
  // Opens menu `index` (-1 closes the open one).
  void OpenMenu(int32_t index);
  int32_t OpenedMenu() const { return open_; }
  // Runs the enabled item whose shortcut the key is, opens a menu for Alt
  // and its access key, and moves within an open menu. True when the key
  // was used.
  bool HandleKey(const RFormKeyEvent& key);
  // Runs an item as a click on it would: only when enabled; the menu closes
  // first.
  void Choose(RFormMenuItem& item);

  int32_t BarHeight() const;

 protected:
  bool Focusable() const override { return false; }
  void Paint(RCanvas& canvas, bool focused) override;
  bool Overlays(int32_t x, int32_t y) const override { return open_ >= 0; }
  void PaintOverlay(RCanvas& canvas) override;
  void MouseDown(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;

 private:
  RFormRect TitleRect(int32_t index) const;
  RFormRect DropRect() const;
  RFormRect ItemRect(int32_t index) const;
  int32_t TitleAt(int32_t x, int32_t y) const;
  int32_t ItemAt(int32_t x, int32_t y) const;
  void Highlight(int32_t item);
  void MoveHighlight(int32_t by);

  int32_t open_ = -1;         // the open menu
  int32_t highlighted_ = -1;  // its highlighted item
  bool opened_by_press_ = false;
};

// One button of a tool bar: a 16 x 16 picture (0xAARRGGBB, row by row),
// greyed while disabled, or a separator gap.
struct RFormToolButton {
  std::string name;
  std::string hint;
  std::vector<uint32_t> icon;
  bool enabled = true;
  bool separator = false;
  std::function<void()> action;
};

// A row of flat picture buttons; a button rises under the mouse, sinks
// while pressed, and runs its action when released over it.
class CFormToolBar : public CFormControl {
 public:
  std::vector<RFormToolButton> buttons;

  RFormToolButton* Button(std::string_view button_name);
  RFormRect ButtonRect(size_t index) const;
  // A click on the named button's centre, as the mouse would make it.
  void ClickButton(std::string_view button_name);

 protected:
  bool Focusable() const override { return false; }
  void Paint(RCanvas& canvas, bool focused) override;
  void MouseDown(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  std::string HintAt(int32_t x, int32_t y) const override;

 private:
  int32_t ButtonAt(int32_t x, int32_t y) const;
  int32_t hot_ = -1;      // under the mouse
  int32_t pressed_ = -1;  // pressed and not yet released
};

// Panels of text along the bottom of a form, each with its width (the last
// takes what is left). A simple text, while not empty, covers them all.
class CFormStatusBar : public CFormControl {
 public:
  std::vector<int32_t> widths;
  std::vector<std::string> texts;
  // Changes a panel's text (repainting only when it changed).
  void SetText(size_t panel, std::string_view text);
  void SetSimpleText(std::string_view text);
  const std::string& SimpleText() const { return simple_; }

 protected:
  bool Focusable() const override { return false; }
  void Paint(RCanvas& canvas, bool focused) override;

 private:
  std::string simple_;
};

// A grid of text cells: fixed rows at the top drawn as headers, the other
// rows scrolling below them, one selected row, and a vertical scroll bar
// when they do not fit. Columns have widths; the last takes what is left.
class CFormGrid : public CFormControl {
 public:
  std::vector<int32_t> column_widths;
  int32_t fixed_rows = 1;
  int32_t row_height = 18;
  // Runs on a double click on a row that is not fixed.
  std::function<void()> on_double_click;

  int32_t RowCount() const { return static_cast<int32_t>(cells_.size()); }
  int32_t ColumnCount() const { return static_cast<int32_t>(column_widths.size()); }
  // Rows are added empty at the end or removed from the end.
  void SetRowCount(int32_t rows);
  void InsertRow(int32_t at);
  void DeleteRow(int32_t at);
  // Out-of-range cells read "" and ignore writes.
  const std::string& Cell(int32_t column, int32_t row) const;
  void SetCell(int32_t column, int32_t row, std::string_view text);
  // The selected row: always a row that is not fixed while there is one.
  int32_t SelectedRow() const { return selected_; }
  void SelectRow(int32_t row);
  int32_t TopRow() const { return top_; }
  int32_t VisibleRows() const;

 protected:
  void Paint(RCanvas& canvas, bool focused) override;
  void MouseDown(int32_t x, int32_t y) override;
  void DoubleClick(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  void Wheel(int32_t rows) override;
  bool Key(const RFormKeyEvent& key) override;

 private:
  int32_t ScrollRows() const { return RowCount() - fixed_rows; }
  bool NeedsBar() const;
  RFormRect BarBounds() const;
  void ScrollTo(int32_t top);
  void KeepSelectedInView();
  int32_t RowAt(int32_t y) const;

  std::vector<std::vector<std::string>> cells_;
  int32_t selected_ = -1;
  int32_t top_ = 0;  // first scrolling row in view, counted after the fixed rows
  CFormScrollBar bar_;
  bool on_bar_ = false;
};
