#include "runner/Support_Message.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Dialog.h"
#include "platform/Platform_Font.h"
#include "step/IO_Main.h"

RMessageSettings Message_Settings;

namespace {

// The built-in look: a dark panel with a lighter rim; buttons of 80 x 25 that
// light up under the mouse and sink when pressed.
constexpr int32_t kDefaultWidth = 348;
constexpr int32_t kButtonWidth = 80, kButtonHeight = 25;
constexpr int32_t kInputHeight = 21;

// The game's picture for the window, when it set one that has an image.
const CBitmap32* Picture() {
  const CBackground* back = Background_Get(Message_Settings.background);
  return back && back->image.exists ? &back->image : nullptr;
}

// The game's picture of a button state (0 normal, 1 under the mouse, 2
// pressed); a missing image repeats the one before.
const CBitmap32* ButtonPicture(int32_t state) {
  const CSprite* sprite = Sprite_Get(Message_Settings.button_sprite);
  if (!sprite) return nullptr;
  for (int32_t i = std::min<int32_t>(state, int32_t(sprite->images.size()) - 1); i >= 0; i--)
    if (sprite->images[size_t(i)].exists) return &sprite->images[size_t(i)];
  return nullptr;
}

// With a transparent background the window is see-through where its picture
// has the colour of the bottom-left pixel: the colour key, 0x00RRGGBB, or -1.
int64_t ColourKey() {
  const CBackground* back = Background_Get(Message_Settings.background);
  const CBitmap32* picture = Picture();
  if (!back || !back->transparent || !picture || picture->height < 1) return -1;
  return picture->Pixel(0, picture->height - 1) & 0xFFFFFF;
}

void PaintPanel(RCanvas& canvas) {
  if (const CBitmap32* picture = Picture()) {
    const int64_t key = ColourKey();
    if (key < 0) {
      Form_DrawPicture(canvas, picture->pixels.data(), picture->width, picture->height,
                       {0, 0, canvas.width, canvas.height}, false);
      return;
    }
    // The image's transparent pixels took their neighbours' colours when it
    // was loaded: they all show in the key colour again.
    CBitmap32 keyed = *picture;
    for (uint32_t& p : keyed.pixels)
      if ((p >> 24) == 0) p = uint32_t(key);
    Form_DrawPicture(canvas, keyed.pixels.data(), keyed.width, keyed.height, {0, 0, canvas.width, canvas.height},
                     false);
    return;
  }
  for (int32_t y = 0; y < canvas.height; y++) {
    uint32_t shade = 0x30 + static_cast<uint32_t>(0x28 * y / std::max(1, canvas.height));
    Form_Fill(canvas, {0, y, canvas.width, 1}, 0xFF000000 | shade << 16 | shade << 8 | (shade + 0x18));
  }
  Form_Fill(canvas, {0, 0, canvas.width, 1}, 0xFF8080A0);
  Form_Fill(canvas, {0, 0, 1, canvas.height}, 0xFF8080A0);
  Form_Fill(canvas, {0, canvas.height - 1, canvas.width, 1}, 0xFF101020);
  Form_Fill(canvas, {canvas.width - 1, 0, 1, canvas.height}, 0xFF101020);
}

class CMessageButton : public CFormButton {
 protected:
  void Paint(RCanvas& canvas, bool focused) override {
    bool over = form_->Hovered() == this;
    if (const CBitmap32* picture = ButtonPicture(pressed_ ? 2 : over ? 1 : 0)) {
      Form_DrawPicture(canvas, picture->pixels.data(), picture->width, picture->height, bounds);
      PaintCaption(canvas, over);
      return;
    }
    uint32_t face = pressed_ ? 0xFF202038 : over ? 0xFF585880 : 0xFF404060;
    Form_Fill(canvas, bounds, face);
    uint32_t light = pressed_ ? 0xFF101020 : 0xFF9090B8, dark = pressed_ ? 0xFF9090B8 : 0xFF101020;
    Form_Fill(canvas, {bounds.x, bounds.y, bounds.w, 1}, light);
    Form_Fill(canvas, {bounds.x, bounds.y, 1, bounds.h}, light);
    Form_Fill(canvas, {bounds.x, bounds.y + bounds.h - 1, bounds.w, 1}, dark);
    Form_Fill(canvas, {bounds.x + bounds.w - 1, bounds.y, 1, bounds.h}, dark);
    PaintCaption(canvas, over);
  }

 private:
  void PaintCaption(RCanvas& canvas, bool over) {
    const RMessageSettings& s = Message_Settings;
    RFormFont font = s.button_font;
    if (over) font.colour = s.mouse_colour;
    CSystemFont* system = font.Get();
    if (!system) return;
    std::string plain = ShownCaption();
    int32_t shift = pressed_ ? 1 : 0;
    Form_DrawText(canvas, font, bounds.x + (bounds.w - system->TextWidth(plain)) / 2 + shift,
                  bounds.y + (bounds.h - system->LineHeight()) / 2 + shift, plain, bounds);
  }
};

// The items of a popup menu, highlighted under the mouse or by the arrow
// keys; a click or Enter ends the form with the item's number from 1.
class CMenuList : public CFormControl {
 public:
  static constexpr int32_t kItemHeight = 20, kSeparatorHeight = 7;
  std::vector<std::string> items;

  int32_t Height() const {
    int32_t h = 4;
    for (const std::string& item : items) h += item == "-" ? kSeparatorHeight : kItemHeight;
    return h;
  }

 protected:
  void Paint(RCanvas& canvas, bool focused) override {
    Form_Fill(canvas, bounds, 0xFFF0F0F0);
    Form_Fill(canvas, {bounds.x, bounds.y, bounds.w, 1}, 0xFF808080);
    Form_Fill(canvas, {bounds.x, bounds.y + bounds.h - 1, bounds.w, 1}, 0xFF808080);
    Form_Fill(canvas, {bounds.x, bounds.y, 1, bounds.h}, 0xFF808080);
    Form_Fill(canvas, {bounds.x + bounds.w - 1, bounds.y, 1, bounds.h}, 0xFF808080);
    RFormFont font;
    CSystemFont* system = font.Get();
    int32_t y = bounds.y + 2;
    for (size_t i = 0; i < items.size(); i++) {
      if (items[i] == "-") {
        Form_Fill(canvas, {bounds.x + 4, y + kSeparatorHeight / 2, bounds.w - 8, 1}, 0xFFA0A0A0);
        y += kSeparatorHeight;
        continue;
      }
      RFormFont row = font;
      if (int32_t(i) == highlight_) {
        Form_Fill(canvas, {bounds.x + 2, y, bounds.w - 4, kItemHeight}, 0xFF316AC5);
        row.colour = 0xFFFFFFFF;
      }
      if (system) Form_DrawText(canvas, row, bounds.x + 16, y + (kItemHeight - system->LineHeight()) / 2, items[i], bounds);
      y += kItemHeight;
    }
  }
  void MouseMove(int32_t x, int32_t y) override { Highlight(ItemAt(y)); }
  void MouseDown(int32_t x, int32_t y) override { Highlight(ItemAt(y)); }
  void MouseUp(int32_t x, int32_t y) override {
    if (bounds.Contains(x, y) && ItemAt(y) >= 0) Choose(ItemAt(y));
  }
  bool Key(const RFormKeyEvent& key) override {
    int32_t step = key.key == FormKey::Down ? 1 : key.key == FormKey::Up ? -1 : 0;
    if (step != 0) {
      int32_t n = static_cast<int32_t>(items.size());
      for (int32_t i = 1; i <= n; i++) {
        int32_t at = ((highlight_ < 0 && step < 0 ? 0 : highlight_) + step * i + 2 * n) % n;
        if (items[size_t(at)] != "-") return Highlight(at), true;
      }
      return true;
    }
    if (key.key == FormKey::Enter && highlight_ >= 0) return Choose(highlight_), true;
    if (key.key == FormKey::Character) {
      // Each item's first letter chooses it.
      for (size_t i = 0; i < items.size(); i++)
        if (items[i] != "-" && !items[i].empty() && std::tolower(static_cast<uint8_t>(items[i][0])) == key.character)
          return Choose(int32_t(i)), true;
    }
    return false;
  }

 private:
  int32_t ItemAt(int32_t y) const {
    int32_t top = bounds.y + 2;
    for (size_t i = 0; i < items.size(); i++) {
      int32_t h = items[i] == "-" ? kSeparatorHeight : kItemHeight;
      if (y >= top && y < top + h) return items[i] == "-" ? -1 : int32_t(i);
      top += h;
    }
    return -1;
  }
  void Highlight(int32_t item) {
    if (item != highlight_) form_->Invalidate();
    highlight_ = item;
  }
  void Choose(int32_t item) {
    int32_t real = 0;
    for (int32_t i = 0; i < item; i++) real += items[size_t(i)] != "-";
    form_->EndWith(real + 1);
  }
  int32_t highlight_ = -1;
};

// The message window asking for a text in place of a desktop dialog: the
// text typed, or nothing when cancelled.
std::optional<std::string> AskText(const std::string& question, const std::string& start) {
  std::string value = start;
  int32_t answer = Message_Show(question, {"OK", "", "Cancel"}, &value);
  if (answer != 1) return std::nullopt;
  return value;
}

// The desktop's dialog, else the question in the message window; "" when
// cancelled.
std::string AskDesktop(const RDialogRequest& request, const std::string& question, const std::string& start) {
  if (std::optional<std::string> chosen = PlatformDialog_Ask(request)) return *chosen;
  return AskText(question, start).value_or("");
}

char ShortcutOf(const std::string& caption) {
  size_t at = caption.find('&');
  if (at == std::string::npos || at + 1 >= caption.size()) return 0;
  char c = caption[at + 1];
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string Message_Convert(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '#' && !out.empty() && out.back() == '\\')
      out.back() = '#';
    else if (c == '#')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

int32_t Message_Show(const std::string& text, const std::array<std::string, 3>& buttons, std::string* input) {
  const RMessageSettings& s = Message_Settings;
  const CBitmap32* picture = Picture();
  const int32_t width = s.width >= 1 ? s.width : picture ? picture->width : kDefaultWidth;

  auto label = std::make_unique<CFormLabel>();
  label->name = "MessageLabel";
  label->font = s.text_font;
  label->text = text + " ";
  label->bounds = {24, 16, std::max(1, width - 48), 0};
  const int32_t label_height = label->TextHeight();
  label->bounds.h = label_height;
  int32_t height = label_height + kButtonHeight + 48 + (input ? kInputHeight + 16 : 0);
  if (s.height >= 1) height = s.height;

  CForm form(s.caption_shown ? s.caption : "", width, height);
  form.background = PaintPanel;
  form.colour_key = ColourKey();
  form.Add(std::move(label));
  CFormEdit* edit = nullptr;
  if (input) {
    auto field = std::make_unique<CFormEdit>();
    field->name = "MessageInput";
    field->font = s.input_font;
    field->background = s.input_colour;
    field->bounds = {24, height - 16 - kButtonHeight - 16 - kInputHeight, std::max(1, width - 48), kInputHeight};
    edit = &form.Add(std::move(field));
    edit->SetText(*input);
  }
  const int32_t xs[3] = {24, (width - kButtonWidth) / 2, width - 24 - kButtonWidth};
  for (int32_t i = 0; i < 3; i++) {
    auto button = std::make_unique<CMessageButton>();
    button->name = "MessageButton" + std::to_string(i + 1);
    button->caption = buttons[size_t(i)];
    button->visible = !buttons[size_t(i)].empty();
    button->result = i + 1;
    button->is_default = i == 0;
    button->bounds = {xs[i], height - 16 - kButtonHeight, kButtonWidth, kButtonHeight};
    form.Add(std::move(button));
  }
  // Escape answers 0 and Enter 1 (also Space without an input field); a
  // button's shortcut key answers it, with Alt when there is an input field.
  form.key_filter = [&](const RFormKeyEvent& key) {
    if (key.key == FormKey::Escape) form.EndWith(FORM_RESULT_CLOSED);
    else if (key.key == FormKey::Enter || (key.key == FormKey::Space && !edit)) form.EndWith(1);
    else if (key.key == FormKey::Character && (!edit || key.alt)) {
      for (int32_t i = 0; i < 3; i++)
        if (ShortcutOf(buttons[size_t(i)]) == key.character && key.character) form.EndWith(i + 1);
    } else {
      return false;
    }
    return true;
  };
  form.SetInitialFocus(edit);
  form.border = s.caption_shown;
  form.left = s.left;
  form.top = s.top;
  form.alpha = s.alpha;

  if (!Platform_HasDisplay()) {
    std::string printed;
    for (char c : text)
      if (c != '\r') printed += c;
    std::fprintf(stderr, "%s\n", printed.c_str());
  }
  int32_t result = Form_ShowModal(form);
  if (result == FORM_RESULT_CLOSED) result = 0;
  if (edit) *input = edit->Value();
  IO_ClearAll();
  return result;
}

int32_t Message_Menu(const std::string& items, int32_t none, int32_t x, int32_t y) {
  auto list = std::make_unique<CMenuList>();
  list->name = "MenuList";
  for (size_t start = 0;;) {
    size_t end = items.find('|', start);
    list->items.push_back(items.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  RFormFont font;
  CSystemFont* system = font.Get();
  int32_t width = 100;
  for (const std::string& item : list->items)
    width = std::max(width, (system ? system->TextWidth(item) : 0) + 32);
  list->bounds = {0, 0, width, list->Height()};
  CForm form("", width, list->bounds.h);
  form.border = false;
  form.popup = true;
  if (x >= 0 && y >= 0) {
    form.left = x;
    form.top = y;
  }
  CMenuList& shown = form.Add(std::move(list));
  form.SetInitialFocus(&shown);
  int32_t chosen = Form_ShowModal(form);
  IO_ClearAll();
  return chosen >= 1 ? chosen - 1 : none;
}

std::string Message_AskFile(bool save, const std::string& filter, const std::string& name) {
  // Filters come as "name|patterns|name|patterns".
  RDialogRequest request;
  request.kind = save ? DialogKind::Save : DialogKind::Open;
  request.initial = name;
  for (size_t start = 0; start < filter.size();) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos) break;
    size_t end = filter.find('|', bar + 1);
    request.filters.emplace_back(filter.substr(start, bar - start),
                                 filter.substr(bar + 1, end == std::string::npos ? end : end - bar - 1));
    start = end == std::string::npos ? filter.size() : end + 1;
  }
  std::string chosen = AskDesktop(request, save ? "Save as (file name):" : "Open (file name):", name);
  IO_ClearAll();
  return chosen;
}

std::string Message_AskFolder(const std::string& title, const std::string& start) {
  RDialogRequest request;
  request.kind = DialogKind::Folder;
  request.title = title;
  request.initial = start.empty() || start.back() == '/' ? start : start + "/";
  std::string chosen = AskDesktop(request, title.empty() ? "Folder:" : title, start);
  IO_ClearAll();
  return chosen;
}

int32_t Message_AskColour(int32_t colour) {
  const int32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  RDialogRequest request;
  request.kind = DialogKind::Colour;
  request.initial = "rgb(" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + ")";
  std::optional<std::string> chosen = PlatformDialog_Ask(request);
  if (!chosen) chosen = AskText("Colour (red, green, blue from 0 to 255):", request.initial.substr(4, request.initial.size() - 5));
  // The click or key that closed the dialog is not the game's.
  IO_ClearAll();
  if (!chosen || chosen->empty()) return -1;
  // "rgb(r,g,b)", "rgba(r,g,b,a)" or plain "r,g,b".
  int32_t parts[3] = {0, 0, 0};
  size_t at = chosen->find('(');
  const char* p = chosen->c_str() + (at == std::string::npos ? 0 : at + 1);
  for (int32_t& part : parts) {
    char* end = nullptr;
    long value = std::strtol(p, &end, 10);
    if (end == p) return -1;
    part = static_cast<int32_t>(std::clamp(value, 0L, 255L));
    p = end;
    while (*p == ',' || *p == ' ') p++;
  }
  return parts[0] | parts[1] << 8 | parts[2] << 16;
}
