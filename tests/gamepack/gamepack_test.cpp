#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "data/DataNew_Main.h"
#include "gamepack/Gamepack.h"
#include "support/ProjectFolder.h"
#include "support/SampleGame.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::path(VELMORA_TEST_DATA) / ".." / ".." / "examples" / "demo";

class Gamepack : public CProjectFolderTest {};

// Names the parts of two games' dumps that differ, for a failed comparison.
std::string DumpDifference(const RBytes& a, const RBytes& b) {
  nlohmann::ordered_json x = Gamepack_Dump(a), y = Gamepack_Dump(b);
  std::string keys;
  for (auto it = x.begin(); it != x.end(); ++it)
    if (!y.contains(it.key()) || y[it.key()] != it.value()) keys += " " + it.key() + ": " + it.value().dump() + " vs " + y[it.key()].dump();
  return keys;
}

nlohmann::ordered_json ReadManifest(const fs::path& folder) {
  std::ifstream in(folder / "project.json");
  return nlohmann::ordered_json::parse(in);
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
  // References name their targets.
  nlohmann::ordered_json project = ReadManifest(m_Dir / "sample");
  EXPECT_EQ(project["objects"][0]["sprite"], "spr_ball");
  EXPECT_EQ(project["rooms"][0]["views"][1]["follow"], "obj_ball");
  EXPECT_EQ(project["rooms"][0]["instances"][0]["object"], "obj_ball");
  EXPECT_EQ(project["rooms"][0]["tiles"][0]["background"], "bg_sky");
  EXPECT_EQ(project["room_order"], nlohmann::ordered_json::array({"rm_first"}));
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
  // The demo names its references; they land on the right slots.
  EXPECT_EQ(read.objects[2]->sprite, 1);
  EXPECT_EQ(read.rooms[0]->instances[0].object, 1);
  EXPECT_EQ(read.rooms[0]->backgrounds[0].background, 0);
  nlohmann::ordered_json project = ReadManifest(m_Dir / "unpacked");
  EXPECT_EQ(project["objects"][2]["sprite"], "spr_block");
  EXPECT_EQ(project["rooms"][0]["instances"][4]["object"], "obj_block");
  EXPECT_EQ(project["room_order"], nlohmann::ordered_json::array({"rm_demo"}));
}

// Two resources per table, so that a name resolving to 0 by accident shows.
const char kNamedTables[] = R"(
  "sprites": [ { "name": "spr_a" }, { "name": "spr_b" } ],
  "sounds": [ { "name": "snd_a" }, { "name": "snd_b" } ],
  "backgrounds": [ { "name": "bg_a" }, { "name": "bg_b" } ],
  "paths": [ { "name": "pth_a" }, { "name": "pth_b" } ],
  "scripts": [ { "name": "scr_a" }, { "name": "scr_b" } ],
  "fonts": [ { "name": "fnt_a" }, { "name": "fnt_b" } ],
  "rooms": [ { "name": "rm_a" }, { "name": "rm_b" } ],
  "room_order": [ "rm_b", "rm_a", 0 ],)";

TEST_F(Gamepack, NamesResolveToTheirIndexInEveryReferenceField) {
  RGameData game = Gamepack_LoadProject(Project(std::string("{") + kNamedTables + R"(
    "timelines": [ { "name": "tl_a" }, { "name": "tl_b", "moments": [ { "step": 3, "actions": [
      { "kind": 0, "exec_type": 1, "function": "action_set_timeline", "applies_to": "obj_b",
        "arg_count": 2, "arg_kinds": [ 14, 0 ], "arguments": [ "tl_a", "0" ] } ] } ] } ],
    "objects": [
      { "name": "obj_a", "sprite": "spr_b", "parent": -1, "mask": "spr_a" },
      { "name": "obj_b", "sprite": 0, "parent": "obj_a", "events": [ { "type": "step", "number": 0, "actions": [
        { "kind": 0, "exec_type": 1, "function": "f", "arg_count": 8, "arg_kinds": [ 5, 6, 7, 8, 9, 10, 11, 12 ],
          "arguments": [ "spr_b", "snd_b", "bg_b", "pth_b", "scr_b", "obj_b", "rm_b", "fnt_b" ] },
        { "kind": 0, "exec_type": 1, "function": "f", "applies_to": -2, "arg_count": 6,
          "arg_kinds": [ 14, 13, 1, 5, 5, 10 ],
          "arguments": [ "tl_b", "spr_b", "spr_b", "-1", "spr_a + 1", { "file": "obj.vsc" } ] } ] } ] } ],
    "rooms": [ { "name": "rm_a",
      "backgrounds": [ { "background": "bg_b" }, { "background": -1 } ],
      "views": [ { "follow": "obj_b" } ],
      "instances": [ { "object": "obj_b" }, { "object": 0 } ],
      "tiles": [ { "background": "bg_b" } ] }, { "name": "rm_b" } ] })",
                                                {{"obj.vsc", "obj_a"}}));
  const RObjectRecord& a = *game.objects[0];
  const RObjectRecord& b = *game.objects[1];
  EXPECT_EQ(a.sprite, 1);
  EXPECT_EQ(a.parent, -1);
  EXPECT_EQ(a.mask, 0);
  EXPECT_EQ(b.sprite, 0);
  EXPECT_EQ(b.parent, 0);
  const std::vector<RActionRecord>& actions = b.events[0].event.actions;
  EXPECT_EQ(actions[0].argValues, (std::vector<std::string>{"1", "1", "1", "1", "1", "1", "1", "1"}));
  // Colours, texts, indexes, expressions and files are not names.
  EXPECT_EQ(actions[1].argValues, (std::vector<std::string>{"1", "spr_b", "spr_b", "-1", "spr_a + 1", "obj_a"}));
  EXPECT_EQ(actions[1].appliesTo, -2);
  const RActionRecord& moment = game.timelines[1]->moments[0].event.actions[0];
  EXPECT_EQ(moment.appliesTo, 1);
  EXPECT_EQ(moment.argValues, (std::vector<std::string>{"0", "0"}));
  const RRoomRecord& room = *game.rooms[0];
  EXPECT_EQ(room.backgrounds[0].background, 1);
  EXPECT_EQ(room.backgrounds[1].background, -1);
  EXPECT_EQ(room.views[0].follow, 1);
  EXPECT_EQ(room.instances[0].object, 1);
  EXPECT_EQ(room.instances[1].object, 0);
  EXPECT_EQ(room.tiles[0].background, 1);
  EXPECT_EQ(game.roomOrder, (std::vector<int32_t>{1, 0, 0}));
}

TEST_F(Gamepack, ReferenceNamesThatDoNotResolveAreErrors) {
  struct Case {
    std::string manifest;
    std::string message;
  };
  const std::string room = R"({ "rooms": [ { "name": "r" } ], "room_order": [0], )";
  const std::string objects = room + R"("objects": [ { "name": "obj_a" }, { "name": "obj_b" }, )";
  const Case cases[] = {
      {objects + R"({ "name": "obj_c", "sprite": "spr_bal" } ] })", "objects[2].sprite: no sprite named \"spr_bal\""},
      {objects + R"({ "name": "obj_c", "parent": "spr_a" } ] })", "objects[2].parent: no object named \"spr_a\""},
      {objects + R"({ "name": "obj_c", "mask": true } ] })", "objects[2].mask: expected the index or the name of a sprite"},
      {objects + R"({ "name": "obj_c", "parent": 4294967296 } ] })", "objects[2].parent: expected a 32-bit integer"},
      {R"({ "rooms": [ { "name": "rm_a" }, { "name": "rm_a" } ], "room_order": [ "rm_a" ] })",
       "room_order[0]: more than one room is named \"rm_a\""},
      {R"({ "rooms": [ { "name": "rm_a", "instances": [ { "object": "obj_gone" } ] } ], "room_order": [ 0 ] })",
       "rooms[0].instances[0].object: no object named \"obj_gone\""},
      {R"({ "rooms": [ { "name": "rm_a", "tiles": [ { "background": "" } ] } ], "room_order": [ 0 ] })",
       "rooms[0].tiles[0].background: no background named \"\""},
      {room + R"("paths": [ { "name": "p" }, { "name": "p" } ], "objects": [ { "name": "o", "events": [ { "type": "create",
         "actions": [ { "kind": 0, "exec_type": 1, "arg_kinds": [ 8 ], "arguments": [ "p" ] } ] } ] } ] })",
       "objects[0].events[0].actions[0].arguments[0]: more than one path is named \"p\""},
      {room + R"("timelines": [ { "name": "tl", "moments": [ { "actions": [ { "applies_to": "tl" } ] } ] } ] })",
       "timelines[0].moments[0].actions[0].applies_to: no object named \"tl\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.manifest);
    fs::path folder = Project(c.manifest);
    // Each error is on the manifest's last line.
    const auto line = 1 + std::count(c.manifest.begin(), c.manifest.end(), '\n');
    EXPECT_EQ(LoadError(folder), (folder / "project.json").string() + ":" + std::to_string(line) + ": error: " + c.message);
  }
  // A shared name is fine until something refers to it by that name.
  RGameData game = Gamepack_LoadProject(Project(R"({ "sprites": [ { "name": "s" }, { "name": "s" } ],
    "objects": [ { "name": "o", "sprite": 1 } ], "rooms": [ { "name": "r" } ], "room_order": [ "r" ] })"));
  EXPECT_EQ(game.objects[0]->sprite, 1);
}

// Unpack names a target only when the name leads back to it, and keeps any
// argument text that would read as a name as it stands.
TEST_F(Gamepack, UnpackNamesUniqueTargetsAndBuildsTheSameBytes) {
  RGameData game = SampleGame();
  game.objects[1]->name = "obj_twin";
  game.objects.push_back(*game.objects[1]);  // two objects "obj_twin"
  game.objects[1]->parent = 0;
  game.objects[1]->mask = 5;                 // no such sprite
  game.objects[2]->parent = 1;
  RActionRecord call;
  call.kind = 0;
  call.execType = 1;
  call.functionName = "f";
  call.appliesTo = 2;
  call.argCount = 7;
  call.argKinds = {5, 5, 5, 10, 1, 9, 5};
  call.argValues = {"1", "spr_ball", "7", "1", "0", "01", "-1"};
  game.objects[0]->events[0].event.actions.push_back(call);
  const RBytes bytes = Gamepack_GameBytes(game);

  Gamepack_SaveProject(game, m_Dir / "unpacked");
  nlohmann::ordered_json project = ReadManifest(m_Dir / "unpacked");
  const nlohmann::ordered_json& objects = project["objects"];
  EXPECT_EQ(objects[1]["parent"], "obj_ball");
  EXPECT_EQ(objects[1]["mask"], 5);
  EXPECT_EQ(objects[2]["parent"], 1);
  const nlohmann::ordered_json& action = objects[0]["events"][0]["actions"][1];
  EXPECT_EQ(action["applies_to"], 2);
  EXPECT_EQ(action["arguments"][0], "spr_ball");
  EXPECT_TRUE(action["arguments"][1].contains("file")) << action["arguments"][1];
  EXPECT_EQ(action["arguments"][2], "7");
  EXPECT_EQ(action["arguments"][3], "1");   // "obj_twin" is no unique name
  EXPECT_EQ(action["arguments"][4], "0");   // a text argument
  EXPECT_EQ(action["arguments"][5], "01");  // not how the index is written
  EXPECT_EQ(action["arguments"][6], "-1");

  RBytes again = Gamepack_GameBytes(Gamepack_LoadProject(m_Dir / "unpacked"));
  EXPECT_TRUE(again == bytes) << DumpDifference(bytes, again);
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
       "s.vsc:2:7: error: scripts[0].text: Symbol ) expected.\n    b = (2;"},
      {R"({ "rooms": [ { "name": "r", "instances": [ { "creation_code": "x = ;" } ] } ], "room_order": [0] })",
       "project.json:1: error: rooms[0].instances[0].creation_code: Unexpected symbol in expression. (line 1, "
       "position 5 of the code)\n    x = ;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.manifest);
    std::string error = LoadError(Project(c.manifest, {{"s.vsc", "a = 1;\nb = (2;\n"}}));
    EXPECT_NE(error.find(".vsc") == std::string::npos ? error.find("project.json") : 0, std::string::npos) << error;
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
  const std::pair<const char*, const char*> bad[] = {
      {R"({ "rooms": [ { "name": "r", "speed": "fast" } ], "room_order": [0] })",
       "rooms[0].speed: expected a 32-bit integer"},
      {R"({ "rooms": [ { "name": "r" } ], "room_order": [ "room" ] })", "room_order[0]: no room named \"room\""},
  };
  fs::path out = m_Dir / "out.game";
  for (const auto& [manifest, message] : bad) {
    fs::path project = Project(manifest);
    std::string command = std::string(VELMORA_GAMEPACK) + " build " + project.string() + " -o " + out.string() +
                          " 2>" + (m_Dir / "stderr.txt").string();
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(fs::exists(out));
    std::ifstream err(m_Dir / "stderr.txt");
    std::string text((std::istreambuf_iterator<char>(err)), {});
    EXPECT_NE(text.find(message), std::string::npos) << text;
  }

  fs::path good = Project(R"({ "rooms": [ { "name": "r" } ], "room_order": [0] })");
  std::string command = std::string(VELMORA_GAMEPACK) + " build " + good.string() + " -o " + out.string();
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
  EXPECT_EQ(dump["extensions"][0]["files"][0]["data"]["bytes"], 4);
  EXPECT_EQ(dump["extensions"][0]["files"][2]["data"], std::string(300, 'x'));  // a script file's text
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

// Packages in a project: a script file is code in a text file, a library is
// kept as it is; code calls their functions by name with their argument
// counts; the project unpacks to the same game.
TEST_F(Gamepack, ExtensionPackagesBuildFromAProjectAndUnpackBack) {
  const std::string manifest = R"j({
    "extensions": [ { "name": "Tools", "folder": "tools", "files": [
      { "file_name": "tools.vsc", "init_function": "tools_init", "final_function": "tools_done",
        "functions": [ { "name": "tools_init", "id": 0 }, { "name": "tools_add", "id": 1, "arg_count": 2 } ],
        "constants": [ { "name": "TOOLS_MAX", "value": "10" } ],
        "data": { "file": "ext/tools.vsc" } },
      { "file_name": "tools.so", "kind": 1, "functions": [ { "name": "native_twice", "id": 2, "arg_count": 1 } ],
        "data": "ext/tools.so" } ] } ],
    "scripts": [ { "name": "s", "text": "x = tools_add(native_twice(1), TOOLS_MAX)" } ],
    "rooms": [ { "name": "r" } ], "room_order": [0] })j";
  std::vector<std::string> warnings;
  fs::path project = Project(manifest, {{"ext/tools.vsc", "#define tools_init\nglobal.t = 0;\n#define tools_add\nreturn argument0 + argument1;\n"},
                                        {"ext/tools.so", std::string("\x7F" "ELF\0\1", 6)}});
  RGameData game = Gamepack_LoadProject(project, &warnings);
  ASSERT_EQ(game.extensions.size(), 1u);
  const std::string text(game.extensions[0].files[0].data.begin(), game.extensions[0].files[0].data.end());
  EXPECT_EQ(text, "#define tools_init\r\nglobal.t = 0;\r\n#define tools_add\r\nreturn argument0 + argument1;\r\n");
  EXPECT_EQ(game.extensions[0].files[1].data.size(), 6u);
  ASSERT_EQ(warnings.size(), 1u);  // the final function is missing; the calls compile
  EXPECT_NE(warnings[0].find("extensions[0].files[0].final_function: 'tools_done' is no function of this file"),
            std::string::npos)
      << warnings[0];

  const RBytes bytes = Gamepack_GameBytes(game);
  Gamepack_SaveProject(game, m_Dir / "unpacked");
  EXPECT_TRUE(fs::exists(m_Dir / "unpacked" / "extensions0" / "files0" / "data.vsc"));
  EXPECT_TRUE(fs::exists(m_Dir / "unpacked" / "extensions0" / "files1" / "data.so"));
  EXPECT_TRUE(Gamepack_GameBytes(Gamepack_LoadProject(m_Dir / "unpacked")) == bytes);

  // A function that does not compile names its package file and function;
  // ids the engine cannot use stop the build.
  std::string broken = LoadError(Project(manifest, {{"ext/tools.vsc", "#define tools_add\nreturn (;\n"},
                                                    {"ext/tools.so", "x"}}));
  // The line is the file's, below the function's #define.
  EXPECT_NE(broken.find("ext/tools.vsc:2:9: error: extensions[0].files[0].data: function tools_add: "),
            std::string::npos)
      << broken;
  std::string twice = manifest;
  twice.replace(twice.find("\"id\": 2"), 7, "\"id\": 1");
  std::string ids = LoadError(Project(twice, {{"ext/tools.vsc", ""}, {"ext/tools.so", "x"}}));
  EXPECT_NE(ids.find("extensions: package Tools: function native_twice has the id 1 of another function"),
            std::string::npos)
      << ids;
}
