#include "functions/File_Fixture.h"

TEST_F(FileTest, TextWriteThenReadBack) {
  RValue f = Call("file_text_open_write", {S("out.txt")});
  ASSERT_EQ(f.real, 1);
  Call("file_text_write_string", {f, S("hello world")});
  Call("file_text_writeln", {f});
  Call("file_text_write_real", {f, N(3.14159)});
  Call("file_text_write_real", {f, N(-2)});
  Call("file_text_writeln", {f});
  Call("file_text_close", {f});
  EXPECT_EQ(ReadWhole("out.txt"), "hello world\r\n 3.1416 -2.0000\r\n");

  f = Call("file_text_open_read", {S("out.txt")});
  ASSERT_EQ(f.real, 1);
  EXPECT_EQ(Call("file_text_read_string", {f}).str, "hello world");
  EXPECT_EQ(Call("file_text_read_string", {f}).str, "");  // the line end is not consumed
  Call("file_text_readln", {f});
  EXPECT_DOUBLE_EQ(Call("file_text_read_real", {f}).real, 3.1416);
  EXPECT_DOUBLE_EQ(Call("file_text_read_real", {f}).real, -2);
  EXPECT_EQ(Call("file_text_eof", {f}).real, 0);
  Call("file_text_readln", {f});
  EXPECT_EQ(Call("file_text_eof", {f}).real, 1);
  // Past the end nothing fails: empty strings and zeros.
  EXPECT_EQ(Call("file_text_read_string", {f}).str, "");
  EXPECT_EQ(Call("file_text_read_real", {f}).real, 0);
  Call("file_text_readln", {f});
  EXPECT_EQ(TakeError(), "");
  Call("file_text_close", {f});
}

TEST_F(FileTest, TextReadsEveryLineEndAndReportsBadNumbers) {
  WriteWhole("in.txt", "a\nb\rc\r\n  12.5e1\n+3 x");
  RValue f = Call("file_text_open_read", {S("in.txt")});
  std::string lines;
  for (int i = 0; i < 3; i++) {
    lines += Call("file_text_read_string", {f}).str;
    Call("file_text_readln", {f});
  }
  EXPECT_EQ(lines, "abc");
  EXPECT_EQ(Call("file_text_read_real", {f}).real, 125);
  EXPECT_EQ(Call("file_text_read_real", {f}).real, 3);
  EXPECT_EQ(Call("file_text_read_real", {f}).real, 0);
  EXPECT_EQ(TakeError(), "Error reading real.");
}

TEST_F(FileTest, RealsKeepTenSignificantDigits) {
  RValue f = Call("file_text_open_write", {S("r.txt")});
  for (double x : {123456789.12345, 0.00001234, 12345678901.0, -0.00001}) Call("file_text_write_real", {f, N(x)});
  Call("file_text_close", {f});
  EXPECT_EQ(ReadWhole("r.txt"), " 123456789.1000 0.0000 1.234567890E+10 0.0000");
}

TEST_F(FileTest, MissingFilesAndBadIds) {
  EXPECT_EQ(Call("file_text_open_read", {S("missing.txt")}).real, -1);
  EXPECT_EQ(TakeError(), "");  // no message for a missing file
  EXPECT_EQ(Call("file_text_open_read", {S(".")}).real, -1);  // a folder is no file

  Call("file_text_read_string", {N(5)});
  EXPECT_EQ(TakeError(), "File is not opened for reading.");
  Call("file_text_write_string", {N(0), S("x")});  // slot 0 is not an id
  EXPECT_EQ(TakeError(), "File is not opened for writing.");
  EXPECT_EQ(Call("file_text_eof", {N(40)}).real, 1);
  EXPECT_EQ(TakeError(), "File is not opened for reading.");
  Call("file_text_close", {N(33)});
  EXPECT_EQ(TakeError(), "Trying to close unexisting text file.");
  Call("file_text_close", {N(7)});  // in range but not open: nothing
  EXPECT_EQ(TakeError(), "");

  RValue f = Call("file_text_open_write", {S("w.txt")});
  Call("file_text_read_string", {f});  // open for writing, not reading
  EXPECT_EQ(TakeError(), "File is not opened for reading.");

  WriteWhole("notafolder", "");  // a file where a folder should be
  EXPECT_EQ(Call("file_text_open_write", {S("notafolder\\x.txt")}).real, -1);
  EXPECT_EQ(TakeError(), "Error opening file for writing.");
  EXPECT_EQ(Call("file_text_open_append", {S("notafolder/x.txt")}).real, -1);
  EXPECT_EQ(TakeError(), "Error opening file for appending.");
  Call("file_open_write", {S("notafolder/x.txt")});
  EXPECT_EQ(TakeError(), "Error opening file for writing.");
  Call("file_write_string", {S("x")});
  EXPECT_EQ(TakeError(), "File not opened for writing.");
}

TEST_F(FileTest, ThirtyTwoTextAndThirtyTwoBinarySlots) {
  for (int i = 1; i <= 32; i++) EXPECT_EQ(Call("file_text_open_write", {S("t" + std::to_string(i))}).real, i);
  EXPECT_EQ(Call("file_text_open_write", {S("t33")}).real, -1);
  EXPECT_EQ(TakeError(), "Cannot open another file (maximum exceeded).");
  EXPECT_FALSE(std::filesystem::exists("t33"));
  EXPECT_EQ(Call("file_bin_open", {S("b1"), N(2)}).real, 1);  // a table of its own
  Call("file_text_close", {N(5)});
  EXPECT_EQ(Call("file_text_open_append", {S("t5")}).real, 5);  // the lowest free slot
  for (int i = 2; i <= 32; i++) EXPECT_EQ(Call("file_bin_open", {S("b" + std::to_string(i)), N(1)}).real, i);
  EXPECT_EQ(Call("file_bin_open", {S("b33"), N(1)}).real, -1);
  EXPECT_EQ(TakeError(), "Cannot open another file (maximum exceeded).");
}

TEST_F(FileTest, AppendAndTheSingleFileFamily) {
  Call("file_open_write", {S("s.txt")});
  Call("file_write_string", {S("one")});
  Call("file_writeln");
  Call("file_open_append", {S("s.txt")});  // closes the file before
  Call("file_write_real", {N(2)});
  Call("file_close");
  EXPECT_EQ(ReadWhole("s.txt"), "one\r\n 2.0000");

  Call("file_open_read", {S("S.TXT")});  // names in any case
  EXPECT_EQ(Call("file_read_string").str, "one");
  Call("file_readln");
  EXPECT_EQ(Call("file_read_real").real, 2);
  EXPECT_EQ(Call("file_eof").real, 1);
  Call("file_write_string", {S("x")});
  EXPECT_EQ(TakeError(), "File not opened for writing.");
  Call("file_open_read", {S("nothing.txt")});
  Call("file_read_string");
  EXPECT_EQ(TakeError(), "File not opened for reading.");
  WriteWhole("bad.txt", "zz");
  Call("file_open_read", {S("bad.txt")});
  Call("file_read_real");
  EXPECT_EQ(TakeError(), "Error reading read.");
}

TEST_F(FileTest, BinaryFiles) {
  RValue b = Call("file_bin_open", {S("data.bin"), N(2)});
  ASSERT_EQ(b.real, 1);
  for (int v : {1, 255, 256 + 7, -1}) Call("file_bin_write_byte", {b, N(v)});
  EXPECT_EQ(Call("file_bin_size", {b}).real, 4);
  EXPECT_EQ(Call("file_bin_position", {b}).real, 4);
  Call("file_bin_seek", {b, N(1)});
  EXPECT_EQ(Call("file_bin_read_byte", {b}).real, 255);
  Call("file_bin_write_byte", {b, N(9)});  // switching direction in place
  EXPECT_EQ(Call("file_bin_read_byte", {b}).real, 255);
  EXPECT_EQ(Call("file_bin_read_byte", {b}).real, 0);  // past the end
  EXPECT_EQ(TakeError(), "Error reading byte.");
  Call("file_bin_seek", {b, N(-1)});
  EXPECT_EQ(TakeError(), "Error seeking.");
  Call("file_bin_close", {b});
  EXPECT_EQ(ReadWhole("data.bin"), std::string("\x01\xff\x09\xff", 4));

  b = Call("file_bin_open", {S("data.bin"), N(0)});  // read only, not truncated
  EXPECT_EQ(Call("file_bin_size", {b}).real, 4);
  Call("file_bin_write_byte", {b, N(1)});
  EXPECT_EQ(TakeError(), "Error writing byte.");
  Call("file_bin_rewrite", {b});
  EXPECT_EQ(TakeError(), "Error rewriting file.");
  Call("file_bin_close", {b});
  EXPECT_EQ(ReadWhole("data.bin").size(), 4u);

  b = Call("file_bin_open", {S("data.bin"), N(1)});  // write only
  Call("file_bin_read_byte", {b});
  EXPECT_EQ(TakeError(), "Error reading byte.");
  Call("file_bin_rewrite", {b});
  EXPECT_EQ(Call("file_bin_size", {b}).real, 0);
  Call("file_bin_close", {b});
  Call("file_bin_close", {b});
  EXPECT_EQ(TakeError(), "Trying to close unopened file.");
  Call("file_bin_rewrite", {N(3)});
  EXPECT_EQ(TakeError(), "Trying to rewrite unopened file.");
  for (const char* f : {"file_bin_size", "file_bin_position", "file_bin_read_byte"}) {
    Call(f, {N(99)});
    EXPECT_EQ(TakeError(), "File is not opened.") << f;
  }
  EXPECT_EQ(Call("file_bin_open", {S("."), N(0)}).real, -1);
  EXPECT_EQ(TakeError(), "Error opening binary file.");
}

TEST_F(FileTest, FileManagement) {
  WriteWhole("a.txt", "A");
  EXPECT_EQ(Call("file_exists", {S("A.TXT")}).real, 1);
  EXPECT_EQ(Call("file_exists", {S(".")}).real, 0);
  Call("file_copy", {S("a.txt"), S("b.txt")});
  EXPECT_EQ(ReadWhole("b.txt"), "A");
  WriteWhole("c.txt", "C");
  Call("file_rename", {S("b.txt"), S("c.txt")});  // never replaces a file
  EXPECT_EQ(ReadWhole("c.txt"), "C");
  EXPECT_TRUE(std::filesystem::exists("b.txt"));
  Call("file_rename", {S("b.txt"), S("d.txt")});
  EXPECT_EQ(ReadWhole("d.txt"), "A");
  Call("file_copy", {S("c.txt"), S("d.txt")});  // copies replace
  EXPECT_EQ(ReadWhole("d.txt"), "C");
  Call("file_delete", {S("D.txt")});
  EXPECT_FALSE(std::filesystem::exists("d.txt"));

  Call("directory_create", {S("Saves\\Slot1\\deep")});
  EXPECT_EQ(Call("directory_exists", {S("saves\\slot1")}).real, 1);
  EXPECT_EQ(Call("directory_exists", {S("a.txt")}).real, 0);
  Call("file_delete", {S("saves")});  // a folder is not deleted as a file
  EXPECT_TRUE(std::filesystem::exists("Saves"));

  EXPECT_EQ(Call("file_attributes", {S("missing"), N(63)}).real, -1);
  EXPECT_EQ(Call("file_attributes", {S("saves"), N(16)}).real, 1);
  EXPECT_EQ(Call("file_attributes", {S("a.txt"), N(16)}).real, 0);
  std::filesystem::permissions("a.txt", std::filesystem::perms::owner_read);
  EXPECT_EQ(Call("file_attributes", {S("a.txt"), N(1)}).real, 1);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileTest, FindFilesByMaskAndAttributes) {
  std::filesystem::create_directory("Dir");
  for (const char* name : {"b.TXT", "a.txt", "c.dat", ".hidden.txt", "Dir/inner.txt"}) WriteWhole(name, "x");
  auto all = [&](const char* mask, int attributes) {
    std::string names = Call("file_find_first", {S(mask), N(attributes)}).str;
    for (std::string next; !(next = Call("file_find_next").str).empty();) names += "," + next;
    return names;
  };
  EXPECT_EQ(all("*.txt", 0), "a.txt,b.TXT");
  EXPECT_EQ(all("*.txt", 2), ".hidden.txt,a.txt,b.TXT");
  EXPECT_EQ(all("*", 16), ".,..,Dir,a.txt,b.TXT,c.dat");
  EXPECT_EQ(all("?.dat", 0), "c.dat");
  EXPECT_EQ(all("dir\\*.*", 0), "inner.txt");
  EXPECT_EQ(all("nothing*", 0), "");
  Call("file_find_first", {S("*"), N(0)});
  Call("file_find_close");
  EXPECT_EQ(Call("file_find_next").str, "");
}

TEST_F(FileTest, FileNames) {
  struct {
    const char* function;
    const char* in;
    const char* out;
  } cases[] = {
      {"filename_name", "C:\\games\\save.dat", "save.dat"},
      {"filename_name", "C:save.dat", "save.dat"},
      {"filename_name", "/home/p/save.dat", "save.dat"},
      {"filename_path", "C:\\games\\save.dat", "C:\\games\\"},
      {"filename_path", "save.dat", ""},
      {"filename_dir", "C:\\games\\save.dat", "C:\\games"},
      {"filename_dir", "C:\\save.dat", "C:\\"},
      {"filename_dir", "C:save.dat", "C:"},
      {"filename_dir", "save.dat", ""},
      {"filename_drive", "C:\\games\\save.dat", "C:"},
      {"filename_drive", "\\\\server\\share\\dir\\x", "\\\\server\\share"},
      {"filename_drive", "games\\x", ""},
      {"filename_ext", "C:\\games.v2\\save.dat", ".dat"},
      {"filename_ext", "C:\\games.v2\\save", ""},
      {"filename_ext", "archive.tar.gz", ".gz"},
  };
  for (const auto& c : cases) EXPECT_EQ(Call(c.function, {S(c.in)}).str, c.out) << c.function << " " << c.in;
  EXPECT_EQ(Call("filename_change_ext", {S("a.b\\save.dat"), S(".bak")}).str, "a.b\\save.bak");
  EXPECT_EQ(Call("filename_change_ext", {S("a.b\\save"), S(".bak")}).str, "a.b\\save.bak");
  EXPECT_EQ(Call("filename_change_ext", {S("save.dat"), S("")}).str, "save");
}

TEST_F(FileTest, CommandLineEnvironmentAndDirectories) {
  File_SetCommandLine("/opt/games/mygame", {"-level", "3"});
  EXPECT_EQ(Call("parameter_count").real, 2);
  EXPECT_EQ(Call("parameter_string", {N(0)}).str, "/opt/games/mygame");
  EXPECT_EQ(Call("parameter_string", {N(2)}).str, "3");
  EXPECT_EQ(Call("parameter_string", {N(3)}).str, "");
  EXPECT_EQ(Call("parameter_string", {N(-1)}).str, "");
  EXPECT_EQ(File_ProgramDirectory(), "/opt/games");
  EXPECT_EQ(File_WorkingDirectory(), std::filesystem::current_path().string());
  setenv("VL_TEST_VARIABLE", "value", 1);
  EXPECT_EQ(Call("environment_get_variable", {S("VL_TEST_VARIABLE")}).str, "value");
  EXPECT_EQ(Call("environment_get_variable", {S("VL_NO_SUCH_VARIABLE")}).str, "");
  File_SetCommandLine("", {});
}
