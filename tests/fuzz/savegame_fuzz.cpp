// Feeds arbitrary bytes as a saved game of a small game (two objects, three
// rooms): the load replaces the play state or fails with a message, never
// crashes, hangs or allocates without bound. A state that loaded saves, loads
// and saves again to the same bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/Run_Command.h"

namespace {

bool Quiet(const std::string&, bool) { return false; }
void QuietMessage(const std::string&) {}

// The game, and a folder of its own for the files.
std::string Folder() {
  static const std::string folder = [] {
    Error_SetReporter({Quiet, QuietMessage, nullptr});
    GameId = 7;
    RSlots<RObjectRecord> objects(2);
    objects[0].emplace();
    objects[1].emplace();
    objects[1]->parent = 0;
    Object_Install(objects);
    RSlots<RRoomRecord> rooms(3);
    for (auto& room : rooms) room.emplace();
    Room_Install(rooms, {0, 1, 2});
    static char name[] = "/tmp/vl_savegame_fuzz_XXXXXX";
    if (mkdtemp(name) == nullptr) abort();
    atexit([] { std::filesystem::remove_all(name); });
    return std::string(name) + "/";
  }();
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (!Path_ReadFile(path, bytes)) abort();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = Folder();
  const std::string input = folder + "input.sav", first = folder + "first.sav", second = folder + "second.sav";
  if (!Path_ReplaceFile(input, std::string_view(reinterpret_cast<const char*>(data), size))) abort();
  if (!LoadGameFromFile(input)) return 0;
  if (!SaveGameToFile(first) || !LoadGameFromFile(first) || !SaveGameToFile(second)) abort();
  if (ReadAll(first) != ReadAll(second)) abort();
  return 0;
}
