// A game for the codec and gamepack tests that touches every section and
// most kinds of field: empty slots, wrong event and action versions, 8-bit
// text, infinite reals, scrambled parts.
#pragma once

#include "data/DataNew_Class.h"

RGameData SampleGame();
