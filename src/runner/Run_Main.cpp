#include "runner/Run_Main.h"

bool GameRunning = false;
bool GamePaused = false;
int32_t PendingRoom = REQUEST_NONE;
std::string PendingLoadFile;
int32_t Run_Fps = 0;
bool AutomaticDraw = true;
