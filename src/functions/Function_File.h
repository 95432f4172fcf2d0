// Function_File: the built-ins for text, binary and INI files, directories,
// file names, the registry, included files, external programs, the command
// line and the environment; and secure mode, read from the registry at start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Registers the module's built-ins.
void Function_File_Register();

// The game's own command line: the program's path (parameter 0) and the
// arguments given after the game. The program's folder is program_directory.
void File_SetCommandLine(std::string program, std::vector<std::string> arguments);
// The game id, which names the game's registry key "Software\Velmora\<id>".
void File_SetGameId(int32_t game_id);
// Sets SecureMode from the preferences in the registry; called once at start.
void File_LoadSecureMode();

// The values of working_directory, temp_directory and program_directory,
// without a trailing separator.
std::string File_WorkingDirectory();
std::string File_TempDirectory();
std::string File_ProgramDirectory();

// Closes every open text and binary file, the file search and the INI file,
// and resets the registry root (program end; tests).
void File_CloseAll();
