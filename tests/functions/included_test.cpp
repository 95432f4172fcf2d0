#include "data/DataNew_Class.h"
#include "functions/File_Fixture.h"

namespace {

CDataFile Included(const std::string& name, int32_t mode, const std::string& content) {
  CDataFile file;
  file.FileName = name;
  file.Stored = file.HasData = true;
  file.Data.assign(content.begin(), content.end());
  file.Size = static_cast<int32_t>(content.size());
  file.ExportMode = mode;
  return file;
}

}  // namespace

TEST_F(FileTest, IncludedFilesExportByMode) {
  TempDir_Create();
  ASSERT_FALSE(TempDir_Path().empty());
  CDataFile to_temp = Included("temp.txt", EXPORT_TEMP_DIR, "T");
  to_temp.RemoveAtEnd = true;
  DataFile_Add(to_temp);
  CDataFile to_work = Included("work.txt", EXPORT_WORKING_DIR, "W");
  to_work.RemoveAtEnd = true;
  to_work.FreeAfterExport = true;
  DataFile_Add(to_work);
  CDataFile to_folder = Included("folder.txt", EXPORT_FOLDER, "F");
  to_folder.ExportFolder = (m_Dir / "Out\\Deep").string();
  DataFile_Add(to_folder);
  DataFile_Add(Included("none.txt", EXPORT_NONE, "N"));
  DataFile_Add(Included("bad.txt", 9, "B"));
  WriteWhole("keep.txt", "player's own");
  CDataFile existing = Included("keep.txt", EXPORT_WORKING_DIR, "game's");
  existing.RemoveAtEnd = existing.FreeAfterExport = true;
  DataFile_Add(existing);

  DataFile_ExportAll();
  EXPECT_EQ(ReadWhole(TempDir_Path() + "/temp.txt"), "T");
  EXPECT_EQ(ReadWhole("work.txt"), "W");
  EXPECT_EQ(ReadWhole("Out/Deep/folder.txt"), "F");
  EXPECT_FALSE(std::filesystem::exists("none.txt"));
  EXPECT_FALSE(std::filesystem::exists("bad.txt"));
  // Not overwritten, yet the content is dropped as asked.
  EXPECT_EQ(ReadWhole("keep.txt"), "player's own");
  EXPECT_FALSE(DataFile_Get(DataFile_Find("keep.txt"))->Stored);
  EXPECT_FALSE(DataFile_Get(DataFile_Find("work.txt"))->Stored);
  EXPECT_TRUE(DataFile_Get(DataFile_Find("temp.txt"))->Stored);

  DataFile_RemoveAll();
  EXPECT_FALSE(std::filesystem::exists(TempDir_Path() + "/temp.txt"));
  EXPECT_FALSE(std::filesystem::exists("work.txt"));
  EXPECT_TRUE(std::filesystem::exists("Out/Deep/folder.txt"));  // not marked for removal
  EXPECT_EQ(ReadWhole("keep.txt"), "player's own");  // never written by the game, never removed
  EXPECT_EQ(TakeError(), "");
  TempDir_Remove();
}

TEST_F(FileTest, IncludedFileBuiltins) {
  DataFile_Add(Included("Data.txt", EXPORT_WORKING_DIR, "D"));
  EXPECT_EQ(DataFile_Find("data.txt"), -1);  // names compare exactly
  EXPECT_EQ(DataFile_Get(5), nullptr);
  EXPECT_EQ(DataFile_Get(-1), nullptr);
  Call("export_include_file", {S("data.txt")});
  EXPECT_EQ(TakeError(), "Trying to export non-existing file.");
  Call("export_include_file_location", {S("x"), S("y")});
  EXPECT_EQ(TakeError(), "Trying to export non-existing file.");
  Call("discard_include_file", {S("x")});
  EXPECT_EQ(TakeError(), "Trying to discard non-existing file.");

  Call("export_include_file", {S("Data.txt")});
  EXPECT_EQ(ReadWhole("Data.txt"), "D");
  Call("export_include_file_location", {S("Data.txt"), S("copy.txt")});
  EXPECT_EQ(ReadWhole("copy.txt"), "D");
  Call("export_include_file_location", {S("Data.txt"), S("copy.txt")});  // overwrite is off
  SecureMode = true;
  Call("export_include_file_location", {S("Data.txt"), S("other.txt")});
  EXPECT_EQ(TakeError(), "In secure mode you cannot export a file to a location.");
  EXPECT_FALSE(std::filesystem::exists("other.txt"));
  SecureMode = false;

  Call("discard_include_file", {S("Data.txt")});
  std::filesystem::remove("Data.txt");
  Call("export_include_file", {S("Data.txt")});  // silently nothing: not stored
  EXPECT_FALSE(std::filesystem::exists("Data.txt"));
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileTest, IncludedFilesInSecureMode) {
  TempDir_Create();
  DataFile_Add(Included("sub\\a.txt", EXPORT_TEMP_DIR, "A"));
  CDataFile folder = Included("b.txt", EXPORT_FOLDER, "B");
  folder.ExportFolder = "elsewhere";
  DataFile_Add(folder);
  SecureMode = true;
  EXPECT_FALSE(DataFile_Export(*DataFile_Get(0)));
  EXPECT_EQ(TakeError(), "In secure mode you cannot export a data file to sub\\a.txt");
  EXPECT_FALSE(DataFile_Export(*DataFile_Get(1)));
  EXPECT_EQ(TakeError(), "In secure mode you cannot export a data file to an indicated directory.");
  EXPECT_FALSE(std::filesystem::exists("elsewhere"));
  SecureMode = false;
  std::filesystem::create_directory(TempDir_Path() + "/sub");
  EXPECT_TRUE(DataFile_Export(*DataFile_Get(0)));
  EXPECT_EQ(ReadWhole(TempDir_Path() + "/sub/a.txt"), "A");
  TempDir_Remove();
}

TEST_F(FileTest, ExecuteProgramAndShell) {
  Call("execute_program", {S("/bin/sh"), S("-c \"echo started > out.txt\""), N(1)});
  EXPECT_EQ(ReadWhole("out.txt"), "started\n");  // waited for the end
  Call("execute_program", {S("sh"), S("-c \"exit 3\""), N(1)});  // found on PATH
  EXPECT_EQ(TakeError(), "");
  Call("execute_program", {S("C:\\no\\such\\program.exe"), S(""), N(0)});
  EXPECT_EQ(TakeError(), "Cannot execute C:\\no\\such\\program.exe");

  WriteWhole("Tool.sh", "#!/bin/sh\necho \"$1\" > shell.txt\n");
  std::filesystem::permissions("Tool.sh", std::filesystem::perms::owner_all);
  Call("execute_shell", {S("tool.sh"), S("\"two words\"")});
  EXPECT_EQ(TakeError(), "");
  for (int i = 0; i < 1000 && ReadWhole("shell.txt").empty(); i++) usleep(10000);
  EXPECT_EQ(ReadWhole("shell.txt"), "two words\n");
  Call("execute_shell", {S("missing.doc"), S("")});
  EXPECT_EQ(TakeError(), "Cannot execute missing.doc");
}

TEST_F(FileTest, TableFromTheGameFileRecords) {
  std::vector<RIncludedFile> records(2);
  records[0].fileName = "a.txt";
  records[0].hasData = true;
  records[0].data = {'h', 'i'};
  records[0].exportMode = EXPORT_WORKING_DIR;
  records[1].fileName = "b.txt";
  records[1].stored = false;
  records[1].exportMode = EXPORT_WORKING_DIR;
  DataFile_LoadTable(std::move(records));
  ASSERT_EQ(DataFile_Count(), 2);
  EXPECT_TRUE(DataFile_Get(0)->RemoveAtEnd);
  DataFile_ExportAll();
  EXPECT_EQ(ReadWhole("a.txt"), "hi");
  EXPECT_FALSE(std::filesystem::exists("b.txt"));  // not stored: nothing to write
  DataFile_RemoveAll();
  EXPECT_FALSE(std::filesystem::exists("a.txt"));
}
