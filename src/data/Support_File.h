// Support_File: the per-run temporary directory, the included files and the
// start of external programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates the run's temporary directory "vl_ttt_N" under $TMPDIR (else /tmp),
// falling back to the current directory. Shows "Failed to create temp dir.
// This can cause serious problems with sounds, etc." when all fail.
void TempDir_Create();
// Removes the directory and the files inside it.
void TempDir_Remove();
// The directory's path without a trailing separator; empty when there is none.
const std::string& TempDir_Path();
// A fresh file name in the directory: "a", a random number below 100000 and
// the extension; the file is not created.
std::string TempDir_NewFileName(const std::string& extension);

// ---------------------------------------------------------------------------
// Included files: files the game carries and writes to disk at start or when
// a script asks. In secure mode no file name with a folder part is exported
// or removed, and nothing goes to a folder the game names.

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

// ---------------------------------------------------------------------------
// External programs

// Starts `program` with an argument text split the way the original
// platform's command lines split (blanks separate, double quotes group), in
// `directory`. With wait, returns only after the program ended, processing
// window messages every 50 ms. False when the program could not be started.
bool Program_Run(const std::string& program, const std::string& arguments, const std::string& directory, bool wait);
// Lets the desktop open a document or address (xdg-open); an executable file
// is started with the parameters instead. False when the file does not exist
// or nothing could be started.
bool Shell_Open(const std::string& file, const std::string& parameters, const std::string& directory);
