// Platform_Internal: what the modules of src/platform share among themselves.
#pragma once

#include <SDL.h>

#include <cstdint>

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

// Creates a window of w x h that shows only where `pixels` (w x h of
// 0xAARRGGBB, rows top first) differ from the colour `key` (0x00RRGGBB);
// where the desktop cannot shape windows, a plain window. Null on failure.
SDL_Window* Platform_CreateKeyedWindow(const char* title, int x, int y, int w, int h, Uint32 flags,
                                       const uint32_t* pixels, uint32_t key);
