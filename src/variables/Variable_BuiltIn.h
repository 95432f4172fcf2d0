// Variable_BuiltIn: the getters and setters of the 151 built-in variables
// (instance fields, the room with its backgrounds and views, the game
// values, input, clock, event context, errors) and their registration.
#pragma once

#include <cstdint>
#include <string>

// Registers all built-in variables in their fixed order (a variable's id is
// its position): the instance variables, then those of the game.
void Variable_RegisterBuiltins();

// The relative flag of the action being performed (`argument_relative`).
extern bool Action_ArgumentRelative;

// The view being drawn (`view_current`); the room drawing sets it.
extern int32_t View_Current;

// Input values the built-in variables read and write until the input module
// owns them: mouse position in the room, buttons, keys, typed text.
struct RBuiltinInput {
  double mouse_x = 0, mouse_y = 0;
  int32_t mouse_button = 0, mouse_lastbutton = 0;
  int32_t keyboard_key = 0, keyboard_lastkey = 0;
  uint8_t keyboard_lastchar = 0;
  std::string keyboard_string;
};
extern RBuiltinInput Builtin_Input;
