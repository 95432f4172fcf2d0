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

