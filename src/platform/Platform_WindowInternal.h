// Platform_WindowInternal: the game window as the other platform modules see it.
#pragma once

#include <SDL.h>

// The game window, or null before PlatformWindow_Create.
SDL_Window* PlatformWindow_Handle();
