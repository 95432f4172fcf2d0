#include "functions/File_Fixture.h"
#include "functions/Support_Ini.h"

TEST(IniDocument, ProfileSemantics) {
  CIniDocument ini;
  ini.Parse(
      "; comment\r\n"
      "orphan=before any section\r\n"
      "[Main]\r\n"
      "  Name = \"quoted value\" \r\n"
      "name=second is ignored\r\n"
      "single='x'\r\n"
      "half=\"x\r\n"
      "empty=\r\n"
      "no equals sign\r\n"
      "\r\n"
      "[main]\r\n"
      "dup=in the second section\r\n"
      "[Other\r\n"
      "k=v\r\n");
  std::string value;
  EXPECT_TRUE(ini.Read("MAIN", "name", value));
  EXPECT_EQ(value, "quoted value");
  EXPECT_TRUE(ini.Read("main", "single", value));
  EXPECT_EQ(value, "x");
  EXPECT_TRUE(ini.Read("main", "half", value));
  EXPECT_EQ(value, "\"x");
  EXPECT_TRUE(ini.Read("main", "empty", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(ini.Read("main", "dup", value));  // only the first section counts
  EXPECT_FALSE(ini.Read("main", "no equals sign", value));
  EXPECT_FALSE(ini.Read("", "orphan", value));
  EXPECT_TRUE(ini.Read("other", "k", value));  // a header without "]"
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("none"));
  EXPECT_TRUE(ini.KeyExists("Main", "EMPTY"));
  EXPECT_FALSE(ini.KeyExists("none", "k"));
}

TEST(IniDocument, WritesChangeOnlyTheirLine) {
  CIniDocument ini;
  ini.Parse("; keep me\n[a]\nx = 1 ; old\n\n\n[b]\ny=2\n");
  ini.Write("A", "X", "10");   // rewritten in place
  ini.Write("a", "z", "3");    // after the last non-blank line of [a]
  ini.Write("c", "w", "4");    // a new section at the end
  ini.Write("b", "v", "line\r\nbreak");  // cannot add lines
  EXPECT_EQ(ini.Text(), "; keep me\n[a]\nX=10\nz=3\n\n\n[b]\ny=2\nv=line  break\n[c]\nw=4\n");
  EXPECT_TRUE(ini.DeleteKey("a", "x"));
  EXPECT_FALSE(ini.DeleteKey("a", "x"));
  EXPECT_TRUE(ini.DeleteSection("B"));
  EXPECT_FALSE(ini.DeleteSection("b"));
  EXPECT_EQ(ini.Text(), "; keep me\n[a]\nz=3\n\n\n[c]\nw=4\n");

  CIniDocument fresh;  // a new file uses CR LF
  fresh.Write("s", "k", "v");
  EXPECT_EQ(fresh.Text(), "[s]\r\nk=v\r\n");
  fresh.Parse("");
  EXPECT_EQ(fresh.Text(), "");
}

TEST(IniNumbers, TheNumberRule) {
  struct {
    const char* text;
    double value;
  } cases[] = {
      {"2,5e-1", 0.25}, {"+3", 0},     {"-1.5", -1.5},   {"0.3", 0.3},      {"12abc", 12}, {"1.2.3", 1.2},
      {"1e2e3", 100},   {"1e-2", 0.01}, {"--4", 4},       {" 5", 0},         {"", 0},      {"1e99999", 0},
      {"3E1", 30},      {"-2e-1-", -20}, {".5", 0.5},      {"1,5", 1.5},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Ini_TextToReal(c.text), c.value) << c.text;
  // What is written reads back the same.
  for (double x : {0.0, 1.0, -2.5, 1e20, 1.5e-7, 123456789012345.0, 0.1, 1.0 / 3})
    EXPECT_DOUBLE_EQ(Ini_TextToReal(Ini_RealToText(x)), std::stod(Ini_RealToText(x))) << x;
  EXPECT_EQ(Ini_RealToText(1e20), "1E20");
  EXPECT_EQ(Ini_RealToText(1.5e-7), "1.5E-7");
  EXPECT_EQ(Ini_RealToText(0.25), "0.25");
  EXPECT_DOUBLE_EQ(Ini_TextToReal(Ini_RealToText(1e20)), 1e20);
}

TEST_F(FileTest, IniBuiltins) {
  Call("ini_read_string", {S("s"), S("k"), S("d")});
  EXPECT_EQ(TakeError(), "Trying to read from undefined INI file");
  Call("ini_write_real", {S("s"), S("k"), N(1)});
  EXPECT_EQ(TakeError(), "Trying to write to undefined INI file");
  Call("ini_section_delete", {S("s")});
  EXPECT_EQ(TakeError(), "Trying to change undefined INI file");
  Call("ini_open", {S("sub\\game.ini")});
  EXPECT_EQ(TakeError(), "INI files must be located in the same directory as the program");

  Call("ini_open", {S("game.ini")});
  EXPECT_FALSE(std::filesystem::exists("game.ini"));  // opening creates nothing
  EXPECT_EQ(Call("ini_read_string", {S("s"), S("k"), S("default")}).str, "default");
  EXPECT_EQ(Call("ini_read_real", {S("s"), S("k"), N(2.5)}).real, 2.5);
  EXPECT_EQ(Call("ini_section_exists", {S("s")}).real, 0);
  Call("ini_write_string", {S("Player"), S("Name"), S("Ann")});
  Call("ini_write_real", {S("Player"), S("Score"), N(1234.5)});
  Call("ini_write_real", {S("Player"), S("Big"), N(1e20)});
  EXPECT_EQ(ReadWhole("game.ini"), "[Player]\r\nName=Ann\r\nScore=1234.5\r\nBig=1E20\r\n");  // every write lands at once
  EXPECT_EQ(Call("ini_read_real", {S("player"), S("big"), N(0)}).real, 1e20);
  EXPECT_EQ(Call("ini_read_real", {S("player"), S("name"), N(7)}).real, 0);  // text reads as 0
  EXPECT_EQ(Call("ini_key_exists", {S("PLAYER"), S("score")}).real, 1);

  // Another program changes the file: the next read sees it.
  WriteWhole("game.ini", "[player]\nname=Bob\n");
  EXPECT_EQ(Call("ini_read_string", {S("Player"), S("Name"), S("")}).str, "Bob");
  Call("ini_key_delete", {S("player"), S("name")});
  EXPECT_EQ(ReadWhole("game.ini"), "[player]\n");
  Call("ini_section_delete", {S("player")});
  EXPECT_EQ(Call("ini_section_exists", {S("player")}).real, 0);
  Call("ini_close");
  Call("ini_key_exists", {S("a"), S("b")});
  EXPECT_EQ(TakeError(), "Trying to read from undefined INI file");

  // An existing file of another case is the one opened.
  WriteWhole("Config.INI", "[a]\nb=1\n");
  Call("ini_open", {S("config.ini")});
  EXPECT_EQ(Call("ini_read_real", {S("a"), S("b"), N(0)}).real, 1);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileTest, IniWriteFailureLeavesTheFileAlone) {
  // A folder where the file should be: no write can replace it.
  std::filesystem::create_directory("game.ini");
  Call("ini_open", {S("game.ini")});
  Call("ini_write_string", {S("a"), S("b"), S("2")});
  EXPECT_EQ(TakeError(), "");  // silent, as the profile functions are
  EXPECT_EQ(Call("ini_read_string", {S("a"), S("b"), S("none")}).str, "none");  // the failed change is forgotten
  EXPECT_TRUE(std::filesystem::is_directory("game.ini"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
}
