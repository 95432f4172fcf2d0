// Projects in words, and the authoring commands: new, check, bundle and the
// reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

#include "gamepack/Gamepack.h"
#include "gamepack/Gamepack_Image.h"
#include "gamepack/Gamepack_Names.h"
#include "gamepack/Gamepack_Reference.h"
#include "runner/Builtins_Main.h"
#include "support/ProjectFolder.h"
#include "support/SampleGame.h"
#include "support/TestGames.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

class Authoring : public CProjectFolderTest {
 protected:
  // Runs gamepack; its exit status, with stderr in `err`.
  int Gamepack(const std::string& arguments, std::string* err = nullptr) {
    const fs::path errFile = m_Dir / "gamepack.err";
    const std::string command = std::string(VELMORA_GAMEPACK) + " " + arguments + " 2>" + errFile.string();
    const int status = std::system(command.c_str());
    if (err) {
      std::ifstream in(errFile);
      err->assign(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

json ReadManifest(const fs::path& folder) {
  std::ifstream in(folder / "project.json");
  return json::parse(in);
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) names.insert(entry.path().string());
  return names;
}

RActionRecord Call(const char* function, std::vector<int32_t> kinds, std::vector<std::string> values) {
  RActionRecord a;
  a.kind = 0;
  a.execType = 1;
  a.functionName = function;
  a.argCount = static_cast<int32_t>(kinds.size());
  a.argKinds = std::move(kinds);
  a.argValues = std::move(values);
  return a;
}

}  // namespace

// The words stand for the engine's own constants: a key is its vk_ constant,
// a mouse, step or other event its ev_ constant, an effect its se_ constant.
TEST_F(Authoring, EveryWordTableAgreesWithTheEngine) {
  Constant_RegisterBuiltins();
  auto constant = [](const std::string& name, int32_t& value) {
    RValue v;
    if (!ConstantOf(name, v)) return false;
    value = static_cast<int32_t>(v.real);
    return true;
  };
  struct RFamily {
    RNameSet set;
    const char* prefix;
  };
  for (RFamily f : {RFamily{NAMES_KEY, "vk_"}, RFamily{NAMES_MOUSE_EVENT, "ev_"}, RFamily{NAMES_OTHER_EVENT, "ev_"},
                    RFamily{NAMES_STEP_EVENT, "ev_step_"}, RFamily{NAMES_EVENT_TYPE, "ev_"},
                    RFamily{NAMES_SOUND_EFFECTS, "se_"}}) {
    int32_t matched = 0;
    for (const RName& n : Names_Table(f.set).names) {
      int32_t value = 0;
      if (!constant(f.prefix + n.name, value)) continue;
      matched++;
      EXPECT_EQ(value, n.value) << f.prefix << n.name;
    }
    EXPECT_GT(matched, 2) << f.prefix;
  }
  // Every vk_ constant has its key word, and the words without a constant
  // are the letters, digits and views' events.
  for (int32_t i = 0; i < Constant_Count(); i++) {
    const std::string& name = Constant_Name(i);
    int32_t value = 0;
    if (name.rfind("vk_", 0) == 0)
      EXPECT_TRUE(Names_Table(NAMES_KEY).ValueOf(name.substr(3), value) && value == Constant_Value(i).real) << name;
  }
  int32_t code = 0;
  EXPECT_TRUE(Names_Table(NAMES_KEY).ValueOf("a", code) && code == 'A');
  EXPECT_TRUE(Names_Table(NAMES_KEY).ValueOf("7", code) && code == '7');
  EXPECT_TRUE(Names_Table(NAMES_KEY).ValueOf("f12", code) && code == 123);
  EXPECT_TRUE(Names_Table(NAMES_OTHER_EVENT).ValueOf("boundary_view7", code) && code == 57);
  // Within a table a word means one number, and the word written for a
  // number reads back as that number.
  for (int32_t s = 0; s < NAMES_SET_COUNT; s++) {
    const RNameTable& table = Names_Table(static_cast<RNameSet>(s));
    std::set<std::string> words;
    for (const RName& n : table.names) {
      EXPECT_TRUE(words.insert(n.name).second) << table.noun << " " << n.name;
      int32_t back = 0;
      ASSERT_TRUE(table.ValueOf(*table.NameOf(n.value), back));
      EXPECT_EQ(back, n.value) << table.noun;
    }
  }
}

// Unpacking writes words wherever one exists; the words build the same bytes.
TEST_F(Authoring, ProjectsRoundTripInWords) {
  RGameData game = SampleGame();
  RObjectRecord& ball = *game.objects[0];
  ball.events.push_back({9, 32, {DATA_EVENT_VERSION, {}}});        // key press space
  ball.events.push_back({6, 53, {DATA_EVENT_VERSION, {}}});        // global left press
  ball.events.push_back({7, 14, {DATA_EVENT_VERSION, {}}});        // user event 4
  ball.events.push_back({4, 1, {DATA_EVENT_VERSION, {}}});         // collision with obj_old
  ball.events.push_back({5, 200, {DATA_EVENT_VERSION, {}}});       // a key without a word
  RActionRecord variable;
  variable.kind = 6;
  variable.argCount = 2;
  variable.argKinds = {1, 0};
  variable.argValues = {"lives", "1"};
  RActionRecord block = Call("", {}, {});
  block.kind = 1;
  block.execType = 0;
  RActionRecord sound = Call("action_sound", {6, 3, 99}, {"0", "1", "2"});
  sound.appliesTo = -2;
  RActionRecord onSelf = Call("action_kill_object", {}, {});
  onSelf.appliesTo = 2;  // the object called "self"
  ball.events[4].event.actions = {variable, block, sound, onSelf};
  RObjectRecord named;
  named.name = "self";
  game.objects.push_back(named);
  game.sounds[0]->kind = 1;
  game.sounds[0]->effects = 2 | 16;
  game.sounds.push_back(*game.sounds[0]);
  game.sounds.back()->name = "snd_odd";
  game.sounds.back()->effects = 128;  // no word for this bit
  game.sprites[1]->bboxMode = 2;
  game.settings.Resolution = 3;
  game.settings.Priority = 7;  // no word
  RExtensionFunction& native = game.extensions[0].files[0].functions[0];
  native.argTypes[0] = 1;
  native.argTypes[1] = 5;  // no word
  native.argTypes[2] = 2;
  native.resultType = 1;
  const RBytes bytes = Gamepack_GameBytes(game);

  Gamepack_SaveProject(game, m_Dir / "words");
  const json project = ReadManifest(m_Dir / "words");
  const json& events = project["objects"][0]["events"];
  EXPECT_EQ(events[0]["type"], "create");  // though a fresh event's type
  EXPECT_EQ(events[1]["type"], "step");
  EXPECT_EQ(events[1]["number"], "normal");
  EXPECT_EQ(events[4]["key"], "space");
  EXPECT_FALSE(events[4].contains("number"));
  EXPECT_EQ(events[5]["number"], "global_left_press");
  EXPECT_EQ(events[6]["number"], "user4");
  EXPECT_EQ(events[7]["object"], "obj_old");
  EXPECT_EQ(events[8]["key"], 200);
  const json& actions = events[4]["actions"];
  EXPECT_EQ(actions[0]["kind"], "variable");
  EXPECT_EQ(actions[0]["arg_kinds"], json::array({"string", "expression"}));
  EXPECT_EQ(actions[1]["kind"], "begin_block");
  EXPECT_EQ(actions[1]["exec_type"], "none");
  EXPECT_EQ(actions[2]["exec_type"], "function");
  EXPECT_EQ(actions[2]["applies_to"], "other");
  EXPECT_EQ(actions[2]["arg_kinds"], json::array({"sound", "boolean", 99}));
  EXPECT_EQ(actions[3]["applies_to"], 2);  // "self" would read back as -1
  EXPECT_EQ(project["sounds"][0]["kind"], "background");
  EXPECT_EQ(project["sounds"][0]["effects"], json::array({"echo", "reverb"}));
  EXPECT_EQ(project["sounds"][2]["effects"], 128);
  EXPECT_EQ(project["sprites"][1]["bbox_mode"], "manual");
  EXPECT_EQ(project["settings"]["resolution"], "800x600");
  EXPECT_EQ(project["settings"]["priority"], 7);
  const json& files = project["extensions"][0]["files"];
  EXPECT_EQ(files[0]["kind"], "library");
  EXPECT_EQ(files[1]["kind"], "none");
  EXPECT_EQ(files[0]["functions"][0]["result_type"], "string");
  EXPECT_EQ(files[0]["functions"][0]["arg_types"][0], "string");
  EXPECT_EQ(files[0]["functions"][0]["arg_types"][1], 5);
  EXPECT_EQ(files[0]["functions"][0]["arg_types"][2], "real");

  RBytes again = Gamepack_GameBytes(Gamepack_LoadProject(m_Dir / "words"));
  EXPECT_TRUE(again == bytes);
}

TEST_F(Authoring, WordsAndNumbersReadAlikeAndUnknownWordsAreErrors) {
  const std::string rooms = R"("rooms": [ { "name": "r" } ], "room_order": [0])";
  auto events = [&](const std::string& list) {
    return R"({ "objects": [ { "name": "o" }, { "name": "p", "events": [ )" + list + " ] } ], " + rooms + " }";
  };
  const RGameData words = Gamepack_LoadProject(Project(events(R"(
    { "type": "keypress", "key": "return" }, { "type": "collision", "object": "o" },
    { "type": "mouse", "number": "mouse_wheel_down" }, { "type": "other", "number": "close_button",
      "actions": [ { "kind": "code", "exec_type": "code", "applies_to": "o", "arg_kinds": [ "string" ],
                     "arguments": [ "x = 1;" ] } ] })")));
  const RGameData numbers = Gamepack_LoadProject(Project(events(R"(
    { "type": 9, "number": 13 }, { "type": 4, "number": 0 }, { "type": 6, "number": 61 },
    { "type": 7, "number": 30, "actions": [ { "kind": 7, "exec_type": 2, "applies_to": 0, "arg_kinds": [ 1 ],
                                              "arguments": [ "x = 1;" ] } ] })")));
  EXPECT_TRUE(Gamepack_GameBytes(words) == Gamepack_GameBytes(numbers));
  EXPECT_EQ(words.objects[1]->events[0].number, 13);

  const std::pair<std::string, std::string> bad[] = {
      {R"({ "type": "keypress", "key": "spcae" })", "objects[1].events[0].key: unknown key \"spcae\""},
      {R"({ "type": "step", "key": "space" })", "objects[1].events[0]: unknown field \"key\""},
      {R"({ "type": "keyboard", "key": "a", "number": 65 })", "give either \"key\" or \"number\""},
      {R"({ "type": "collision", "object": "q" })", "objects[1].events[0].object: no object named \"q\""},
      {R"({ "type": "other", "number": "room_begin" })", "unknown other event \"room_begin\""},
      {R"({ "type": "create", "actions": [ { "kind": "jump" } ] })", "actions[0].kind: unknown action kind \"jump\""},
      {R"({ "type": "create", "actions": [ { "arg_kinds": [ "sprite", "text" ] } ] })",
       "actions[0].arg_kinds[1]: unknown argument kind \"text\""},
  };
  for (const auto& [event, message] : bad) {
    SCOPED_TRACE(event);
    try {
      Gamepack_LoadProject(Project(events(event)));
      ADD_FAILURE() << "no error";
    } catch (const CGamepackError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

// Check names the file and line of every error and warning, and writes
// nothing; a project that builds has no errors.
TEST_F(Authoring, CheckReportsEveryProblemWithFileAndLine) {
  const fs::path folder = Project(R"({
  "scripts": [
    { "name": "scr_a", "text": { "file": "scripts/a.vsc" } },
    { "name": "scr_b", "text": "return not_there(1);" }
  ],
  "objects": [ { "name": "o", "events": [ { "type": "create", "actions": [
    { "arguments": [ "x = (1;" ] },
    { "kind": "normal", "exec_type": "function", "function": "nothing_by_this_name",
      "arg_count": 2, "arg_kinds": [ "expression", "string" ], "arguments": [ "1 +", "text" ] } ] } ] } ],
  "rooms": [ { "name": "r" } ], "room_order": [0] })",
                                  {{"scripts/a.vsc", "a = 1;\n\nb = 2 +;\n"}});
  const std::set<std::string> before = Listing(folder);
  std::vector<std::string> texts;
  int errors = 0;
  for (const RProjectNote& note : Gamepack_CheckProject(folder)) {
    texts.push_back(Gamepack_NoteText(note, folder));
    errors += note.error;
  }
  const std::string manifest = (folder / "project.json").string();
  const std::vector<std::string> expected = {
      (folder / "scripts/a.vsc").string() + ":3:8: error: scripts[0].text: Unexpected symbol in expression.\n    b = 2 +;",
      manifest + ":4: warning: scripts[1].text: 'not_there' is not a function of the engine yet (line 1, position",
      manifest + ":7: error: objects[0].events[0].actions[0].arguments[0]: Symbol ) expected.",
      manifest + ":8: warning: objects[0].events[0].actions[1].function: no action function named "
                 "'nothing_by_this_name'",
      manifest + ":9: error: objects[0].events[0].actions[1].arguments[0]: ",
  };
  ASSERT_EQ(texts.size(), expected.size()) << ::testing::PrintToString(texts);
  for (size_t i = 0; i < texts.size(); i++) EXPECT_EQ(texts[i].rfind(expected[i], 0), 0u) << texts[i];
  EXPECT_EQ(errors, 3);
  EXPECT_EQ(Listing(folder), before);

  // The command line: the same lines, a summary, status 1, nothing written.
  std::string err;
  EXPECT_EQ(Gamepack("check " + folder.string(), &err), 1);
  EXPECT_NE(err.find(expected[0]), std::string::npos) << err;
  EXPECT_NE(err.find(": 3 errors, 2 warnings"), std::string::npos) << err;
  EXPECT_EQ(Listing(folder), before);
  // A broken manifest is one error at its line.
  const fs::path broken = Project("{\n  \"rooms\": [ { \"name\": \"r\", \"speed\": \"fast\" } ],\n  \"room_order\": [0]\n}");
  const std::vector<RProjectNote> notes = Gamepack_CheckProject(broken);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(Gamepack_NoteText(notes[0], broken),
            (broken / "project.json").string() + ":2: error: rooms[0].speed: expected a 32-bit integer");
}

// A new project checks clean, builds and plays.
TEST_F(Authoring, NewProjectBuildsAndPlays) {
  const fs::path folder = m_Dir / "fresh";
  std::string err;
  ASSERT_EQ(Gamepack("new " + folder.string(), &err), 0) << err;
  EXPECT_EQ(Gamepack("check " + folder.string(), &err), 0) << err;
  EXPECT_NE(err.find("0 errors, 0 warnings"), std::string::npos) << err;
  const fs::path game = m_Dir / "fresh.game";
  ASSERT_EQ(Gamepack("build " + folder.string() + " -o " + game.string(), &err), 0) << err;
  EXPECT_EQ(err, "");
  const RRunResult run = TestGame_Run("--unthrottled --max-steps 60 " + game.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // It does not write over a project.
  EXPECT_NE(Gamepack("new " + folder.string(), &err), 0);
  EXPECT_NE(err.find("not empty"), std::string::npos) << err;
}

// A bundle holds everything beside the game and plays from a fresh folder.
TEST_F(Authoring, BundleCopiedElsewherePlays) {
  const fs::path demo = fs::path(VELMORA_TEST_DATA) / ".." / ".." / "examples" / "demo";
  std::string err;
  ASSERT_EQ(Gamepack("bundle " + demo.string() + " -o " + (m_Dir / "demo").string(), &err), 0) << err;
  for (const char* file : {"demo", "demo.desktop", "demo.png", "install.sh", "README.txt", "libvelmora_core.so",
                           "libvelmora_engine.so"})
    EXPECT_TRUE(fs::exists(m_Dir / "demo" / file)) << file;
  std::ifstream png(m_Dir / "demo" / "demo.png", std::ios::binary);
  RBytes icon((std::istreambuf_iterator<char>(png)), {});
  int32_t w = 0, h = 0;
  RBytes pixels;
  std::string error;
  EXPECT_TRUE(Image_Decode(icon, 4, w, h, pixels, error)) << error;
  EXPECT_EQ(w, 32);  // the ball, the first sprite
  std::ifstream readme(m_Dir / "demo" / "README.txt");
  const std::string readmeText(std::istreambuf_iterator<char>(readme), {});
  EXPECT_NE(readmeText.find("apt-get install libsdl2-2.0-0"), std::string::npos);
  // Every library the game and the engine link directly comes from a package
  // the README names (where the system can tell which package that is).
  const std::string needed = (m_Dir / "needed.txt").string();
  std::system(("cd " + (m_Dir / "demo").string() +
               " && for f in demo libvelmora_core.so libvelmora_engine.so; do objdump -p $f | "
               "awk '/NEEDED/{print $2}'; done | sort -u | while read l; do "
               "p=$(ldconfig -p | awk -v l=\"$l\" '$1==l{print $NF; exit}'); "
               "[ -n \"$p\" ] && dpkg -S \"$(readlink -f $p)\" 2>/dev/null | cut -d: -f1; done >" + needed)
                  .c_str());
  std::ifstream packages(needed);
  for (std::string package; std::getline(packages, package);)
    if (package.find("velmora") == std::string::npos && package.rfind("libc6", 0) != 0 &&
        package.rfind("libgcc", 0) != 0)
      EXPECT_NE(readmeText.find(" " + package), std::string::npos) << package << " is not named in the README";
  // A folder in use is refused and left as it was.
  EXPECT_NE(Gamepack("bundle " + demo.string() + " -o " + (m_Dir / "demo").string(), &err), 0);
  EXPECT_TRUE(fs::exists(m_Dir / "demo" / "demo"));

  // A game file that ends itself, bundled, moved and played: a packaged game
  // takes no runner options, so it must end on its own.
  CGameBuilder builder;
  const int32_t object = builder.AddObject("obj_end");
  builder.AddEvent(object, 3, 0, "steps += 1; if (steps == 30) game_end();");
  builder.AddEvent(object, 0, 0, "steps = 0;");
  builder.AddInstance(0, object, 0, 0);
  builder.Write(m_Dir / "ends.game");
  ASSERT_EQ(Gamepack("bundle " + (m_Dir / "ends.game").string() + " -o " + (m_Dir / "made").string(), &err), 0)
      << err;
  const fs::path copy = m_Dir / "elsewhere";
  fs::copy(m_Dir / "made", copy, fs::copy_options::recursive);
  fs::remove_all(m_Dir / "made");
  // The copy finds the engine beside itself.
  const std::string ldd = (m_Dir / "ldd.txt").string();
  ASSERT_EQ(std::system(("ldd " + (copy / "ends").string() + " >" + ldd).c_str()), 0);
  std::ifstream libs(ldd);
  std::string line;
  int found = 0;
  while (std::getline(libs, line))
    if (line.find("libvelmora_") != std::string::npos) {
      EXPECT_NE(line.find(copy.string()), std::string::npos) << line;
      found++;
    }
  EXPECT_EQ(found, 2);
  const std::string command = "cd " + copy.string() +
                              " && ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                              "./ends >/dev/null 2>&1 </dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

// The registry knows each built-in's module, and the reference shows it.
TEST_F(Authoring, ReferenceGroupsBuiltinsByModule) {
  Builtins_RegisterAll();
  EXPECT_EQ(Function_Module(Function_BuiltinIdOf("sound_play")), "Function_Sound");
  EXPECT_EQ(Function_Module(Function_BuiltinIdOf("keyboard_check")), "IO_Main");
  EXPECT_EQ(Variable_Group(BuiltinIndexOf("hspeed")), "instance");
  EXPECT_EQ(Variable_Group(BuiltinIndexOf("room_width")), "game");
  const std::string reference = Gamepack_Reference();
  const size_t sound = reference.find("### Sound (`Function_Sound`)");
  ASSERT_NE(sound, std::string::npos);
  EXPECT_GT(reference.find("| `sound_play` | 1 |"), sound);
  EXPECT_NE(reference.find("| `room_width` | read-only |"), std::string::npos);
  EXPECT_NE(reference.find("| `c_white` | 16777215 |"), std::string::npos);
  EXPECT_NE(reference.find("| `show_message` | 1 |"), std::string::npos);
  EXPECT_NE(reference.find("| `space` | 32 |"), std::string::npos);
}
