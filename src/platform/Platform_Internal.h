// Platform_Internal: what the modules of src/platform share among themselves.
#pragma once

#include <SDL.h>

// A handler sees every platform event; it returns true when it consumed it.
using PlatformEventHandler = bool (*)(const SDL_Event& event);
// Adds a handler; handlers run in the order they were added.
void Platform_AddEventHandler(PlatformEventHandler handler);
// Runs after the events of every Platform_ProcessMessages, in the order
// added: work that belongs to the pass rather than to one event (timers,
// repaints).
void Platform_AddPassHandler(void (*handler)());
// Runs in Platform_Quit before the platform's services stop: whatever still
// holds a window lets go of it.
void Platform_AddQuitHandler(void (*handler)());
