#include "data/Option_Main.h"

RSettings Settings;
bool SecureMode = false;
