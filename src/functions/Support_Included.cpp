#include "functions/Support_Included.h"

#include <filesystem>
#include <system_error>

#include "code/Code_Error.h"
#include "data/DataNew_Class.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "data/Support_TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<CDataFile> g_DataFiles;

// Secure mode keeps included files out of folders: names with a folder part
// are neither exported nor removed.
bool SecureRefusesName(const CDataFile& file) { return SecureMode && Path_HasFolder(file.FileName); }

// The native path the file's export mode names; empty for mode 0 and for
// modes that do not exist.
std::string ExportPath(const CDataFile& file) {
  switch (file.ExportMode) {
    case EXPORT_TEMP_DIR: return TempDir_Path().empty() ? std::string() : Path_Resolve(TempDir_Path() + "\\" + file.FileName);
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
