#include "data/Support_File.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "code/Code_Error.h"
#include "data/DataNew_Class.h"
#include "data/Option_Main.h"
#include "functions/Support_Path.h"
#include "platform/Platform.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string g_TempDir;

std::mt19937& Random() {
  static std::mt19937 rng(static_cast<unsigned>(Platform_Microseconds()));
  return rng;
}

int32_t RandomBelow(int32_t n) { return static_cast<int32_t>(Random()() % static_cast<uint32_t>(n)); }

bool TryCreateIn(const fs::path& base) {
  std::error_code ec;
  for (int attempt = 0; attempt < 1000; attempt++) {
    fs::path dir = base / ("vl_ttt_" + std::to_string(RandomBelow(100000)));
    if (fs::exists(dir, ec)) continue;
    if (!fs::create_directories(dir, ec)) return false;
    g_TempDir = dir.string();
    return true;
  }
  return false;
}

// Deletes files only inside the temporary directory, as a guard against a
// path that somehow points elsewhere.
void RemoveTree(const fs::path& dir) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec))
      RemoveTree(entry.path());
    else if (dir.string().rfind(g_TempDir, 0) == 0)
      fs::remove(entry.path(), ec);
  }
  fs::remove(dir, ec);
}

}  // namespace

void TempDir_Create() {
  const char* tmp = std::getenv("TMPDIR");
  fs::path bases[] = {tmp && *tmp ? fs::path(tmp) : fs::path("/tmp"), fs::path("/tmp"), fs::current_path()};
  for (const fs::path& base : bases)
    if (TryCreateIn(base)) return;
  Platform_ShowMessage("Failed to create temp dir. This can cause serious problems with sounds, etc.");
}

void TempDir_Remove() {
  if (g_TempDir.empty()) return;
  RemoveTree(g_TempDir);
  g_TempDir.clear();
}

const std::string& TempDir_Path() { return g_TempDir; }

std::string TempDir_NewFileName(const std::string& extension) {
  std::error_code ec;
  for (;;) {
    std::string name = g_TempDir + "/a" + std::to_string(RandomBelow(100000)) + extension;
    if (!fs::exists(name, ec)) return name;
  }
}

// ---------------------------------------------------------------------------
// Included files

namespace {

std::vector<CDataFile> g_DataFiles;

// Secure mode keeps included files out of folders: names with a folder part
// are neither exported nor removed.
bool SecureRefusesName(const CDataFile& file) { return SecureMode && Path_HasFolder(file.FileName); }

// The native path the file's export mode names; empty for mode 0 and for
// modes that do not exist.
std::string ExportPath(const CDataFile& file) {
  switch (file.ExportMode) {
    case EXPORT_TEMP_DIR: return g_TempDir.empty() ? std::string() : Path_Resolve(g_TempDir + "\\" + file.FileName);
    case EXPORT_WORKING_DIR: return Path_Resolve(file.FileName);
    case EXPORT_FOLDER: return Path_Resolve(file.ExportFolder + "\\" + file.FileName);
    default: return {};
  }
}

bool WriteContent(const CDataFile& file, const std::string& native_path) {
  if (!file.Stored) return false;
  std::error_code ec;
  if (!file.Overwrite && fs::exists(native_path, ec)) return false;
  std::string_view bytes(reinterpret_cast<const char*>(file.Data.data()), file.Data.size());
  return Path_ReplaceFile(native_path, bytes);
}

}  // namespace

void DataFile_LoadTable(std::vector<RIncludedFile>&& records) {
  g_DataFiles.clear();
  g_DataFiles.reserve(records.size());
  for (RIncludedFile& record : records) {
    CDataFile file;
    file.FileName = std::move(record.fileName);
    file.SourcePath = std::move(record.sourcePath);
    file.Stored = record.stored;
    file.Size = record.size;
    file.HasData = record.hasData;
    if (record.stored && record.hasData) file.Data = std::move(record.data);
    file.ExportMode = record.exportMode;
    file.ExportFolder = std::move(record.exportFolder);
    file.Overwrite = record.overwrite;
    file.FreeAfterExport = record.freeAfterExport;
    file.RemoveAtEnd = record.removeAtEnd;
    g_DataFiles.push_back(std::move(file));
  }
}

void DataFile_Add(CDataFile file) { g_DataFiles.push_back(std::move(file)); }
void DataFile_Clear() { g_DataFiles.clear(); }
int32_t DataFile_Count() { return static_cast<int32_t>(g_DataFiles.size()); }

int32_t DataFile_Find(const std::string& name) {
  for (size_t i = 0; i < g_DataFiles.size(); i++)
    if (g_DataFiles[i].FileName == name) return static_cast<int32_t>(i);
  return -1;
}

CDataFile* DataFile_Get(int32_t index) {
  if (index < 0 || index >= DataFile_Count()) return nullptr;
  return &g_DataFiles[static_cast<size_t>(index)];
}

bool DataFile_Export(CDataFile& file) {
  if (!file.Stored) return false;
  if (file.ExportMode == EXPORT_NONE) return true;
  if (SecureRefusesName(file)) {
    ReportActionError("In secure mode you cannot export a data file to " + file.FileName);
    return false;
  }
  if (file.ExportMode == EXPORT_FOLDER && SecureMode) {
    ReportActionError("In secure mode you cannot export a data file to an indicated directory.");
    return false;
  }
  bool written = false;
  std::string path = ExportPath(file);
  if (!path.empty()) {
    if (file.ExportMode == EXPORT_FOLDER) {
      std::error_code ec;
      fs::create_directories(Path_Resolve(file.ExportFolder), ec);
    }
    written = WriteContent(file, path);
    if (written) file.ExportedPath = path;
  }
  if (file.FreeAfterExport) DataFile_Discard(file);
  return written;
}

bool DataFile_WriteTo(CDataFile& file, const std::string& path) { return WriteContent(file, Path_Resolve(path)); }

void DataFile_Discard(CDataFile& file) {
  if (!file.Stored) return;
  file.Stored = false;
  std::vector<uint8_t>().swap(file.Data);
}

bool DataFile_RemoveExported(CDataFile& file) {
  if (!file.RemoveAtEnd || file.ExportedPath.empty() || SecureRefusesName(file)) return false;
  if (file.ExportMode == EXPORT_FOLDER && SecureMode) return false;
  std::error_code ec;
  bool removed = fs::remove(file.ExportedPath, ec);
  file.ExportedPath.clear();
  return removed;
}

void DataFile_ExportAll() {
  for (CDataFile& file : g_DataFiles) DataFile_Export(file);
}

void DataFile_RemoveAll() {
  for (CDataFile& file : g_DataFiles) DataFile_RemoveExported(file);
}

// ---------------------------------------------------------------------------
// External programs

namespace {

// Programs started without waiting; collected once they end so that they do
// not linger as zombies.
std::vector<pid_t> g_Children;

void ReapChildren() {
  std::erase_if(g_Children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

// Blanks separate arguments; double quotes group blanks into one argument and
// \" stands for a quote, as command lines of the original platform split.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
      current += '"';
      any = true;
      i++;
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) args.push_back(std::move(current));
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(std::move(current));
  return args;
}

bool Start(const std::string& program, std::vector<std::string> args, const std::string& directory, bool wait) {
  ReapChildren();
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  pid_t pid = -1;
  // A bare name is looked up on PATH, anything with a folder is taken as is.
  int error = program.find('/') == std::string::npos
                  ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                  : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  if (!wait) {
    g_Children.push_back(pid);
    return true;
  }
  while (waitpid(pid, nullptr, WNOHANG) == 0) {
    Platform_ProcessMessages();
    Platform_SleepMilliseconds(50);
  }
  return true;
}

}  // namespace

bool Program_Run(const std::string& program, const std::string& arguments, const std::string& directory, bool wait) {
  std::string native = Path_HasFolder(program) ? Path_Resolve(program) : program;
  return Start(native, SplitArguments(arguments), directory, wait);
}

bool Shell_Open(const std::string& file, const std::string& parameters, const std::string& directory) {
  bool address = file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0;
  if (address) return Start("xdg-open", {file}, directory, false);
  std::string native = Path_Resolve(file);
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return false;
  if (S_ISREG(st.st_mode) && access(native.c_str(), X_OK) == 0)
    return Start(native.find('/') == std::string::npos ? "./" + native : native, SplitArguments(parameters), directory,
                 false);
  return Start("xdg-open", {native}, directory, false);
}
