// Gamepack: the authoring companion's library. It builds game files from
// project folders or from code, and describes or unpacks any game file.
//
// A project folder holds "project.json" (settings and resources, described
// in tools/gamepack/README.md) and the files it names: code as ".vsc" text,
// pictures as PNG, BMP, GIF or JPEG, sounds and other data as they are.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/DataNew_Class.h"

// Anything that stops a build, unpack or read: the message names the file
// (and field or byte position) and what is wrong. Nothing has been written.
struct CGamepackError : std::runtime_error {
  explicit CGamepackError(const std::string& message) : std::runtime_error(message) {}
  // About one field of a manifest: the message reads "FIELD: DETAIL".
  CGamepackError(const std::string& field, const std::string& detail)
      : std::runtime_error(field.empty() ? detail : field + ": " + detail), field(field), detail(detail) {}

  std::string field;   // "rooms[0].speed"; empty when the error is about no field
  std::string detail;  // what is wrong with the field
};

// The manifest's file name inside a project folder.
inline constexpr const char* kProjectManifest = "project.json";

// One finding about a project: an error stops a build, a warning does not.
struct RProjectNote {
  bool error = true;
  std::string file;     // the project file it is about, relative to the folder; empty: the manifest
  int32_t line = 0;     // from 1, in that file; 0 when not known
  int32_t column = 0;   // from 1; 0 when not known
  std::string field;    // the manifest field ("objects[0].events[1].actions[0].arguments[0]"), or ""
  std::string message;  // what is wrong
  std::string source;   // the line of code the message is about, when it is about code
};

// "FOLDER/scripts/move.vsc:3:5: error: scripts[0].text: Symbol ) expected.",
// with the line of code below it.
std::string Gamepack_NoteText(const RProjectNote& note, const std::filesystem::path& folder);

// Reads a project folder and compiles its code. Throws CGamepackError with
// the text of the first error; warnings (calls of functions the engine does
// not provide yet) are added to `warnings` when given.
RGameData Gamepack_LoadProject(const std::filesystem::path& folder, std::vector<std::string>* warnings = nullptr);
// Checks a project as building it would, writing nothing: every error and
// warning of its code, or the first thing wrong with its manifest and files.
// A project that builds gives no errors.
std::vector<RProjectNote> Gamepack_CheckProject(const std::filesystem::path& folder);
// Writes a small playable project into a folder that does not exist or is
// empty: one room, one object moved by the arrow keys, and a script.
void Gamepack_NewProject(const std::filesystem::path& folder);
// Writes a folder a player can copy anywhere and run: the game executable
// (the runner with the game behind it), the engine libraries beside it, a
// desktop entry with the icon as PNG, a script that adds the game to the
// desktop's menu, and a README naming the packages it needs. `source` is a
// project folder or a game file; the folder must not exist or be empty.
// Returns the executable's path.
std::filesystem::path Gamepack_Bundle(const std::filesystem::path& source, const std::filesystem::path& folder);
// Writes a project folder that builds back into the same game; the folder
// must not exist or be empty.
void Gamepack_SaveProject(const RGameData& game, const std::filesystem::path& folder);

// The bytes of a game file behind its 1980000-byte prefix: zeros, or with
// `executable` the launcher program padded to that size.
RBytes Gamepack_GameBytes(const RGameData& game, bool executable = false);
// Writes Gamepack_GameBytes to a file as a whole (nothing on failure); an
// executable gets its execute permission.
void Gamepack_WriteGame(const RGameData& game, const std::filesystem::path& file, bool executable = false);
// Reads a game file (at offset 1980000, or at 0 for a bare game file).
RGameData Gamepack_ReadGame(const std::filesystem::path& file);
// Describes any bytes as JSON: the sections read, and under "error" where and
// why reading stopped (positions count from the start of the file). Never
// throws for bad bytes.
nlohmann::ordered_json Gamepack_Dump(RBytes bytes);

// Builds games in code, for tests. It starts with one empty room "room0" in
// the room order; every Add returns the new resource's index.
class CGameBuilder {
 public:
  CGameBuilder();

  // The game being built, for anything the helpers do not cover.
  RGameData& Game() { return m_Game; }

  int32_t AddScript(std::string name, std::string text);
  int32_t AddObject(std::string name, int32_t sprite = -1);
  // Appends a code action to the object's event (type, number).
  void AddEvent(int32_t object, int32_t type, int32_t number, std::string code);
  // A sprite of `frames` images filled with one colour (0xAARRGGBB).
  int32_t AddSprite(std::string name, int32_t width, int32_t height, uint32_t color, int32_t frames = 1);
  int32_t AddBackground(std::string name, int32_t width, int32_t height, uint32_t color);
  int32_t AddSound(std::string name, RBytes file, std::string fileType);
  // A room added to the end of the room order.
  int32_t AddRoom(std::string name, int32_t width = 640, int32_t height = 480, int32_t speed = 30);
  // An instance in a room; returns its id.
  int32_t AddInstance(int32_t room, int32_t object, int32_t x, int32_t y, std::string creationCode = "");

  RBytes Bytes(bool executable = false) const { return Gamepack_GameBytes(m_Game, executable); }
  void Write(const std::filesystem::path& file, bool executable = false) const {
    Gamepack_WriteGame(m_Game, file, executable);
  }

 private:
  RGameData m_Game;
};
