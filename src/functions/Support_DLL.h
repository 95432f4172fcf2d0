// Support_DLL: the table of external functions that games define in dynamic
// libraries, and the calls into them. An id is a position in the table;
// entries live until the program ends, only their library handles go.
#pragma once

#include <cstdint>
#include <string>

#include "code/RValue.h"

constexpr int32_t DLL_MAX_ARGUMENTS = 16;
// Call types: the C calling convention and the standard one of the platform.
enum : int32_t { DLL_CDECL = 0, DLL_STDCALL = 1 };

// Defines a function of `argc` arguments (argument i a string when
// string_args[i]) and returns its id, or -1 when the count is above 16, a
// function of more than 4 arguments takes a string, the library does not load
// or has no function of that exact name. A library already loaded under the
// same name (any case) is shared.
int32_t DLL_Define(const std::string& library, const std::string& name, int32_t call_type, bool string_result,
                   const bool* string_args, int32_t argc);
// Calls function `id` with `argc` arguments: reals as doubles, strings as
// zero-terminated texts. Nothing happens, and result stays as it is, when the
// id is unknown, the count differs from the definition or the library was
// freed.
void DLL_Call(int32_t id, const RValue* args, int32_t argc, RValue& result);
// Releases the library (named in any case) and drops its handle from every
// entry; their ids stay but calls through them do nothing.
void DLL_Free(const std::string& library);
// Releases every library and empties the table (program end).
void DLL_Clear();
// The folder where games keep their libraries (the game's folder); empty means
// the working directory.
void DLL_SetFolder(const std::string& folder);
