// Runner_Splash: splash screens, an image, a video or a text file shown to
// the player inside the game window or in a window of their own, until a
// delay passes, the video ends, or the player stops them as the settings
// allow. Also the splash built-ins.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform_Form.h"

// The splash settings the splash_set_ built-ins change.
struct RSplashSettings {
  std::string caption;
  bool full_screen = false;
  int32_t width = 640, height = 480;
  bool adapt = true;         // the own window takes the content's size
  bool border = true;
  bool stay_on_top = true;
  int32_t colour = 0;        // 0x00BBGGRR around the content
  bool main = true;          // shown in the game window
  double scale = -1;         // <= 0: the largest that fits, keeping the aspect
  bool cursor = true;
  bool interrupt = true;     // the game waits while the own window is up
  bool stop_key = true;      // Escape ends it
  bool stop_mouse = true;    // a click ends it
};

// The settings. Owner: this module; lifetime: the program run (kept across
// game restarts, as games set them once); reset by Splash_Reset.
extern RSplashSettings Splash_Settings;

// Closes a splash that is still up and sets the settings to their defaults
// (program start, tests).
void Splash_Reset();

// Where content of cw x ch pixels shows in an area of aw x ah: scaled by
// `scale`, or (scale <= 0) by the largest factor that fits keeping the
// aspect, and centred.
RFormRect Splash_Place(int32_t aw, int32_t ah, int32_t cw, int32_t ch, double scale);

// The splashes. A missing or unreadable file reports "Image file not found.",
// "Video file not found (or name too long)." or "Text file not found." and
// shows nothing. They return when the splash has ended, except for an own
// window that does not interrupt the game, which Splash_Tick then keeps going.
// Without a display the first picture is composed and the splash ends at once.
void Splash_ShowImage(const std::string& name, int32_t delay_ms);
void Splash_ShowVideo(const std::string& name, bool loop);
void Splash_ShowText(const std::string& name, int32_t delay_ms);

// Keeps a splash that runs beside the game going (its next video picture, its
// delay, the player's input); the main loop calls it between steps.
void Splash_Tick();
bool Splash_IsOpen();
// Ends the splash that is up, if any.
void Splash_Close();

// The last picture a splash showed, as composed for its window (tests).
const RCanvas& Splash_LastPicture();

// Shows a picture filling the game window until the player presses Escape,
// clicks (when `stop_mouse`) or closes the window, then shows the game's last
// frame again and clears all input. Without a display it returns at once.
void Splash_ShowInGameWindow(const RCanvas& picture, bool stop_mouse);
