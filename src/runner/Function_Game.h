// Function_Game: the built-ins of the runner's own windows: the message
// window, questions and text input, popup menus and the desktop's dialogs,
// the game information and the highscore table.
#pragma once

// Registers them.
void Function_Game_Register();
