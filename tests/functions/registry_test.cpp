#include <sys/wait.h>

#include "functions/File_Fixture.h"

TEST_F(FileTest, RegistryBuiltinsUnderTheGameKey) {
  File_SetGameId(4242);
  EXPECT_EQ(Call("registry_read_real", {S("missing")}).real, 0);
  EXPECT_EQ(Call("registry_read_string", {S("missing")}).str, "");
  EXPECT_EQ(Call("registry_exists", {S("missing")}).real, 0);
  EXPECT_FALSE(Registry_KeyExists(REGISTRY_CURRENT_USER, "Software\\Velmora\\4242"));  // reading creates nothing

  Call("registry_write_string", {S("name"), S("Ann")});
  Call("registry_write_real", {S("best"), N(-12.75)});
  EXPECT_EQ(Call("registry_read_string", {S("NAME")}).str, "Ann");
  EXPECT_EQ(Call("registry_read_real", {S("best")}).real, -12.75);
  EXPECT_EQ(Call("registry_exists", {S("best")}).real, 1);
  // A value of the other kind cannot be read as this one.
  EXPECT_EQ(Call("registry_read_real", {S("name")}).real, 0);
  EXPECT_EQ(Call("registry_read_string", {S("best")}).str, "");
  Call("registry_write_real", {S("name"), N(3)});  // a write replaces value and kind
  EXPECT_EQ(Call("registry_read_real", {S("name")}).real, 3);

  // The same key through the _ext built-ins, written in another way.
  EXPECT_EQ(Call("registry_read_real_ext", {S("\\software\\VELMORA\\4242\\"), S("best")}).real, -12.75);
  EXPECT_TRUE(Registry_KeyExists(REGISTRY_CURRENT_USER, "Software\\Velmora"));  // parents exist too

  // Another game does not see these values.
  File_SetGameId(7);
  EXPECT_EQ(Call("registry_exists", {S("best")}).real, 0);
  File_SetGameId(0);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileTest, RegistryRoots) {
  Call("registry_write_string_ext", {S("Software\\Test"), S("v"), S("user")});
  Call("registry_set_root", {N(1)});
  EXPECT_EQ(Call("registry_exists_ext", {S("Software\\Test"), S("v")}).real, 0);
  Call("registry_write_real_ext", {S("Software\\Test"), S("v"), N(1)});
  EXPECT_EQ(Call("registry_read_real_ext", {S("Software\\Test"), S("v")}).real, 1);
  Call("registry_set_root", {N(7)});  // anything else is the current user
  EXPECT_EQ(Call("registry_read_string_ext", {S("Software\\Test"), S("v")}).str, "user");
  Call("registry_set_root", {N(3)});
  EXPECT_EQ(Call("registry_read_string_ext", {S("Software\\Test"), S("v")}).str, "");
  // The plain built-ins always work under the current user.
  Call("registry_write_string", {S("plain"), S("x")});
  Call("registry_set_root", {N(0)});
  EXPECT_EQ(Call("registry_read_string", {S("plain")}).str, "x");
}

TEST_F(FileTest, RegistryStoreThatCannotOpenFailsQuietly) {
  WriteWhole("velmora", "a file where the folder should be");
  Registry_Close();
  Call("registry_write_string", {S("a"), S("b")});
  EXPECT_EQ(Call("registry_read_string", {S("a")}).str, "");
  EXPECT_EQ(Call("registry_exists", {S("a")}).real, 0);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileTest, RegistryStoreThatIsCorruptFailsQuietly) {
  std::filesystem::create_directory("velmora");
  WriteWhole("velmora/registry.sqlite", std::string(4096, 'Z'));
  Registry_Close();
  Call("registry_write_real", {S("a"), N(1)});
  EXPECT_EQ(Call("registry_read_real", {S("a")}).real, 0);
  EXPECT_EQ(ReadWhole("velmora/registry.sqlite"), std::string(4096, 'Z'));  // not overwritten
}

// Two running games writing at the same moment: every value arrives.
TEST_F(FileTest, RegistryTwoWritersLoseNothing) {
  Registry_Close();
  constexpr int kValues = 150;
  pid_t children[2];
  for (int c = 0; c < 2; c++) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      RRegistryValue value;
      value.kind = REGISTRY_REAL;
      bool ok = true;
      for (int i = 0; i < kValues; i++) {
        value.real = c * 1000 + i;
        ok = Registry_Write(REGISTRY_CURRENT_USER, "Software\\Shared", "v" + std::to_string(c * 1000 + i), value) && ok;
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int c = 0; c < 2; c++)
    for (int i = 0; i < kValues; i++) {
      RRegistryValue value;
      ASSERT_TRUE(Registry_Read(REGISTRY_CURRENT_USER, "Software\\Shared", "v" + std::to_string(c * 1000 + i), value));
      EXPECT_EQ(value.real, c * 1000 + i);
    }
}
