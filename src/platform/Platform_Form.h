// Platform_Form: the engine's own windows: modal ones (the error window, and
// the message, question and list windows built on it) and tool windows that
// stay up beside the game. A form is a client area with controls in the
// desktop's classic grey look, painted by the engine into a picture of its
// own and shown in a window of its own. The form and its controls are plain
// objects: tests and the window loops drive them through the same input
// calls. More controls: Platform_FormControls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CSystemFont;

// A picture forms paint into: 0xAARRGGBB pixels, row by row.
struct RCanvas {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct RFormRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool Contains(int32_t px, int32_t py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// The keys forms react to; letters and digits come as Character.
enum class FormKey {
  Tab, Enter, Escape, Space, Up, Down, PageUp, PageDown, Home, End, Left, Right, Backspace, Delete, Character,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12
};

struct RFormKeyEvent {
  FormKey key = FormKey::Character;
  char character = 0;  // for Character: the key's letter or digit, lower case
  bool shift = false, ctrl = false, alt = false;
};

// The result of a form that is still open, and of one closed by its window's
// close button (or Escape) rather than by one of its buttons.
constexpr int32_t FORM_RESULT_NONE = 0;
constexpr int32_t FORM_RESULT_CLOSED = -1;

class CForm;

// A control: a named rectangle of the client area with an optional hint, the
// text shown when the mouse rests on it.
class CFormControl {
 public:
  virtual ~CFormControl() = default;
  std::string name;
  RFormRect bounds;
  std::string hint;
  bool visible = true;

 protected:
  friend class CForm;
  virtual bool Focusable() const { return true; }
  virtual void Paint(RCanvas& canvas, bool focused) = 0;
  virtual void MouseDown(int32_t x, int32_t y) {}
  // The second press of a double click, after its MouseDown.
  virtual void DoubleClick(int32_t x, int32_t y) {}
  virtual void MouseMove(int32_t x, int32_t y) {}
  virtual void MouseUp(int32_t x, int32_t y) {}
  virtual void Wheel(int32_t rows) {}
  // Returns true when the control used the key.
  virtual bool Key(const RFormKeyEvent& key) { return false; }
  // Typed text (one byte per character); true when the control took it.
  virtual bool TypeText(std::string_view text) { return false; }
  // The hint for the mouse at (x, y): controls made of parts (tool bars)
  // have one per part.
  virtual std::string HintAt(int32_t x, int32_t y) const { return hint; }
  // A control may draw over the others (an open menu): it then takes every
  // point it covers, and paints that part after all controls.
  virtual bool Overlays(int32_t x, int32_t y) const { return false; }
  virtual void PaintOverlay(RCanvas& canvas) {}
  CForm* form_ = nullptr;
};

// What a piece of text is drawn with.
struct RFormFont {
  std::string family = "MS Sans Serif";
  int32_t height = 11;  // pixels
  bool bold = false, italic = false;
  uint32_t colour = 0xFF000000;
  CSystemFont* Get() const;
};

// Draws one line of text with its top-left at (x, y), clipped to clip.
void Form_DrawText(RCanvas& canvas, const RFormFont& font, int32_t x, int32_t y, std::string_view text,
                   const RFormRect& clip);
// Fills a rectangle of the canvas.
void Form_Fill(RCanvas& canvas, const RFormRect& r, uint32_t colour);
// A picture of w x h 0xAARRGGBB pixels stretched over a rectangle, blended by
// its alpha, or opaque.
void Form_DrawPicture(RCanvas& canvas, const uint32_t* pixels, int32_t w, int32_t h, const RFormRect& to,
                      bool blend = true);
// Splits text into lines at line breaks ("\r\n", "\r" or "\n") and wraps
// each at blanks to the width in pixels (a longer word is cut).
std::vector<std::string> Form_WrapText(const RFormFont& font, std::string_view text, int32_t width);

// Static text, word-wrapped to its width.
class CFormLabel : public CFormControl {
 public:
  RFormFont font;
  std::string text;
  // The height the wrapped text needs.
  int32_t TextHeight() const;

 protected:
  bool Focusable() const override { return false; }
  void Paint(RCanvas& canvas, bool focused) override;
};

// A one-line text field. It starts with all its text selected, so that the
// first character typed replaces it.
class CFormEdit : public CFormControl {
 public:
  RFormFont font;
  uint32_t background = 0xFFFFFFFF;
  void SetText(std::string_view text);
  const std::string& Value() const { return text_; }

 protected:
  void Paint(RCanvas& canvas, bool focused) override;
  bool Key(const RFormKeyEvent& key) override;
  bool TypeText(std::string_view text) override;
  void MouseDown(int32_t x, int32_t y) override;

 private:
  std::string text_;
  size_t caret_ = 0;
  bool all_selected_ = false;
};

// A push button. The caption marks its access key with '&' ("&Abort": Alt+A,
// or A alone while a button has the focus); "&&" is a plain '&'. A click
// closes the form with the button's result when that is not FORM_RESULT_NONE,
// and otherwise runs its action.
class CFormButton : public CFormControl {
 public:
  std::string caption;
  int32_t result = FORM_RESULT_NONE;
  std::function<void()> action;
  // The default button answers Enter unless another button has the focus,
  // and is the form's answer when nobody can answer it.
  bool is_default = false;

  // The access key of the caption, lower case, or 0.
  char AccessKey() const;
  // The caption as shown, without its '&' marks.
  std::string ShownCaption() const;

 protected:
  void Paint(RCanvas& canvas, bool focused) override;
  void MouseDown(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  bool Key(const RFormKeyEvent& key) override;

  bool held_ = false;     // the mouse went down on it and is still down
  bool pressed_ = false;  // drawn pushed in: held with the mouse over it
};

// A vertical scroll bar: an arrow at each end and a thumb whose size and
// place show which of `rows` rows are in view. The owner keeps the first
// row in view; the bar answers what a click or drag makes of it.
class CFormScrollBar {
 public:
  // The bar's rectangle, arrows included.
  RFormRect bounds;

  RFormRect Track() const;
  RFormRect Thumb(int32_t rows, int32_t visible, int32_t top) const;
  void Paint(RCanvas& canvas, int32_t rows, int32_t visible, int32_t top) const;
  // The first row in view after a press at (x, y) on the bar; a press on
  // the thumb starts a drag.
  int32_t Press(int32_t x, int32_t y, int32_t rows, int32_t visible, int32_t top);
  // While dragging: the first row in view for the mouse at y; else top.
  int32_t Drag(int32_t y, int32_t rows, int32_t visible, int32_t top) const;
  bool Dragging() const { return drag_from_y_ >= 0; }
  void Release() { drag_from_y_ = -1; }

 private:
  int32_t drag_from_y_ = -1;  // where the thumb drag began: the mouse y and the top row
  int32_t drag_from_top_ = 0;
};

// A read-only list of text lines in a fixed-pitch font, wrapped at words to
// its width, with a vertical scroll bar.
class CFormMemo : public CFormControl {
 public:
  CFormMemo(const std::string& font_family, int32_t font_height);

  // Adds a line (no line breaks inside) at the end.
  void AddLine(std::string_view line);
  // Replaces every line with those of the text (split at "\r\n", "\r" or
  // "\n"; a final line break adds no empty line), keeping the first row in
  // view where the new text still reaches it.
  void SetText(std::string_view text);
  void Clear();
  // Wraps the lines again, after the bounds changed.
  void Rewrap();
  const std::vector<std::string>& Lines() const { return lines_; }
  // The lines joined by line feeds.
  std::string Text() const;

  // Rows are the wrapped lines as drawn; TopRow is the first row in view.
  int32_t RowCount() const { return static_cast<int32_t>(rows_.size()); }
  int32_t VisibleRows() const;
  int32_t TopRow() const { return top_; }
  void ScrollTo(int32_t row);
  void ScrollToEnd() { ScrollTo(RowCount()); }
  const std::string& Row(int32_t row) const { return rows_[size_t(row)]; }

 protected:
  void Paint(RCanvas& canvas, bool focused) override;
  void MouseDown(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  void Wheel(int32_t rows) override;
  bool Key(const RFormKeyEvent& key) override;

 private:
  int32_t RowHeight() const;
  RFormRect TextArea() const;
  RFormRect BarBounds() const;
  void WrapLine(const std::string& line);

  CSystemFont* font_;
  int32_t font_height_;
  std::vector<std::string> lines_;
  std::vector<std::string> rows_;
  int32_t top_ = 0;
  CFormScrollBar bar_;
};

// A form: caption, client size (each side 1 to 8192) and controls in tab
// order. Input goes to it in client coordinates; it paints itself into a
// canvas of its client size.
class CForm {
 public:
  CForm(std::string caption, int32_t client_width, int32_t client_height);
  ~CForm();
  CForm(const CForm&) = delete;
  CForm& operator=(const CForm&) = delete;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  int32_t ClientWidth() const { return width_; }
  int32_t ClientHeight() const { return height_; }
  // A new client size, no smaller than the minimum below; on_resize then
  // places the controls.
  void Resize(int32_t client_width, int32_t client_height);
  int32_t min_width = 1, min_height = 1;
  std::function<void()> on_resize;

  // Adds a control at the end of the tab order; the form owns it.
  template <typename T>
  T& Add(std::unique_ptr<T> control) {
    T& added = *control;
    Adopt(std::move(control));
    return added;
  }
  CFormControl* Find(std::string_view name) const;

  // Makes the form ready to be shown: no result yet, the focus on the
  // default button, nothing held, no hint.
  void Open();
  int32_t Result() const { return result_; }
  void EndWith(int32_t result) { result_ = result; }
  // The result of the visible default button, or FORM_RESULT_CLOSED.
  int32_t DefaultResult() const;

  void MouseMove(int32_t x, int32_t y);
  // clicks counts the presses of a double click (2 on its second press).
  void MouseButton(int32_t x, int32_t y, bool down, int32_t clicks = 1);
  void MouseWheel(int32_t x, int32_t y, int32_t rows);
  void Key(const RFormKeyEvent& key);
  // Typed text, one byte per character; it goes to the focused control.
  void TextInput(std::string_view text);
  // Sees every key first; returning true keeps it from the controls.
  std::function<bool(const RFormKeyEvent&)> key_filter;
  // Paints the client area before the controls (else the face colour).
  std::function<void(RCanvas&)> background;
  // The window: a border with the caption, its screen position (-1: centred)
  // and its opacity 0..255.
  bool border = true;
  int32_t left = -1, top = -1;
  int32_t alpha = 255;
  // A colour (0x00RRGGBB) where the window is see-through, -1 for none.
  int64_t colour_key = -1;
  // A popup: placed at the mouse unless a position is given, and closed by a
  // click anywhere outside it.
  bool popup = false;
  // The window's close button. A form shown with Form_Show runs on_close
  // instead, or without one hides.
  void Close();
  // Modeless windows (Form_Show): kept above other windows, resizable by
  // the player, and a timer that runs on_timer every timer_ms milliseconds
  // (0: none) while the form is shown.
  bool stay_on_top = false;
  bool resizable = false;
  int32_t timer_ms = 0;
  std::function<void()> on_timer;
  std::function<void()> on_close;
  // Time passes (milliseconds of a steady clock): hints appear after a rest.
  void Tick(int64_t now_ms);
  // A click on the named control's centre, as the mouse would make it.
  void Click(std::string_view name);

  const CFormControl* Focused() const { return focus_; }
  // The control Open gives the focus to (else the default button).
  void SetInitialFocus(CFormControl* control) { initial_focus_ = control; }
  // The control under the mouse, or null.
  const CFormControl* Hovered() const { return hovered_; }
  // The hint on show, or "" when none is.
  std::string ShownHint() const;
  // Set by any change that shows; cleared by Paint.
  bool NeedsPaint() const { return dirty_; }
  void Invalidate() { dirty_ = true; }
  void Paint(RCanvas& canvas);

 private:
  void Adopt(std::unique_ptr<CFormControl> control);
  CFormControl* ControlAt(int32_t x, int32_t y) const;
  void MoveFocus(bool backwards);
  void SetFocus(CFormControl* control);

  std::string caption_;
  int32_t width_, height_;
  std::vector<std::unique_ptr<CFormControl>> controls_;
  CFormControl* focus_ = nullptr;
  CFormControl* initial_focus_ = nullptr;
  CFormControl* captured_ = nullptr;  // receives the mouse while a button is down
  int32_t result_ = FORM_RESULT_NONE;
  bool dirty_ = true;
  // Hints: the control under the resting mouse and since when it rests.
  CFormControl* hovered_ = nullptr;
  std::string hovered_hint_;
  int32_t mouse_x_ = 0, mouse_y_ = 0;
  int64_t rest_since_ = -1, now_ = 0;
  bool hint_shown_ = false;
};

// Shows the form modally in a window of its own, centred on the screen, and
// returns its result once a button or the close button ends it. Without a
// display the default button's result is returned at once.
int32_t Form_ShowModal(CForm& form);

// Shows the form in a window of its own and returns at once: the program
// goes on, and the form gets its input, its timer and its repaints whenever
// window messages are processed (Platform_ProcessMessages). A form already
// shown is raised. Without a display the form counts as shown but has no
// window; it is driven through its input calls.
void Form_Show(CForm& form);
// Takes the form's window away; the form keeps its contents.
void Form_Hide(CForm& form);
bool Form_IsShown(const CForm& form);

// A small modal question in the classic look: the caption, a prompt above a
// text field that starts with *value, and OK and Cancel. True (with *value
// the text typed) for OK; without a display false at once.
bool Form_InputQuery(const std::string& caption, const std::string& prompt, std::string* value);
// A modal Yes/No question in the same look; without a display the answer
// is `default_answer`.
bool Form_Confirm(const std::string& caption, const std::string& text, bool default_answer);

// Tests stand in for the player: while a driver is set, Form_ShowModal opens
// the form, hands it to the driver and returns whatever result the driver
// left (FORM_RESULT_CLOSED when it left none). Pass nullptr to remove it.
void Form_SetTestDriver(std::function<void(CForm&)> driver);
