// Function_Game: the built-ins of the runner's own windows: the message
// window, questions and text input, and the highscore table.
#pragma once

// Registers them.
void Function_Game_Register();
