// Function_Graphics: the built-ins of the drawing layer, the window and the
// display.
#pragma once

// Registers them.
void Function_Graphics_Register();
