#include "functions/File_Fixture.h"

// Every built-in that secure mode restricts: refused with its message when a
// name has a folder part (or always, for the unconditional ones), and
// nothing touched on disk.
TEST_F(FileTest, SecureModeRefusesEachRestrictedBuiltin) {
  std::filesystem::create_directory("sub");
  WriteWhole("sub/keep.txt", "keep");
  WriteWhole("plain.txt", "plain");
  SecureMode = true;
  struct {
    const char* function;
    std::vector<RValue> args;
    const char* message;
    double result = 0;
  } cases[] = {
      {"file_text_open_write", {S("sub\\new.txt")}, "In secure mode you cannot write file sub\\new.txt", -1},
      {"file_text_open_append", {S("sub/keep.txt")}, "In secure mode you cannot append to file sub/keep.txt", -1},
      {"file_open_write", {S("sub\\new.txt")}, "In secure mode you cannot write file sub\\new.txt"},
      {"file_open_append", {S("sub\\keep.txt")}, "In secure mode you cannot append to file sub\\keep.txt"},
      {"file_bin_open", {S("sub\\keep.txt"), N(1)}, "In secure mode you cannot write file sub\\keep.txt", -1},
      {"file_bin_open", {S("sub\\keep.txt"), N(2)}, "In secure mode you cannot write file sub\\keep.txt", -1},
      {"file_delete", {S("sub\\keep.txt")}, "In Secure mode you cannot delete file sub\\keep.txt"},
      {"file_rename", {S("plain.txt"), S("sub\\x.txt")}, "In Secure mode you cannot rename file plain.txt into sub\\x.txt"},
      {"file_copy", {S("sub\\keep.txt"), S("copy.txt")}, "In Secure mode you cannot copy file sub\\keep.txt to copy.txt"},
      {"directory_create", {S("sub\\made")}, "In Secure mode you cannot create directory sub\\made"},
      {"execute_program", {S("/bin/true"), S(""), N(1)}, "In Secure mode you cannot execute program /bin/true"},
      {"execute_program", {S("true"), S(""), N(0)}, "In Secure mode you cannot execute program true"},
      {"execute_shell", {S("plain.txt"), S("")}, "In Secure mode you cannot execute program plain.txt"},
      {"registry_write_string_ext", {S("Software\\Other"), S("n"), S("v")},
       "In Secure mode you cannot write registry entries in Software\\Other"},
      {"registry_write_real_ext", {S("Software\\Other"), S("n"), N(1)},
       "In Secure mode you cannot write registry entries in Software\\Other"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Call(c.function, c.args).real, c.result) << c.function;
    EXPECT_EQ(TakeError(), c.message) << c.function;
  }
  EXPECT_EQ(ReadWhole("sub/keep.txt"), "keep");
  EXPECT_FALSE(std::filesystem::exists("sub/new.txt"));
  EXPECT_FALSE(std::filesystem::exists("sub/x.txt"));
  EXPECT_FALSE(std::filesystem::exists("copy.txt"));
  EXPECT_FALSE(std::filesystem::exists("sub/made"));
  EXPECT_EQ(Call("registry_exists_ext", {S("Software\\Other"), S("n")}).real, 0);

  // Plain names in the working directory stay allowed, and so does reading.
  RValue f = Call("file_text_open_write", {S("ok.txt")});
  EXPECT_EQ(f.real, 1);
  Call("file_text_close", {f});
  EXPECT_EQ(Call("file_text_open_read", {S("sub\\keep.txt")}).real, 1);
  EXPECT_EQ(Call("file_bin_open", {S("sub\\keep.txt"), N(0)}).real, 1);
  // Reading does not create files outside the game's folder either.
  EXPECT_EQ(Call("file_bin_open", {S("sub\\none.bin"), N(0)}).real, -1);
  EXPECT_EQ(TakeError(), "Error opening binary file.");
  EXPECT_FALSE(std::filesystem::exists("sub/none.bin"));
  Call("file_copy", {S("plain.txt"), S("copy.txt")});
  EXPECT_EQ(ReadWhole("copy.txt"), "plain");
  Call("registry_write_string", {S("own"), S("allowed")});
  EXPECT_EQ(Call("registry_read_string", {S("own")}).str, "allowed");
  EXPECT_EQ(TakeError(), "");
}

// Secure mode comes from the preferences key: "Warning" decides, and an
// existing "VelmoraRunning" must agree.
TEST_F(FileTest, SecureModeFromThePreferences) {
  const char* key = "\\Software\\Velmora\\Version 7\\Preferences";
  auto integer = [](int64_t v) {
    RRegistryValue value;
    value.kind = REGISTRY_INTEGER;
    value.integer = v;
    return value;
  };
  SecureMode = true;
  File_LoadSecureMode();
  EXPECT_FALSE(SecureMode);  // no key at all

  RRegistryValue text;
  text.text = "something";
  ASSERT_TRUE(Registry_Write(REGISTRY_CURRENT_USER, key, "Other", text));
  File_LoadSecureMode();
  EXPECT_FALSE(SecureMode);  // the key without "Warning"

  Registry_Write(REGISTRY_CURRENT_USER, key, "Warning", integer(1));
  File_LoadSecureMode();
  EXPECT_TRUE(SecureMode);  // no "VelmoraRunning": Warning holds

  Registry_Write(REGISTRY_CURRENT_USER, key, "VelmoraRunning", integer(0));
  File_LoadSecureMode();
  EXPECT_FALSE(SecureMode);

  Registry_Write(REGISTRY_CURRENT_USER, key, "VelmoraRunning", integer(1));
  File_LoadSecureMode();
  EXPECT_TRUE(SecureMode);

  Registry_Write(REGISTRY_CURRENT_USER, key, "Warning", integer(0));
  File_LoadSecureMode();
  EXPECT_FALSE(SecureMode);

  Registry_Write(REGISTRY_CURRENT_USER, key, "Warning", text);  // damaged: errs towards secure
  File_LoadSecureMode();
  EXPECT_TRUE(SecureMode);
}
