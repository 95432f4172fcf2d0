#include "runner/Support_Message.h"

#include <cstdio>
#include <memory>

#include "platform/Platform.h"
#include "platform/Platform_Font.h"
#include "step/IO_Main.h"

RMessageSettings Message_Settings;

namespace {

// The built-in look: a dark panel with a lighter rim; buttons of 80 x 25 that
// light up under the mouse and sink when pressed.
constexpr int32_t kDefaultWidth = 348;
constexpr int32_t kButtonWidth = 80, kButtonHeight = 25;
constexpr int32_t kInputHeight = 21;

void PaintPanel(RCanvas& canvas) {
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
    const RMessageSettings& s = Message_Settings;
    bool over = form_->Hovered() == this;
    uint32_t face = pressed_ ? 0xFF202038 : over ? 0xFF585880 : 0xFF404060;
    Form_Fill(canvas, bounds, face);
    uint32_t light = pressed_ ? 0xFF101020 : 0xFF9090B8, dark = pressed_ ? 0xFF9090B8 : 0xFF101020;
    Form_Fill(canvas, {bounds.x, bounds.y, bounds.w, 1}, light);
    Form_Fill(canvas, {bounds.x, bounds.y, 1, bounds.h}, light);
    Form_Fill(canvas, {bounds.x, bounds.y + bounds.h - 1, bounds.w, 1}, dark);
    Form_Fill(canvas, {bounds.x + bounds.w - 1, bounds.y, 1, bounds.h}, dark);
    RFormFont font = s.button_font;
    if (over) font.colour = s.mouse_colour;
    CSystemFont* system = font.Get();
    if (!system) return;
    std::string plain;
    for (size_t i = 0; i < caption.size(); i++) {
      if (caption[i] == '&' && i + 1 < caption.size()) i++;
      plain += caption[i];
    }
    int32_t shift = pressed_ ? 1 : 0;
    Form_DrawText(canvas, font, bounds.x + (bounds.w - system->TextWidth(plain)) / 2 + shift,
                  bounds.y + (bounds.h - system->LineHeight()) / 2 + shift, plain, bounds);
  }
};

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
  const int32_t width = s.width >= 1 ? s.width : kDefaultWidth;

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
