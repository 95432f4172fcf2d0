// A game killed while it writes its INI file and registry values leaves the
// earlier or the new content, never a broken file.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include "functions/File_Fixture.h"
#include "functions/Support_Ini.h"

namespace {

const std::string kPad(65536, 'p');  // makes every write long enough to be cut

[[noreturn]] void WriteForever() {
  CIniFile ini("game.ini");
  ini.Write("data", "pad", kPad);
  RRegistryValue blob, counter;
  counter.kind = REGISTRY_REAL;
  for (int i = 1;; i++) {
    ini.Write("data", "n", std::to_string(i));
    ini.Write("data", "m", std::to_string(i));
    blob.text = kPad + std::to_string(i);
    Registry_Write(REGISTRY_CURRENT_USER, "Software\\Crash", "blob", blob);
    counter.real = i;
    Registry_Write(REGISTRY_CURRENT_USER, "Software\\Crash", "counter", counter);
  }
}

double Counter() {
  RRegistryValue value;
  return Registry_Read(REGISTRY_CURRENT_USER, "Software\\Crash", "counter", value) ? value.real : 0;
}

}  // namespace

TEST_F(FileTest, KilledWhileWritingLeavesWholeFiles) {
  for (int round = 1; round <= 3; round++) {
    Registry_Close();
    double before = Counter();
    Registry_Close();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) WriteForever();
    // Let the child get some way in, further each round, then kill it.
    int status = 0;
    while (Counter() < before + 5 * round) {
      ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the writer stopped by itself";
      usleep(1000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    Registry_Close();

    CIniDocument ini;
    ini.Parse(ReadWhole("game.ini"));
    std::string pad, n, m;
    ASSERT_TRUE(ini.Read("data", "pad", pad) && ini.Read("data", "n", n) && ini.Read("data", "m", m)) << round;
    EXPECT_EQ(pad, kPad);
    EXPECT_TRUE(m == n || std::stoi(m) + 1 == std::stoi(n)) << n << " " << m;

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_Dir / "velmora" / "registry.sqlite").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    RRegistryValue blob;
    ASSERT_TRUE(Registry_Read(REGISTRY_CURRENT_USER, "Software\\Crash", "blob", blob));
    double counter = Counter();
    ASSERT_GT(blob.text.size(), kPad.size());
    int blob_index = std::stoi(blob.text.substr(kPad.size()));
    EXPECT_TRUE(blob_index == counter || blob_index == counter + 1) << blob_index << " " << counter;
  }
}
