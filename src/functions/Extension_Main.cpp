#include "functions/Extension_Main.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "data/Support_TempDir.h"
#include "functions/Support_DLL.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "world/Instance_Class.h"

namespace {

// What a function id leads to once the packages are prepared.
struct REntry {
  int32_t handle = -1;          // the external function of a library file, -1 for none
  std::unique_ptr<CCode> code;  // the compiled function of a script file
  const CExtensionFunction* function = nullptr;
};

std::vector<CExtensionPackage> g_Packages;
std::vector<REntry> g_Table;  // by function id, up to the largest id

// A package's folder of the temporary directory.
std::string FolderOf(const std::string& folder) { return TempDir_Path() + "/" + folder; }

// Writes the library and other files of every package into its folder; the
// reason when one cannot be written.
std::string WriteFiles(const std::vector<RExtensionPackage>& records) {
  for (const RExtensionPackage& p : records) {
    if (!DataNew_ExtensionWritesFiles(p)) continue;
    if (TempDir_Path().empty()) return "package " + p.name + ": there is no temporary directory for its files";
    const std::string folder = FolderOf(p.folder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const RExtensionFile& f : p.files) {
      if (f.kind != EXTENSION_FILE_LIBRARY && f.kind != EXTENSION_FILE_OTHER) continue;
      std::string_view content(reinterpret_cast<const char*>(f.data.data()), f.data.size());
      if (!Path_ReplaceFile(folder + "/" + f.fileName, content))
        return "package " + p.name + ": cannot write " + folder + "/" + f.fileName;
    }
  }
  return {};
}

// Binds a library function; its external function id, or -1.
int32_t Define(const std::string& library, const CExtensionFunction& f) {
  bool strings[DLL_MAX_ARGUMENTS] = {};
  for (int32_t i = 0; i < f.argCount && i < DLL_MAX_ARGUMENTS; i++) strings[i] = f.StringArgument(i);
  // Convention 12 is the C convention; any other value names the standard
  // convention of the original platform, which libraries built for Linux do
  // not use: every package function is called with the C convention.
  return DLL_Define(library, f.externalName, DLL_CDECL, f.StringResult(), strings, f.argCount);
}

// Binds the functions of a library file: the file as written into the
// package's folder (where a Windows library "name.dll" also finds "name.so"
// and "libname.so"), else a library of that name beside the game. Secure
// mode loads no library at all: its calls are refused anyway, and loading
// alone would run the library's own start-up code.
void BindLibrary(const CExtensionPackage& p, const CExtensionFile& file) {
  const std::string path = FolderOf(p.folder) + "/" + file.fileName;
  std::string unbound;
  for (const CExtensionFunction& f : file.functions) {
    REntry& entry = g_Table[static_cast<size_t>(f.id)];
    entry.function = &f;
    if (SecureMode) continue;
    entry.handle = Define(path, f);
    if (entry.handle < 0) entry.handle = Define(file.fileName, f);
    if (entry.handle < 0) unbound += (unbound.empty() ? "" : ", ") + f.externalName;
  }
  if (!unbound.empty())
    std::fprintf(stderr, "Extension package %s: %s has no library for this system or lacks %s; their calls give 0\n",
                 p.name.c_str(), file.fileName.c_str(), unbound.c_str());
}

// Compiles the functions of a script file; false after the fatal report of
// the first that does not compile.
bool CompileFunctions(const CExtensionPackage& p, CExtensionFile& file) {
  for (CExtensionFunction& f : file.functions) {
    if (f.codeText.empty()) continue;
    auto code = std::make_unique<CCode>(f.codeText, false);
    if (!code->Compile()) {
      ReportError("COMPILATION ERROR in extension package " + p.name + "\r" + RecordedError(), true);
      ClearRecordedError();
      return false;
    }
    f.codeText.clear();
    REntry& entry = g_Table[static_cast<size_t>(f.id)];
    entry.code = std::move(code);
    entry.function = &f;
  }
  return true;
}

// Runs a script file's function with the call's slots as the argument slots.
bool CallCode(const REntry& entry, CInstance* self, CInstance* other, RValue& dest, RValue* slots) {
  if (Exec_CallCode(*entry.code, self, other, dest, slots)) return true;
  SetRecordedError("In extension function " + entry.function->name + ":\r" + RecordedError());
  ReportError(RecordedError(), true);
  return false;
}

// Calls the initialisation or finalisation function of every file naming one.
bool CallEach(std::string CExtensionFile::*which, const char* missing) {
  for (const CExtensionPackage& p : g_Packages) {
    for (const CExtensionFile& file : p.files) {
      const std::string& name = file.*which;
      if (name.empty()) continue;
      if (SecureMode) {
        ReportError(kExtensionSecureMessage, true);
        return false;
      }
      const CExtensionFunction* f = file.FunctionNamed(name);
      if (!f) {
        ReportError(missing + name, true);
        return false;
      }
      CInstance blank;
      CExecFrame none;
      RValue result;
      if (!Extension_Call(f->id, &blank, &blank, result, none.Slots(), 0)) {
        ReportError(RecordedError(), true);
        ClearRecordedError();
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool Extension_Install(std::vector<RExtensionPackage>& records) {
  Extension_Reset();
  for (RExtensionPackage& p : records) DataNew_NormaliseExtension(p);
  std::string problem = DataNew_CheckExtensions(records);
  if (problem.empty()) problem = WriteFiles(records);
  if (!problem.empty()) {
    std::fprintf(stderr, "Extension %s\n", problem.c_str());
    return false;
  }
  g_Packages.reserve(records.size());
  for (const RExtensionPackage& p : records) g_Packages.emplace_back(p);
  Function_SetExtensions(records);
  return true;
}

bool Extension_Prepare() {
  for (const CExtensionPackage& p : g_Packages)
    for (const CExtensionFile& file : p.files)
      for (const CExtensionConstant& c : file.constants)
        if (!DefineUserConstant(c.name, c.value)) return false;

  int32_t largest = -1;
  for (const CExtensionPackage& p : g_Packages)
    for (const CExtensionFile& file : p.files)
      for (const CExtensionFunction& f : file.functions) largest = std::max(largest, f.id);
  g_Table.clear();
  g_Table.resize(static_cast<size_t>(largest + 1));

  for (CExtensionPackage& p : g_Packages) {
    for (CExtensionFile& file : p.files) {
      if (file.kind == EXTENSION_FILE_LIBRARY)
        BindLibrary(p, file);
      else if (file.kind == EXTENSION_FILE_SCRIPT && !CompileFunctions(p, file))
        return false;
    }
  }
  return true;
}

bool Extension_Initialize() { return CallEach(&CExtensionFile::initFunction, "Could not locate initialization function "); }

bool Extension_Finalize() { return CallEach(&CExtensionFile::finalFunction, "Could not locate finalization function "); }

bool Extension_Call(int32_t id, CInstance* self, CInstance* other, RValue& dest, RValue* args, int count) {
  if (id < 0 || static_cast<size_t>(id) >= g_Table.size()) return false;
  if (SecureMode) {
    SetRecordedError(kExtensionSecureMessage);
    ReportError(kExtensionSecureMessage, true);
    return false;
  }
  const REntry& entry = g_Table[static_cast<size_t>(id)];
  if (entry.code) return CallCode(entry, self, other, dest, args);
  RValue result;
  DLL_Call(entry.handle, args, count, result);
  dest = std::move(result);
  return true;
}

const std::vector<CExtensionPackage>& Extension_Packages() { return g_Packages; }

void Extension_Reset() {
  g_Table.clear();
  g_Packages.clear();
  Function_SetExtensions({});
}

void Function_Extension_Register() { Exec_SetExtensionCaller(Extension_Call); }
