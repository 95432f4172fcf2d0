// Support_Message: the message window the game uses for messages, questions
// and text input, with the look scripts give it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform_Form.h"

// The message window's settings, kept for the whole run.
struct RMessageSettings {
  RFormFont text_font{"MS Sans Serif", 11, false, false, 0xFFFFFFFF};
  RFormFont button_font{"MS Sans Serif", 11, true, false, 0xFFFFFFFF};
  RFormFont input_font{"MS Sans Serif", 11, false, false, 0xFFFFFFFF};
  uint32_t mouse_colour = 0xFFFFFFFF;  // button text under the mouse
  uint32_t input_colour = 0xFF3C3C3C;  // the input field
  int32_t left = -1, top = -1;         // -1: centred on the screen
  int32_t width = -1, height = -1;     // -1: automatic
  bool caption_shown = false;
  std::string caption;
  int32_t alpha = 255;
};
extern RMessageSettings Message_Settings;

// A message text as games write it: "#" breaks the line, "\#" is a plain "#".
std::string Message_Convert(const std::string& text);

// Shows the window modally with the (converted) text and up to three buttons
// (an empty text hides a button); with `input` a text field filled with
// *input. Returns the number of the button chosen (1 to 3) or 0 for Escape
// and the close button; *input holds the typed text. All input state is
// cleared afterwards. Without a display: the text goes to stderr and the
// answer is 1 at once.
int32_t Message_Show(const std::string& text, const std::array<std::string, 3>& buttons, std::string* input);

// A popup menu of the items of `items` ("|" between them, "-" a separator)
// at the mouse, or at (x, y) on the screen when both are 0 or more. Returns
// the chosen item's index counting real items from 0, or `none`. All input
// state is cleared afterwards.
int32_t Message_Menu(const std::string& items, int32_t none, int32_t x = -1, int32_t y = -1);

// The desktop's file, folder and colour dialogs; where it has none, the
// message window asks for the text. "" (colours: -1) when cancelled.
std::string Message_AskFile(bool save, const std::string& filter, const std::string& name);
std::string Message_AskFolder(const std::string& title, const std::string& start);
int32_t Message_AskColour(int32_t colour);
