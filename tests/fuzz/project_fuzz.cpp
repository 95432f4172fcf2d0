// A project manifest over arbitrary text: the line finder follows any text,
// and the reader turns any JSON into a game or a clear error. Every file the
// manifest names reads as one line of code. Whatever is read must write back
// into a manifest that reads into the same game file.
#include <cstdint>
#include <cstdlib>

#include "gamepack/Gamepack.h"
#include "gamepack/Gamepack_Check.h"
#include "gamepack/Gamepack_Json.h"

// Reading never compiles code, so no built-in is needed.
void Gamepack_RegisterBuiltins() {}

namespace {

bool Read(const nlohmann::ordered_json& project, RGameData& game) {
  const RFileSource source = [](const std::string&) { return RBytes{'x', '=', '1', ';'}; };
  try {
    Json_ReadProject(project, game, source);
    Gamepack_GameBytes(game);  // the format's own rules
  } catch (const CGamepackError&) {
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CManifestLines lines(text);
  lines.LineOf("objects[0].events[0].key");
  nlohmann::ordered_json project = nlohmann::ordered_json::parse(text, nullptr, false);
  if (project.is_discarded() || !project.is_object()) return 0;
  RGameData game;
  if (!Read(project, game)) return 0;

  // Files written by the project form are read back from memory.
  std::map<std::string, RBytes> files;
  nlohmann::ordered_json again;
  try {
    again = Json_Project(game, [&](const std::string& name, std::span<const uint8_t> content) {
      files[name] = RBytes(content.begin(), content.end());
    });
  } catch (const CGamepackError&) {
    return 0;  // pixels that do not match their size are not written
  }
  RGameData back;
  const RFileSource source = [&](const std::string& name) {
    auto it = files.find(name);
    if (it == files.end()) throw CGamepackError("no file " + name);
    return it->second;
  };
  try {
    Json_ReadProject(again, back, source);
  } catch (const CGamepackError& e) {
    std::abort();  // what was read and written must read again
  }
  if (Gamepack_GameBytes(game) != Gamepack_GameBytes(back)) std::abort();
  return 0;
}
