// Run_Step: one step of the current room, its phases in their fixed order,
// and the per-phase event dispatch.
#pragma once

#include <cstdint>

// Advances the current room by one step. Does nothing without a current room.
void DoStep();

// The per-phase dispatch: for each object that has (kind, number), itself or
// through a parent, in ascending order, performs the event on that object's
// own live instances, counted when the object's turn comes (instances created
// meanwhile for a later object are reached, those for an earlier one are
// not). Stops as soon as a request is pending.
void Step_Dispatch(int32_t kind, int32_t number);

// Incremented once per step; the image the cursor sprite shows.
extern int32_t Step_CursorImage;
