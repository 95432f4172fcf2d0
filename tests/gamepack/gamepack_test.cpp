#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "data/DataNew_Main.h"
#include "gamepack/Gamepack.h"
#include "support/SampleGame.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::path(VELMORA_TEST_DATA) / ".." / ".." / "examples" / "demo";

// A fresh folder under the build tree, removed again by the fixture.
class Gamepack : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Dir = fs::path(VELMORA_BUILD_DIR) / "gamepack-test" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(m_Dir);
    fs::create_directories(m_Dir);
  }
  void TearDown() override { fs::remove_all(m_Dir); }

  // A project folder with the given manifest text and files.
  fs::path Project(const std::string& manifest, const std::vector<std::pair<std::string, std::string>>& files = {}) {
    fs::path folder = m_Dir / ("project" + std::to_string(m_Projects++));
    fs::create_directories(folder);
    std::ofstream(folder / "project.json") << manifest;
    for (const auto& [name, content] : files) {
      fs::create_directories((folder / name).parent_path());
      std::ofstream(folder / name, std::ios::binary) << content;
    }
    return folder;
  }

  fs::path m_Dir;
  int m_Projects = 0;
};

// Names the parts of two games' dumps that differ, for a failed comparison.
std::string DumpDifference(const RBytes& a, const RBytes& b) {
  nlohmann::ordered_json x = Gamepack_Dump(a), y = Gamepack_Dump(b);
  std::string keys;
  for (auto it = x.begin(); it != x.end(); ++it)
    if (!y.contains(it.key()) || y[it.key()] != it.value()) keys += " " + it.key() + ": " + it.value().dump() + " vs " + y[it.key()].dump();
  return keys;
}

std::string LoadError(const fs::path& folder) {
  try {
    Gamepack_LoadProject(folder);
  } catch (const CGamepackError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

TEST_F(Gamepack, ProjectRoundTripIsByteIdentical) {
  const RGameData game = SampleGame();
  const RBytes bytes = Gamepack_GameBytes(game);
  Gamepack_SaveProject(game, m_Dir / "sample");
  EXPECT_TRUE(fs::exists(m_Dir / "sample" / "scripts" / "scr_hello" / "text.vsc"));
  EXPECT_TRUE(fs::exists(m_Dir / "sample" / "sprites" / "spr_ball" / "images0" / "pixels.png"));
  RGameData back = Gamepack_LoadProject(m_Dir / "sample");
  RBytes again = Gamepack_GameBytes(back);
  EXPECT_TRUE(again == bytes) << DumpDifference(bytes, again);
  EXPECT_EQ(back.rooms[0]->caption, "Caf\xE9 \"first\"");
  // Code files have plain line feeds; text that would not convert back is raw.
  std::ifstream script(m_Dir / "sample" / "scripts" / "scr_hello" / "text.vsc", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(script), {}), "show_message('hello');\nreturn 1;");
  std::ifstream manifest(m_Dir / "sample" / "project.json");
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(manifest), {}).find("\"raw\": true"), std::string::npos);
}

TEST_F(Gamepack, DemoBuildsAndUnpacksToTheSameGame) {
  RGameData demo = Gamepack_LoadProject(kDemo);
  Gamepack_WriteGame(demo, m_Dir / "demo.game");
  RGameData read = Gamepack_ReadGame(m_Dir / "demo.game");
  Gamepack_SaveProject(read, m_Dir / "unpacked");
  Gamepack_WriteGame(Gamepack_LoadProject(m_Dir / "unpacked"), m_Dir / "again.game");
  std::ifstream a(m_Dir / "demo.game", std::ios::binary), b(m_Dir / "again.game", std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
  ASSERT_EQ(read.objects.size(), 3u);
  EXPECT_EQ(read.objects[1]->events[2].type, 9);  // key press, after create and draw
  EXPECT_EQ(read.sprites[0]->images[0].width, 32);
  EXPECT_NE(read.scripts[0]->text.find("global.bounces += 1;"), std::string::npos);
}

TEST_F(Gamepack, DefaultsFillWhatAProjectLeavesOut) {
  RGameData game = Gamepack_LoadProject(Project(R"({
    "rooms": [ { "name": "rm" } ],
    "objects": [ { "name": "o", "events": [ { "type": "alarm", "number": 3, "actions": [ { "arguments": [ "x = 1" ] } ] } ] } ],
    "room_order": [ 0 ] })"));
  EXPECT_TRUE(game.settings.ShowCursor);
  EXPECT_EQ(game.rooms[0]->speed, 30);
  const RActionRecord& action = game.objects[0]->events[0].event.actions[0];
  EXPECT_EQ(game.objects[0]->events[0].type, 2);
  EXPECT_EQ(action.kind, 7);
  EXPECT_EQ(action.execType, 2);
  EXPECT_EQ(action.argValues, std::vector<std::string>{"x = 1"});
  EXPECT_EQ(game.objects[0]->version, DATA_OBJECT_VERSION);
}

// Every bad project names the manifest, the field and what is wrong.
TEST_F(Gamepack, BadProjectsGiveClearErrors) {
  const std::string order = R"(, "room_order": [0], "rooms": [ { "name": "r" } ] })";
  struct Case {
    std::string manifest;
    std::string message;
  };
  const Case cases[] = {
      {R"({ "sprites": [ { "name": "s", "images": [ { "pixels": "missing.png" } ] } ])" + order,
       "sprites[0].images[0].pixels: cannot read the file 'missing.png'"},
      {R"({ "sounds": [ { "name": "s", "colour": 3 } ])" + order, "sounds[0]: unknown field \"colour\""},
      {R"({ "paths": [ { "name": "p", "precision": "high" } ])" + order, "paths[0].precision: expected a 32-bit integer"},
      {R"({ "objects": [ { "name": "o", "visible": 1 } ])" + order, "objects[0].visible: expected true or false"},
      {R"({ "game_id": 4294967296 })", "game_id: expected a 32-bit integer"},
      {R"({ "objects": [ { "name": "o", "events": [ { "type": "jump" } ] } ])" + order, "unknown event type \"jump\""},
      {R"({ "objects": [ { "name": "o", "version": 400, "events": [ { "type": "keypress" } ] } ])" + order,
       "objects[0]: expected events of a type from 0 to the last event type"},
      {R"({ "rooms": [ { "name": "r", "views": [{},{},{},{},{},{},{},{},{}] } ], "room_order": [0] })",
       "rooms[0].views: expected at most 8 entries"},
      {R"({ "rooms": [ { "name": "r" } ] })", "expected a room order of at least one room"},
      {R"({ "scripts": [ { "name": "s", "text": { "file": "../outside.vsc" } } ])" + order,
       "'../outside.vsc' is not a file inside the project"},
      {R"({ "scripts": [ { "name": "s", "text": "\u0101" } ])" + order, "expected a text of 8-bit characters"},
      {R"({ "sprites": [ { "name": "s", "version": 541 } ])" + order, "sprites[0].version: expected 542"},
      {"{\n  \"rooms\": [\n    { \"name\": \"r\", }\n  ]\n}", "project.json:3: "},
      {R"({ "scripts": [ { "name": "s", "text": { "file": "s.vsc" } } ])" + order,
       "scripts[0].text (s.vsc): Error in code at line 2:\n   b = (2;\n\nat position 8: Symbol ) expected."},
      {R"({ "rooms": [ { "name": "r", "instances": [ { "creation_code": "x = ;" } ] } ], "room_order": [0] })",
       "rooms[0].instances[0].creation_code: Error in code at line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.manifest);
    std::string error = LoadError(Project(c.manifest, {{"s.vsc", "a = 1;\nb = (2;\n"}}));
    EXPECT_NE(error.find("project.json"), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  std::string error = LoadError(Project(R"({ "backgrounds": [ { "name": "b", "image": { "pixels": "b.png" } } ])" + order,
                                        {{"b.png", "not a picture"}}));
  EXPECT_NE(error.find("backgrounds[0].image.pixels: 'b.png' is not a picture"), std::string::npos) << error;
}

TEST_F(Gamepack, CodeFilesGetTheGamesLineEndsAndUnknownFunctionsAreWarnings) {
  std::vector<std::string> warnings;
  RGameData game = Gamepack_LoadProject(
      Project(R"({ "scripts": [ { "name": "s", "text": { "file": "s.vsc" } } ], "rooms": [ { "name": "r" } ], "room_order": [0] })",
              {{"s.vsc", "a = not_yet_a_function(1);\nb = 2;\r\nc = 3;"}}),
      &warnings);
  EXPECT_EQ(game.scripts[0]->text, "a = not_yet_a_function(1);\r\nb = 2;\r\nc = 3;");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("scripts[0].text: 'not_yet_a_function' is not a function of the engine yet"),
            std::string::npos)
      << warnings[0];
}

TEST_F(Gamepack, CommandLineWritesNothingForABadProject) {
  fs::path project = Project(R"({ "rooms": [ { "name": "r", "speed": "fast" } ], "room_order": [0] })");
  fs::path out = m_Dir / "out.game";
  std::string command = std::string(VELMORA_GAMEPACK) + " build " + project.string() + " -o " + out.string() +
                        " 2>" + (m_Dir / "stderr.txt").string();
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(out));
  std::ifstream err(m_Dir / "stderr.txt");
  std::string text((std::istreambuf_iterator<char>(err)), {});
  EXPECT_NE(text.find("rooms[0].speed: expected a 32-bit integer"), std::string::npos) << text;

  fs::path good = Project(R"({ "rooms": [ { "name": "r" } ], "room_order": [0] })");
  command = std::string(VELMORA_GAMEPACK) + " build " + good.string() + " -o " + out.string();
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), static_cast<uintmax_t>(kGameFileOffset) + fs::file_size(out) - kGameFileOffset);
  EXPECT_GT(fs::file_size(out), static_cast<uintmax_t>(kGameFileOffset));
}

TEST_F(Gamepack, UnpackRefusesAFolderInUse) {
  fs::create_directories(m_Dir / "busy");
  std::ofstream(m_Dir / "busy" / "keep.txt") << "mine";
  EXPECT_THROW(Gamepack_SaveProject(SampleGame(), m_Dir / "busy"), CGamepackError);
  EXPECT_TRUE(fs::exists(m_Dir / "busy" / "keep.txt"));
}

TEST_F(Gamepack, DumpDescribesEverySectionUnscrambled) {
  nlohmann::ordered_json dump = Gamepack_Dump(Gamepack_GameBytes(SampleGame()));
  EXPECT_EQ(dump["game_file_offset"], kGameFileOffset);
  EXPECT_FALSE(dump.contains("error"));
  for (const char* key : {"settings", "extensions", "sounds", "sprites", "backgrounds", "paths", "scripts", "fonts",
                          "timelines", "objects", "rooms", "last_instance_id", "included_files", "game_information",
                          "library_init_code", "room_order"})
    EXPECT_TRUE(dump.contains(key)) << key;
  EXPECT_EQ(dump["scripts"][0]["text"], "show_message('hello');\r\nreturn 1;");
  EXPECT_EQ(dump["sprites"][1]["images"][0]["pixels"]["bytes"], 16);
  EXPECT_EQ(dump["extensions"][0]["files"][2]["data"]["bytes"], 300);
  EXPECT_EQ(dump["objects"][0]["events"][1]["type"], "alarm");
  EXPECT_EQ(dump["timelines"][0]["moments"][1]["actions"][1]["version"], 439);
  EXPECT_TRUE(dump["sounds"][1].is_null());
}

TEST_F(Gamepack, DumpOfBrokenFilesSaysWhereReadingStopped) {
  RGameData game = SampleGame();
  game.backgrounds[0]->version = 500;
  nlohmann::ordered_json dump = Gamepack_Dump(Gamepack_GameBytes(game));
  EXPECT_EQ(dump["error_section"], "backgrounds");
  EXPECT_NE(dump["error"].get<std::string>().find("of the main block, in backgrounds[0]: expected version 543, found 500"),
            std::string::npos)
      << dump["error"];
  EXPECT_EQ(dump["sprites"][1]["name"], "spr_ball");  // what came before is described
  EXPECT_FALSE(dump.contains("paths"));

  RBytes bytes = Gamepack_GameBytes(SampleGame());
  bytes.resize(bytes.size() - 10);
  dump = Gamepack_Dump(bytes);
  EXPECT_NE(dump["error"].get<std::string>().find("at byte "), std::string::npos) << dump["error"];

  for (RBytes junk : {RBytes{}, RBytes(100, 0xFF), RBytes(kGameFileOffset + 3, 0)}) {
    dump = Gamepack_Dump(junk);
    EXPECT_TRUE(dump.contains("error"));
  }
}

TEST_F(Gamepack, BuilderMakesPlayableGamesInCode) {
  CGameBuilder builder;
  int32_t sprite = builder.AddSprite("spr", 4, 2, 0x80FF0000, 2);
  int32_t object = builder.AddObject("obj", sprite);
  builder.AddEvent(object, 0, 0, "x = 1;");
  builder.AddEvent(object, 0, 0, "y = 2;");
  builder.AddEvent(object, 3, 0, "x += 1;");
  int32_t second = builder.AddRoom("room1", 320, 240, 60);
  int32_t id = builder.AddInstance(second, object, 10, 20, "speed = 1;");
  builder.AddScript("scr", "return 7;");
  builder.AddBackground("bg", 2, 2, 0xFF00FF00);
  builder.AddSound("snd", {'R', 'I', 'F', 'F'}, ".wav");
  EXPECT_EQ(id, 100001);

  RBytes bytes = builder.Bytes();
  CStream stream(bytes);
  stream.SetPosition(kGameFileOffset);
  RGameData game;
  ASSERT_EQ(ReadGameFile(stream, game), GAME_READ_OK) << DataNew_LastError();
  EXPECT_EQ(game.roomOrder, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(game.objects[0]->events[0].event.actions.size(), 2u);
  EXPECT_EQ(game.rooms[1]->instances[0].id, id);
  EXPECT_EQ(game.lastInstanceId, id);
  const RBytes& pixels = game.sprites[0]->images[1].pixels;
  EXPECT_EQ(pixels, (RBytes{0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80,
                            0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0, 0xFF, 0x80}));

  // The executable form starts with the launcher and carries the same game.
  RBytes program = builder.Bytes(true);
  ASSERT_EQ(program.size(), bytes.size());
  EXPECT_EQ(RBytes(program.begin(), program.begin() + 4), (RBytes{0x7F, 'E', 'L', 'F'}));
  EXPECT_TRUE(std::equal(bytes.begin() + kGameFileOffset, bytes.end(), program.begin() + kGameFileOffset));
}
