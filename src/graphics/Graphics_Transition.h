// Graphics_Transition: room transitions. The old room's last picture and the
// new room's first are captured into two surfaces and shown blended, slid,
// wiped or turned over a number of frames, by one of 21 built-in kinds or by
// a script the game names for a kind.
#pragma once

#include <cstdint>
#include <string>

// Whether a kind is built in (1 to 21) or has a script.
bool Transition_Exists(int32_t kind);
// Names the function that draws a kind (1 to 999999): a script, else a
// built-in (which draws nothing). False when there is no such function.
bool Transition_Define(int32_t kind, const std::string& name);
// Forgets the game's transitions (a new game).
void Transition_Reset();

// The room is being left: captures it and sends the next drawing (the new
// room's first) to the second picture. Nothing for a kind that does not
// exist, or without a drawing device.
void Transition_Begin(int32_t kind, int32_t steps);
// Drops a transition that waits: the drawing goes to the screen again.
void Transition_Cancel();
// Whether a transition waits for the new room's first picture.
bool Transition_Waiting();
// Plays it (steps + 1 frames, each presented) and frees both pictures.
void Transition_Finish();

// The picture of a built-in kind at a fraction 0..1, from the surfaces of
// the old and the new room, both w x h (drawn into the current target).
void Transition_Draw(int32_t kind, int32_t steps, double fraction, int32_t old_room, int32_t new_room, int32_t w,
                     int32_t h);
