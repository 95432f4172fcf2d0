// Runner_Error: how reported script errors reach the player while a game
// runs: the error window with its memo of every message, the log file
// "game_errors.log", and the end of the game, as the game's settings say.
#pragma once

// Installs the reporter (program start; the test program does it too).
void ErrorWindow_Install();
