// Option_Main: the game settings, read once from the settings block of the
// game file and consulted by the Parts they control.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A picture of the settings block: the bytes of a complete BMP file.
using RPictureBytes = std::optional<std::vector<uint8_t>>;

struct RSettings {
  bool FullScreen = false;
  bool Interpolate = false;
  bool NoBorder = false;
  bool ShowCursor = true;
  int32_t Scale = 100;  // >0 fixed percent, 0 fill the window, <0 keep aspect
  bool Sizeable = false;
  bool StayOnTop = false;
  int32_t WindowColor = 0xFFFFFF;
  bool ChangeResolution = false;
  int32_t ColorDepth = 0;
  int32_t Resolution = 0;
  int32_t Frequency = 0;
  bool NoButtons = false;
  bool VSync = false;
  bool KeyF4 = true;
  bool KeyF1 = true;
  bool KeyEsc = true;
  bool KeyF5F6 = true;
  bool KeyF9 = true;
  bool CloseAsEsc = true;
  int32_t Priority = 0;
  bool FreezeOnLoseFocus = false;
  bool ShowProgressBar = true;
  RPictureBytes ProgressBackImage;
  RPictureBytes ProgressFrontImage;
  RPictureBytes LoadingImage;
  bool LoadingTransparent = false;
  int32_t LoadingAlpha = 255;
  bool ScaleProgressBar = true;
  bool DisplayErrors = true;
  bool WriteErrorLog = false;
  bool AbortOnError = false;
  bool UninitializedAsZero = false;
  // User constants: parallel lists of names and value expressions.
  std::vector<std::string> ConstantNames;
  std::vector<std::string> ConstantValues;
};

// The settings of the running game.
extern RSettings Settings;

// Secure mode: forbids file writing outside the game's folders, program
// execution, libraries, registry writing and the like. Read from the
// registry at start.
extern bool SecureMode;

// The game's identity, read from its main block: debug mode (the debugger
// runs beside the game), the game id (saved games, highscores, registry
// keys) and the 16-byte GUID that multiplayer sessions are bound to.
extern bool DebugMode;
extern int32_t GameId;
extern uint8_t GameGuid[16];
