// Function_Misc: code run from texts and files, scripts by index, dates and
// times, the clipboard, external functions, debug messages and the program's
// priority.
#pragma once

#include <string>

// Where the texts of show_debug_message go besides stderr: the debugger
// installs its messages window here. Null (the start): stderr only.
void Misc_SetDebugMessageSink(void (*sink)(const std::string& text));
