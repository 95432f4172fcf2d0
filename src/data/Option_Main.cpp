#include "data/Option_Main.h"

RSettings Settings;
bool SecureMode = false;
bool DebugMode = false;
int32_t GameId = 0;
uint8_t GameGuid[16] = {};
