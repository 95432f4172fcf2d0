// Platform_Internal: what the modules of src/platform share among themselves.
#pragma once

#include <SDL.h>

// A handler sees every platform event; it returns true when it consumed it.
using PlatformEventHandler = bool (*)(const SDL_Event& event);
// Adds a handler; handlers run in the order they were added.
void Platform_AddEventHandler(PlatformEventHandler handler);
