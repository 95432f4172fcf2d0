// Platform_Library: dynamic libraries that games load, and calls into their
// functions with arguments and results of two kinds, C doubles and
// zero-terminated 8-bit texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Loads a library a game names, or returns null. Backslashes count as folder
// separators. A name ending in ".dll" (any case) also finds stem + ".so" and
// "lib" + stem + ".so" in the same folder. A relative name is looked for
// from `folder` first, then as given (a bare name in the system's library
// path).
void* Platform_LoadLibrary(const std::string& name, const std::string& folder);
void Platform_FreeLibrary(void* handle);
// The address of an exported function by its exact name, or null.
void* Platform_LibrarySymbol(void* handle, const std::string& name);

constexpr int32_t PLATFORM_MAX_FOREIGN_ARGUMENTS = 16;

// A function address with its prepared signature, made once and called many
// times.
struct RForeignCall;
struct RForeignCallDeleter {
  void operator()(RForeignCall* call) const;
};
using PForeignCall = std::unique_ptr<RForeignCall, RForeignCallDeleter>;

// Prepares calls of `address` with `argc` (0 to 16) arguments, argument i a
// text when string_args[i], else a double; the result a text pointer or a
// double. `standard` asks for the platform's standard calling convention
// instead of the C one where the two differ. Null when the signature cannot
// be prepared.
PForeignCall Platform_PrepareForeignCall(void* address, bool standard, int32_t argc, const bool* string_args,
                                         bool string_result);
// Calls: argument i is texts[i] for a text argument, else reals[i]. Exactly
// one of the results is set, by the result kind; a text result may be null.
void Platform_CallForeign(const RForeignCall& call, const double* reals, const char* const* texts,
                          double& real_result, const char*& text_result);
