// Support_Included: the included files, which the game carries and writes to
// disk at start or when a script asks. In secure mode no file name with a
// folder part is exported or removed, and nothing goes to a folder the game
// names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where an included file is exported.
enum : int32_t {
  EXPORT_NONE = 0,
  EXPORT_TEMP_DIR = 1,
  EXPORT_WORKING_DIR = 2,
  EXPORT_FOLDER = 3,  // the file's own ExportFolder
};

class CDataFile {
 public:
  std::string FileName;    // the name it is exported under
  std::string SourcePath;  // where the author took it from
  bool Stored = false;     // the content is part of the game
  int32_t Size = 0;
  bool HasData = false;
  std::vector<uint8_t> Data;  // the content, while stored
  int32_t ExportMode = EXPORT_NONE;
  std::string ExportFolder;
  bool Overwrite = false;        // replace an existing file when exporting
  bool FreeAfterExport = false;  // drop the content once exported
  bool RemoveAtEnd = false;      // delete the exported file when the game ends
  // The file an export of this run wrote, which remove deletes; empty when
  // none, so a file the player already had is never removed.
  std::string ExportedPath;
};

struct RIncludedFile;

// The table, in the order of the game file.
// Fills the table from the records of the included files section; their
// contents are moved, not copied.
void DataFile_LoadTable(std::vector<RIncludedFile>&& records);
void DataFile_Add(CDataFile file);
void DataFile_Clear();
int32_t DataFile_Count();
// First entry whose name equals `name` exactly, or -1.
int32_t DataFile_Find(const std::string& name);
// The entry, or nullptr outside 0 .. count-1.
CDataFile* DataFile_Get(int32_t index);

// Exports by the file's own mode; false when nothing was written.
bool DataFile_Export(CDataFile& file);
// Writes the content to a game path when the file is stored and the target
// does not exist or overwrite is set; false when nothing was written.
bool DataFile_WriteTo(CDataFile& file, const std::string& path);
// Drops the content (the file is no longer stored).
void DataFile_Discard(CDataFile& file);
// Deletes what the export of this run wrote, when remove-at-end is set.
bool DataFile_RemoveExported(CDataFile& file);
// Export every entry at load; remove every exported file at the end.
void DataFile_ExportAll();
void DataFile_RemoveAll();
