#include <gtest/gtest.h>

#include <filesystem>

#include "data/DataNew_Main.h"
#include "support/TestGames.h"

namespace {

std::vector<uint8_t> GameBytes(const RGameData& game) {
  CStream stream;
  stream.Bytes().resize(kGameFileOffset);
  stream.SetPosition(kGameFileOffset);
  WriteGameFile(stream, game);
  return stream.Bytes();
}

void ExpectFailure(const std::string& path, const std::string& message) {
  RRunResult r = TestGame_Run(path);
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.err, message + "\n") << path;
}

}  // namespace

TEST(Runner, PlaysAnEmptyRoomQuietlyUntilStopped) {
  std::string game = TestGame_Write(TestGame_OneRoom(), "empty.game");
  RRunResult r = TestGame_Run("--max-steps 5 --unthrottled " + game);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

TEST(Runner, GameFilesThatCannotBeRead) {
  ExpectFailure(TestGame_Path("missing.game"), "Error: Cannot read the game file.");
  ExpectFailure(std::filesystem::path(TestGame_Path("x")).parent_path().string(), "Error: Cannot read the game file.");
  ExpectFailure(TestGame_WriteBytes(std::vector<uint8_t>(1000, 0), "short.game"), "Error: Not a valid game file.");
  // Exactly the prefix: the magic number reads past the end.
  ExpectFailure(TestGame_WriteBytes(std::vector<uint8_t>(kGameFileOffset, 0), "prefix.game"),
                "Failed to load the game data. File seems corrupted.");
}

TEST(Runner, WrongHeaders) {
  std::vector<uint8_t> bytes = GameBytes(TestGame_OneRoom());
  std::vector<uint8_t> magic = bytes;
  magic[kGameFileOffset] ^= 1;
  ExpectFailure(TestGame_WriteBytes(magic, "magic.game"), "Error: Not a valid game file.");
  std::vector<uint8_t> version = bytes;
  version[kGameFileOffset + 4] ^= 1;
  ExpectFailure(TestGame_WriteBytes(version, "version.game"), "Error: Wrong version number.");
  std::vector<uint8_t> settings = bytes;
  settings[kGameFileOffset + 12] ^= 1;  // the settings block's own version
  ExpectFailure(TestGame_WriteBytes(settings, "settings.game"), "Error: Error in resource data.");
}

TEST(Runner, TruncatedAndCorruptFilesNeverCrash) {
  std::vector<uint8_t> bytes = GameBytes(TestGame_OneRoom());
  for (size_t cut : {size_t(kGameFileOffset + 20), bytes.size() - 40, bytes.size() - 1}) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    ExpectFailure(TestGame_WriteBytes(part, "cut.game"), "Failed to load the game data. File seems corrupted.");
  }
  // Flip a byte inside the compressed main block: inflation fails cleanly.
  std::vector<uint8_t> corrupt = bytes;
  corrupt[bytes.size() - 30] ^= 0xA5;
  RRunResult r = TestGame_Run(TestGame_WriteBytes(corrupt, "corrupt.game"));
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(r.err.empty());
}

TEST(Runner, CommandLine) {
  RRunResult help = TestGame_Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--max-steps"), std::string::npos);
  RRunResult version = TestGame_Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("runner ", 0), 0u);
  RRunResult bare = TestGame_Run("");
  EXPECT_NE(bare.status, 0);
  EXPECT_NE(bare.err.find("Usage: runner"), std::string::npos);
  RRunResult bad = TestGame_Run("--max-steps x");
  EXPECT_NE(bad.status, 0);
}
