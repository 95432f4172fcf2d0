#include "support/TestGames.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/DataNew_Main.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

RGameData TestGame_OneRoom() {
  RGameData game;
  game.rooms.emplace_back(RRoomRecord{});
  game.rooms[0]->name = "room0";
  game.roomOrder = {0};
  return game;
}

std::string TestGame_Path(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("velmora-test-" + std::to_string(getpid()));
  // A folder for each test: tests that share a process never read each
  // other's files (one test's "missing.game" is another's game).
  if (const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info())
    dir /= std::string(test->test_suite_name()) + "." + test->name();
  fs::create_directories(dir);
  return (dir / name).string();
}

std::string TestGame_WriteBytes(const std::vector<uint8_t>& bytes, const std::string& name) {
  std::string path = TestGame_Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string TestGame_Write(const RGameData& game, const std::string& name) {
  CStream stream;
  stream.Bytes().resize(kGameFileOffset);
  stream.SetPosition(kGameFileOffset);
  WriteGameFile(stream, game);
  return TestGame_WriteBytes(stream.Bytes(), name);
}

RRunResult TestGame_Run(const std::string& arguments) {
  std::string out = TestGame_Path("run.out"), err = TestGame_Path("run.err");
  // Leak checking stays with the in-process tests: at the exit of a whole
  // game, the leak checker's thread stopper can crash on the software
  // renderer's worker threads when the machine is loaded.
  std::string command = "ASAN_OPTIONS=detect_leaks=0:detect_odr_violation=0 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " +
                        std::string(VELMORA_RUNNER) + " " +
                        arguments + " >" + out + " 2>" + err + " </dev/null";
  int raw = std::system(command.c_str());
  RRunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}
