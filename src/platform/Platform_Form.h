// Platform_Form: the engine's own modal windows (the error window, and the
// message, question and list windows built on it). A form is a fixed-size
// client area with controls in the desktop's classic grey look, painted by the
// engine into a picture of its own and shown in a window of its own. The form
// and its controls are plain objects: tests and the modal loop drive them
// through the same input calls.
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
  Tab, Enter, Escape, Space, Up, Down, PageUp, PageDown, Home, End, Left, Right, Backspace, Delete, Character
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
  virtual void MouseMove(int32_t x, int32_t y) {}
  virtual void MouseUp(int32_t x, int32_t y) {}
  virtual void Wheel(int32_t rows) {}
  // Returns true when the control used the key.
  virtual bool Key(const RFormKeyEvent& key) { return false; }
  // Typed text (one byte per character); true when the control took it.
  virtual bool TypeText(std::string_view text) { return false; }
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

// A read-only list of text lines in a fixed-pitch font, wrapped at words to
// its width, with a vertical scroll bar.
class CFormMemo : public CFormControl {
 public:
  CFormMemo(const std::string& font_family, int32_t font_height);

  // Adds a line (no line breaks inside) at the end.
  void AddLine(std::string_view line);
  void Clear();
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
  RFormRect Track() const;  // the scroll bar between its two arrows
  RFormRect Thumb() const;
  void WrapLine(const std::string& line);

  CSystemFont* font_;
  int32_t font_height_;
  std::vector<std::string> lines_;
  std::vector<std::string> rows_;
  int32_t top_ = 0;
  int32_t drag_from_y_ = -1;  // thumb drag: the mouse y and top row where it began
  int32_t drag_from_top_ = 0;
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
  int32_t ClientWidth() const { return width_; }
  int32_t ClientHeight() const { return height_; }

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
  void MouseButton(int32_t x, int32_t y, bool down);
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
  // The window's size can be changed by the player (the controls keep
  // theirs), and it stays above other windows.
  bool sizeable = false;
  bool stay_on_top = false;
  // The player changed the client size of a sizeable window: the controls
  // may be laid out anew for it.
  void Resize(int32_t width, int32_t height);
  std::function<void(int32_t, int32_t)> resized;
  // A popup: placed at the mouse unless a position is given, and closed by a
  // click anywhere outside it.
  bool popup = false;
  // The window's close button.
  void Close() { EndWith(FORM_RESULT_CLOSED); }
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
  const std::string& ShownHint() const;
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
  int32_t mouse_x_ = 0, mouse_y_ = 0;
  int64_t rest_since_ = -1, now_ = 0;
  bool hint_shown_ = false;
};

// Shows the form modally in a window of its own, centred on the screen, and
// returns its result once a button or the close button ends it. Without a
// display the default button's result is returned at once.
int32_t Form_ShowModal(CForm& form);

// Shows the form in a window of its own and returns at once: the form lives
// on beside the game, served whenever window messages are processed, until
// it ends itself (a button, the close button). False when it could not be
// shown (without a display nothing is shown).
bool Form_ShowModeless(std::shared_ptr<CForm> form);
// Closes every form shown that way (the game ends).
void Form_CloseModeless();

// Tests stand in for the player: while a driver is set, Form_ShowModal opens
// the form, hands it to the driver and returns whatever result the driver
// left (FORM_RESULT_CLOSED when it left none). Pass nullptr to remove it.
void Form_SetTestDriver(std::function<void(CForm&)> driver);
