#include "gamepack/Gamepack.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

#include "data/DataNew_Main.h"
#include "gamepack/Gamepack_Check.h"
#include "gamepack/Gamepack_Json.h"

namespace fs = std::filesystem;

namespace {

RBytes ReadFileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CGamepackError(file.string() + ": cannot read the file");
  RBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw CGamepackError(file.string() + ": cannot read the file");
  return bytes;
}

void WriteFileBytes(const fs::path& file, std::span<const uint8_t> content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) throw CGamepackError(file.string() + ": cannot write the file");
}

// A project file named in the manifest: a relative path inside the folder.
fs::path ProjectFile(const fs::path& folder, const std::string& name) {
  fs::path relative(name);
  if (name.empty() || relative.is_absolute()) throw CGamepackError("'" + name + "' is not a file inside the project");
  for (const fs::path& part : relative)
    if (part == "..") throw CGamepackError("'" + name + "' is not a file inside the project");
  return folder / relative;
}

// The line of a byte offset in a text, from 1.
size_t LineOf(const std::string& text, size_t offset) {
  size_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); i++) line += text[i] == '\n';
  return line;
}

// Where the game file starts in a file's bytes: behind the 1980000-byte
// prefix, or at 0 for a bare game file; -1 when neither holds the magic.
int64_t GameFileStart(const RBytes& bytes) {
  for (int64_t start : {kGameFileOffset, int64_t{0}}) {
    if (static_cast<int64_t>(bytes.size()) < start + 4) continue;
    CStream probe(RBytes(bytes.begin() + start, bytes.begin() + start + 4));
    if (probe.ReadInteger() == DATA_GAME_MAGIC) return start;
  }
  return -1;
}

}  // namespace

namespace {

// Reads a project into `game` and compiles its code; every finding goes to
// `notes`. Reading stops at the first thing wrong with the manifest or the
// files it names; code is compiled only when reading got through.
void ReadProject(const fs::path& folder, RGameData& game, std::vector<RProjectNote>& notes) {
  auto fail = [&](int32_t line, const std::string& field, const std::string& message) {
    RProjectNote note;
    note.line = line;
    note.field = field;
    note.message = message;
    notes.push_back(std::move(note));
  };
  RBytes raw;
  try {
    raw = ReadFileBytes(folder / kProjectManifest);
  } catch (const CGamepackError&) {
    return fail(0, "", "cannot read the file");
  }
  const std::string text(raw.begin(), raw.end());
  nlohmann::ordered_json project;
  try {
    project = nlohmann::ordered_json::parse(text);
  } catch (const nlohmann::ordered_json::parse_error& e) {
    return fail(static_cast<int32_t>(LineOf(text, e.byte ? e.byte - 1 : 0)), "", e.what());
  }
  const CManifestLines lines(text);
  std::map<std::string, std::string> codeFiles;
  try {
    Json_ReadProject(project, game, [&](const std::string& name) {
      fs::path file = ProjectFile(folder, name);
      try {
        return ReadFileBytes(file);
      } catch (const CGamepackError&) {
        throw CGamepackError("cannot read the file '" + name + "'");
      }
    }, &codeFiles);
  } catch (const CGamepackError& e) {
    return fail(lines.LineOf(e.field), e.field, e.field.empty() ? e.what() : e.detail);
  }
  const size_t first = notes.size();
  Check_CompileCode(game, codeFiles, notes);
  for (size_t i = first; i < notes.size(); i++)
    if (notes[i].file.empty()) notes[i].line = lines.LineOf(notes[i].field);
  // The format's own rules (counts, event types) are checked by writing it once.
  try {
    CStream check;
    WriteMainBlock(check, game);
  } catch (const CDataError& e) {
    fail(0, "", e.what());
  }
}

}  // namespace

std::string Gamepack_NoteText(const RProjectNote& note, const fs::path& folder) {
  std::string text = (folder / (note.file.empty() ? std::string(kProjectManifest) : note.file)).string();
  if (note.line > 0) text += ":" + std::to_string(note.line);
  if (note.line > 0 && note.column > 0) text += ":" + std::to_string(note.column);
  text += note.error ? ": error: " : ": warning: ";
  if (!note.field.empty()) text += note.field + ": ";
  text += note.message;
  if (!note.source.empty()) text += "\n    " + note.source;
  return text;
}

RGameData Gamepack_LoadProject(const fs::path& folder, std::vector<std::string>* warnings) {
  RGameData game;
  std::vector<RProjectNote> notes;
  ReadProject(folder, game, notes);
  for (const RProjectNote& note : notes)
    if (note.error) throw CGamepackError(Gamepack_NoteText(note, folder));
  if (warnings)
    for (const RProjectNote& note : notes) warnings->push_back(Gamepack_NoteText(note, folder));
  return game;
}

std::vector<RProjectNote> Gamepack_CheckProject(const fs::path& folder) {
  RGameData game;
  std::vector<RProjectNote> notes;
  ReadProject(folder, game, notes);
  return notes;
}

void Gamepack_SaveProject(const RGameData& game, const fs::path& folder) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec))
    throw CGamepackError(folder.string() + ": the folder exists and is not empty");
  fs::create_directories(folder, ec);
  if (ec) throw CGamepackError(folder.string() + ": cannot create the folder: " + ec.message());
  nlohmann::ordered_json project = Json_Project(game, [&](const std::string& name, std::span<const uint8_t> content) {
    fs::path file = folder / name;
    std::error_code dirError;
    fs::create_directories(file.parent_path(), dirError);
    WriteFileBytes(file, content);
  });
  std::string text = project.dump(2) + "\n";
  WriteFileBytes(folder / kProjectManifest, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

RBytes Gamepack_GameBytes(const RGameData& game, bool executable) {
  CStream out;
  if (executable) {
    out.Bytes() = ReadFileBytes(VELMORA_LAUNCHER);
    if (out.Size() > kGameFileOffset)
      throw CGamepackError(std::string(VELMORA_LAUNCHER) + ": the launcher is larger than 1980000 bytes");
  }
  out.Bytes().resize(kGameFileOffset, 0);
  out.SetPosition(kGameFileOffset);
  try {
    WriteGameFile(out, game);
  } catch (const CDataError& e) {
    throw CGamepackError(e.what());
  }
  return std::move(out.Bytes());
}

void Gamepack_WriteGame(const RGameData& game, const fs::path& file, bool executable) {
  RBytes bytes = Gamepack_GameBytes(game, executable);
  // Written beside the target and renamed, so that a failure leaves no half file.
  fs::path temporary = file;
  temporary += ".part" + std::to_string(getpid());
  try {
    WriteFileBytes(temporary, bytes);
    if (executable)
      fs::permissions(temporary, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                      fs::perm_options::add);
    fs::rename(temporary, file);
  } catch (const std::exception& e) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw CGamepackError(file.string() + ": cannot write the game: " + e.what());
  }
}

RGameData Gamepack_ReadGame(const fs::path& file) {
  RBytes bytes = ReadFileBytes(file);
  int64_t start = GameFileStart(bytes);
  if (start < 0) throw CGamepackError(file.string() + ": not a game file (no game data at byte 1980000)");
  CStream stream(std::move(bytes));
  stream.SetPosition(start);
  RGameData game;
  try {
    if (ReadGameFile(stream, game) != GAME_READ_OK) throw CGamepackError(DataNew_LastError());
  } catch (const CStreamError& e) {
    throw CGamepackError(file.string() + ": " + e.what());
  } catch (const CGamepackError& e) {
    throw CGamepackError(file.string() + ": " + e.what());
  }
  return game;
}

nlohmann::ordered_json Gamepack_Dump(RBytes bytes) {
  nlohmann::ordered_json out;
  int64_t start = GameFileStart(bytes);
  out["game_file_offset"] = start;
  if (start < 0) {
    out["error"] = "not a game file: expected the number 1234321 at byte 1980000 (or 0)";
    return out;
  }
  // Positions in messages count from the start of the file.
  CStream stream(std::move(bytes));
  stream.SetPosition(start);
  RGameData game;
  bool header = false;
  int32_t section = -1;  // the section being read
  std::string error;
  try {
    RGameReadStatus status = ReadGameHeader(stream, game);
    header = status == GAME_READ_OK;
    if (header && !ReadMainBlock(stream, game, [&](RGameSection s) { section = s; })) error = DataNew_LastError();
    if (!header) error = DataNew_LastError();
  } catch (const CStreamError& e) {
    error = e.what();
  }
  nlohmann::ordered_json described = Json_Dump(game, header, section + 1);
  out.update(described);
  if (!error.empty()) {
    if (section >= 0) out["error_section"] = DataNew_SectionName(static_cast<RGameSection>(section));
    out["error"] = error;
  }
  return out;
}

CGameBuilder::CGameBuilder() { AddRoom("room0"); }

int32_t CGameBuilder::AddScript(std::string name, std::string text) {
  RScriptRecord script;
  script.name = std::move(name);
  script.text = std::move(text);
  m_Game.scripts.emplace_back(std::move(script));
  return static_cast<int32_t>(m_Game.scripts.size()) - 1;
}

int32_t CGameBuilder::AddObject(std::string name, int32_t sprite) {
  RObjectRecord object;
  object.name = std::move(name);
  object.sprite = sprite;
  m_Game.objects.emplace_back(std::move(object));
  return static_cast<int32_t>(m_Game.objects.size()) - 1;
}

void CGameBuilder::AddEvent(int32_t object, int32_t type, int32_t number, std::string code) {
  RObjectRecord& record = m_Game.objects.at(object).value();
  RActionRecord action;
  action.argValues = {std::move(code)};
  for (RObjectEvent& e : record.events)
    if (e.type == type && e.number == number) {
      e.event.actions.push_back(std::move(action));
      return;
    }
  record.events.push_back({type, number, {DATA_EVENT_VERSION, {std::move(action)}}});
}

namespace {

RImageRecord FilledImage(int32_t width, int32_t height, uint32_t color) {
  RImageRecord image;
  image.exists = true;
  image.width = width;
  image.height = height;
  const uint8_t bgra[4] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), uint8_t(color >> 24)};
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < image.pixels.size(); i++) image.pixels[i] = bgra[i % 4];
  return image;
}

}  // namespace

int32_t CGameBuilder::AddSprite(std::string name, int32_t width, int32_t height, uint32_t color, int32_t frames) {
  RSpriteRecord sprite;
  sprite.name = std::move(name);
  sprite.width = width;
  sprite.height = height;
  sprite.bboxRight = width - 1;
  sprite.bboxBottom = height - 1;
  sprite.images.assign(frames, FilledImage(width, height, color));
  m_Game.sprites.emplace_back(std::move(sprite));
  return static_cast<int32_t>(m_Game.sprites.size()) - 1;
}

int32_t CGameBuilder::AddBackground(std::string name, int32_t width, int32_t height, uint32_t color) {
  RBackgroundRecord background;
  background.name = std::move(name);
  background.width = width;
  background.height = height;
  background.hasImage = true;
  background.image = FilledImage(width, height, color);
  m_Game.backgrounds.emplace_back(std::move(background));
  return static_cast<int32_t>(m_Game.backgrounds.size()) - 1;
}

int32_t CGameBuilder::AddSound(std::string name, RBytes file, std::string fileType) {
  RSoundRecord sound;
  sound.name = std::move(name);
  sound.fileName = sound.name + fileType;
  sound.fileType = std::move(fileType);
  sound.hasData = true;
  sound.data = std::move(file);
  m_Game.sounds.emplace_back(std::move(sound));
  return static_cast<int32_t>(m_Game.sounds.size()) - 1;
}

int32_t CGameBuilder::AddRoom(std::string name, int32_t width, int32_t height, int32_t speed) {
  RRoomRecord room;
  room.name = std::move(name);
  room.width = width;
  room.height = height;
  room.speed = speed;
  m_Game.rooms.emplace_back(std::move(room));
  m_Game.roomOrder.push_back(static_cast<int32_t>(m_Game.rooms.size()) - 1);
  return m_Game.roomOrder.back();
}

int32_t CGameBuilder::AddInstance(int32_t room, int32_t object, int32_t x, int32_t y, std::string creationCode) {
  const int32_t id = ++m_Game.lastInstanceId;
  m_Game.rooms.at(room).value().instances.push_back({x, y, object, id, std::move(creationCode)});
  return id;
}
