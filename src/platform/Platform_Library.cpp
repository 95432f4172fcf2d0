#include "platform/Platform_Library.h"

#include <dlfcn.h>
#include <ffi.h>

#include <algorithm>
#include <cctype>

struct RForeignCall {
  ffi_cif cif;
  ffi_type* arg_types[PLATFORM_MAX_FOREIGN_ARGUMENTS];
  void* address;
  int32_t argc;
  bool string_args[PLATFORM_MAX_FOREIGN_ARGUMENTS];
  bool string_result;
};

void RForeignCallDeleter::operator()(RForeignCall* call) const { delete call; }

namespace {

bool EndsWithDll(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".dll";
}

// A relative path is first taken from the game's folder; then as given, so
// that a bare name also finds a system library.
void* OpenOne(const std::string& path, const std::string& folder) {
  if (path[0] != '/') {
    if (void* handle = dlopen((folder.empty() ? "./" + path : folder + "/" + path).c_str(), RTLD_NOW | RTLD_LOCAL))
      return handle;
  }
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

void* Platform_LoadLibrary(const std::string& name, const std::string& folder) {
  if (name.empty()) return nullptr;
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (void* handle = OpenOne(path, folder)) return handle;
  if (!EndsWithDll(path)) return nullptr;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string stem = path.substr(dir.size(), path.size() - dir.size() - 4);
  if (void* handle = OpenOne(dir + stem + ".so", folder)) return handle;
  return OpenOne(dir + "lib" + stem + ".so", folder);
}

void Platform_FreeLibrary(void* handle) {
  if (handle != nullptr) dlclose(handle);
}

void* Platform_LibrarySymbol(void* handle, const std::string& name) {
  if (handle == nullptr || name.empty()) return nullptr;
  return dlsym(handle, name.c_str());
}

PForeignCall Platform_PrepareForeignCall(void* address, bool standard, int32_t argc, const bool* string_args,
                                         bool string_result) {
  if (address == nullptr || argc < 0 || argc > PLATFORM_MAX_FOREIGN_ARGUMENTS) return nullptr;
  PForeignCall call(new RForeignCall{});
  call->address = address;
  call->argc = argc;
  call->string_result = string_result;
  for (int32_t i = 0; i < argc; i++) {
    call->string_args[i] = string_args[i];
    call->arg_types[i] = string_args[i] ? &ffi_type_pointer : &ffi_type_double;
  }
  ffi_abi abi = FFI_DEFAULT_ABI;
#if defined(__i386__)
  if (standard) abi = FFI_STDCALL;
#endif
  if (ffi_prep_cif(&call->cif, abi, static_cast<unsigned>(argc), string_result ? &ffi_type_pointer : &ffi_type_double,
                   call->arg_types) != FFI_OK)
    return nullptr;
  return call;
}

void Platform_CallForeign(const RForeignCall& call, const double* reals, const char* const* texts,
                          double& real_result, const char*& text_result) {
  void* values[PLATFORM_MAX_FOREIGN_ARGUMENTS];
  for (int32_t i = 0; i < call.argc; i++)
    values[i] = call.string_args[i] ? static_cast<void*>(const_cast<const char**>(texts + i))
                                    : static_cast<void*>(const_cast<double*>(reals + i));
  // The return buffer must hold at least a full register.
  union {
    double real;
    void* pointer;
    ffi_arg word;
  } result{};
  ffi_call(const_cast<ffi_cif*>(&call.cif), FFI_FN(call.address), &result, values);
  if (call.string_result)
    text_result = static_cast<const char*>(result.pointer);
  else
    real_result = result.real;
}
