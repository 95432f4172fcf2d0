#include "functions/File_Fixture.h"
#include "data/Support_Path.h"

TEST_F(FileTest, PathsOfTheOriginalPlatform) {
  std::filesystem::create_directories("Data/Levels");
  WriteWhole("Data/Levels/One.TXT", "1");
  WriteWhole("Data/levels.txt", "x");
  std::string dir = m_Dir.string();
  struct {
    std::string in, out;
  } cases[] = {
      {"Data\\Levels\\One.TXT", "Data/Levels/One.TXT"},   // as written
      {"data\\LEVELS\\one.txt", "Data/Levels/One.TXT"},   // folder by folder
      {"DATA/levels/new.txt", "Data/Levels/new.txt"},     // a new file keeps its name
      {"data\\missing\\Deeper\\x", "Data/missing/Deeper/x"},  // nothing after a missing folder is looked up
      {"data\\levels\\", "Data/Levels/"},
      {".\\data\\..\\DATA\\levels.TXT", "./Data/../Data/levels.txt"},
      {"C:" + dir + "\\DATA", dir + "/Data"},             // drive letters name the root
      {"c:\\", "/"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Path_Resolve(c.in), c.out) << c.in;
  EXPECT_TRUE(Path_HasFolder("a\\b"));
  EXPECT_TRUE(Path_HasFolder("a/b"));
  EXPECT_FALSE(Path_HasFolder("C:ab"));
}

TEST_F(FileTest, ReplaceFileIsAtomicAndKeepsPermissions) {
  WriteWhole("target.txt", "old");
  std::filesystem::permissions("target.txt", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink("target.txt", "link.txt");
  ASSERT_TRUE(Path_ReplaceFile("link.txt", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink("link.txt"));  // the link still points to the file
  EXPECT_EQ(ReadWhole("target.txt"), "new");
  EXPECT_EQ(std::filesystem::status("target.txt").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_FALSE(Path_ReplaceFile("no/such/folder/file.txt", "x"));
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(".")) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2);  // no temporary file left behind
}
