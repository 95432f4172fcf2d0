#include "functions/Support_DLL.h"

#include <strings.h>

#include <vector>

#include "platform/Platform_Library.h"

namespace {

// One defined external function.
struct RFunction {
  std::string library;
  void* handle;  // null once the library is freed
  PForeignCall call;  // the address with its argument and result kinds
  int32_t argc;
  bool string_result;
};

std::vector<RFunction> g_Functions;
std::string g_Folder;

bool SameLibrary(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void DLL_SetFolder(const std::string& folder) { g_Folder = folder; }

int32_t DLL_Define(const std::string& library, const std::string& name, int32_t call_type, bool string_result,
                   const bool* string_args, int32_t argc) {
  if (argc < 0 || argc > DLL_MAX_ARGUMENTS) return -1;
  if (argc > 4)
    for (int32_t i = 0; i < argc; i++)
      if (string_args[i]) return -1;

  void* handle = nullptr;
  for (auto it = g_Functions.rbegin(); it != g_Functions.rend(); ++it)
    if (SameLibrary(it->library, library)) {
      handle = it->handle;
      break;
    }
  bool loaded_here = handle == nullptr;
  if (loaded_here) handle = Platform_LoadLibrary(library, g_Folder);
  if (handle == nullptr) return -1;

  PForeignCall call = Platform_PrepareForeignCall(Platform_LibrarySymbol(handle, name), call_type == DLL_STDCALL,
                                                  argc, string_args, string_result);
  if (!call) {
    // Nothing else refers to a library loaded for this definition alone.
    if (loaded_here) Platform_FreeLibrary(handle);
    return -1;
  }
  RFunction& f = g_Functions.emplace_back();
  f.library = library;
  f.handle = handle;
  f.call = std::move(call);
  f.argc = argc;
  f.string_result = string_result;
  return static_cast<int32_t>(g_Functions.size() - 1);
}

void DLL_Call(int32_t id, const RValue* args, int32_t argc, RValue& result) {
  if (id < 0 || id >= static_cast<int32_t>(g_Functions.size())) return;
  const RFunction& f = g_Functions[id];
  if (f.argc != argc || f.handle == nullptr) return;
  double reals[DLL_MAX_ARGUMENTS];
  const char* texts[DLL_MAX_ARGUMENTS];
  for (int32_t i = 0; i < argc; i++) {
    reals[i] = args[i].real;
    texts[i] = args[i].str.c_str();
  }
  double real_result = 0;
  const char* text_result = nullptr;
  Platform_CallForeign(*f.call, reals, texts, real_result, text_result);
  if (f.string_result)
    result.SetString(text_result != nullptr ? text_result : "");
  else
    result.SetReal(real_result);
}

void DLL_Free(const std::string& library) {
  void* released = nullptr;
  for (RFunction& f : g_Functions) {
    if (f.handle == nullptr || !SameLibrary(f.library, library)) continue;
    if (f.handle != released) {
      Platform_FreeLibrary(f.handle);
      released = f.handle;
    }
    f.handle = nullptr;
  }
}

void DLL_Clear() {
  for (RFunction& f : g_Functions)
    if (f.handle != nullptr) DLL_Free(f.library);
  g_Functions.clear();
}
