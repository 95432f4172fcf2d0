// Saved games: a play state of several rooms saved, changed and loaded back
// field by field and saved again to the same bytes; F5 and F6 through the
// step; game_load carried out at the end of the pass; refusals and damaged
// files that leave the game as it was; a writer killed while saving.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "data/Resource_Names.h"
#include "data/Support_Stream.h"
#include "functions/File_Fixture.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "step/Run_Step.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/Run_Command.h"
#include "world/Run_Global.h"
#include "world/TimeLine_Main.h"

namespace {

constexpr int32_t kGameId = 4242;
constexpr int32_t kKeyF5 = 116, kKeyF6 = 117;

// The plain fields of an instance, for filling them with distinct values
// and comparing them one by one.
using S = RInstanceState;
constexpr double S::*kReals[] = {
    &S::image_index, &S::image_speed, &S::image_xscale, &S::image_yscale, &S::image_angle, &S::image_alpha,
    &S::depth, &S::x, &S::y, &S::xstart, &S::ystart, &S::xprevious, &S::yprevious, &S::direction, &S::speed,
    &S::friction, &S::gravity_direction, &S::gravity, &S::hspeed, &S::vspeed, &S::path_position,
    &S::path_positionprevious, &S::path_speed, &S::path_scale, &S::path_orientation, &S::path_xstart,
    &S::path_ystart, &S::timeline_position, &S::timeline_speed};
constexpr int32_t S::*kInts[] = {&S::sprite_index, &S::image_blend, &S::mask_index, &S::bbox_left, &S::bbox_top,
                                 &S::bbox_right, &S::bbox_bottom, &S::path_index, &S::path_endaction,
                                 &S::timeline_index};
constexpr bool S::*kFlags[] = {&S::precise, &S::visible, &S::solid, &S::persistent};

void FillDistinct(CInstance& inst, int32_t seed) {
  int32_t n = seed;
  for (auto field : kReals) inst.*field = ++n + 0.25;
  for (auto field : kInts) inst.*field = ++n * 3;
  for (auto field : kFlags) inst.*field = ++n % 2 == 0;
  for (int32_t& alarm : inst.alarm) alarm = ++n;
  inst.creation_code = "code " + std::to_string(seed);
}

std::vector<uint8_t> Bytes(const CVariableList& list) {
  CStream s;
  list.WriteTo(s);
  return s.Bytes();
}

void ExpectSame(const CInstance& a, const CInstance& b) {
  SCOPED_TRACE(a.id);
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.object_index, b.object_index);
  for (auto field : kReals) EXPECT_EQ(a.*field, b.*field);
  for (auto field : kInts) EXPECT_EQ(a.*field, b.*field);
  for (auto field : kFlags) EXPECT_EQ(a.*field, b.*field);
  EXPECT_TRUE(std::equal(std::begin(a.alarm), std::end(a.alarm), std::begin(b.alarm)));
  EXPECT_EQ(a.destroyed, b.destroyed);
  EXPECT_EQ(a.deactivated, b.deactivated);
  EXPECT_EQ(a.creation_code, b.creation_code);
  EXPECT_EQ(Bytes(a.variables), Bytes(b.variables));
}

// Copies of a room's instances, active then deactivated.
std::vector<std::unique_ptr<CInstance>> Snapshot(const CRoom& room) {
  std::vector<std::unique_ptr<CInstance>> copies;
  for (const auto* list : {&room.Instances(), &room.Deactivated()})
    for (const CInstance* inst : *list) {
      copies.push_back(std::make_unique<CInstance>());
      copies.back()->CopyFrom(*inst);
    }
  return copies;
}

RValue Global(const char* name, int32_t index = 0) {
  RValue v;
  EXPECT_TRUE(GetGlobal(VariableIdOf(name), index, v)) << name;
  return v;
}

// Object 0 logs its create (C), room start (S), alarm 0 (A) and time line
// moments (T); object 1 is persistent. Room 0 holds three instances of 0 and
// a keeper; room 1 (persistent) one instance; room 2 is never entered.
class SavedGame : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    RTestWorld world;
    world.objects = {TestWorld_Object("Walker", -1,
                                      {{EV_CREATE, 0, "global.log += 'C'"},
                                       {EV_OTHER, EV_ROOM_START, "global.log += 'S'"},
                                       {EV_ALARM, 0, "global.log += 'A'"}}),
                     TestWorld_Object("Keeper", -1, {})};
    world.objects[1].persistent = true;
    world.rooms.resize(3);
    world.rooms[0].instances = {TestWorld_Instance(0, 100001), TestWorld_Instance(0, 100002),
                                TestWorld_Instance(0, 100003), TestWorld_Instance(1, 100004)};
    world.rooms[1].instances = {TestWorld_Instance(0, 100010)};
    world.rooms[1].persistent = true;
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    Resource_ClearNames(RESOURCE_BACKGROUND);
    Resource_SetName(RESOURCE_BACKGROUND, 0, "back");
    m_OldGameId = GameId;
    GameId = kGameId;
    IO_ClearAll();
  }
  void TearDown() override {
    TestWorld_Clear();
    TimeLine_Install({});
    Resource_ClearNames(RESOURCE_BACKGROUND);
    IO_ClearAll();
    GameId = m_OldGameId;
    RunState.AutomaticDraw = true;
    FileTest::TearDown();
  }

  // A play state that touches every part of a saved game.
  void BuildScene() {
    StartGame();
    ChangeRoom(1);
    // Tiles end the last room of the file: their count must fit the bytes left.
    for (int i = 0; i < 4; i++)
      CallByName("tile_add", {RValue(0), RValue(1), RValue(2), RValue(3), RValue(4), RValue(5), RValue(i), RValue(7)});
    Room_Current()->backgrounds[2].x = 33;
    Room_FindInstance(100010)->variables.Set(VariableIdOf("visits"), 0, RValue(3));
    ChangeRoom(0);

    CRoom& room = *Room_Current();
    room.caption = "Cave";
    room.width = 800;
    room.height = 600;
    room.speed = 45;
    room.background_color = 0x123456;
    room.show_background_color = false;
    room.creation_code = "x = 1";
    room.backgrounds[3] = CBack{true, true, 0, 1.5, 2.5, false, true, 2, 3, 0.25, -0.5, 0xABCDEF, 0.75};
    room.views_enabled = true;
    room.views[1] = CView{true, 1, 2, 3, 4, 5, 6, 7, 8, 12.5, 9, 10, 11, 12, 100001};
    CallByName("tile_add", {RValue(0), RValue(8), RValue(9), RValue(10), RValue(11), RValue(12), RValue(13),
                            RValue(-14)});

    CInstance& a = *Room_FindInstance(100001);
    FillDistinct(a, 10);
    a.variables.Set(VariableIdOf("name"), 0, RValue(std::string("Ann")));
    a.variables.Set(VariableIdOf("row"), 3, RValue(4.5));
    a.variables.Set(VariableIdOf("grid"), 2 * VARIABLE_ARRAY_SIZE + 5, RValue(std::string("g")));
    FillDistinct(*Room_FindInstance(100002), 200);
    Room_FindInstance(100002)->deactivated = true;
    Room_FindInstance(100003)->destroyed = true;
    room.ApplyActivation();
    CallByName("instance_create", {RValue(5), RValue(6), RValue(0)});
    // The keeper's object is deleted: its instance comes back as it was.
    CallByName("object_delete", {RValue(1)});

    SetGlobal(VariableIdOf("title"), 0, RValue(std::string("saved")));
    SetGlobal(VariableIdOf("table"), VARIABLE_ARRAY_SIZE + 2, RValue(9));
    Variable_GlobalvarFlags.assign(24, false);
    Variable_GlobalvarFlags[5] = true;
    Game.score = 120;
    Game.lives = 3;
    Game.health = 42.5;
    Game.cursor_sprite = 2;
    Game.transition_kind = 4;
    RunState.CursorImage = 17;
    RunState.AutomaticDraw = false;
    TestWorld_ClearLog();
  }

  // Something different in every part.
  void ChangeEverything() {
    Room_FindInstance(100001)->x = -1;
    Room_FindInstance(100001)->variables.Set(VariableIdOf("name"), 0, RValue(std::string("Bob")));
    Room_Current()->tiles.clear();
    SetGlobal(VariableIdOf("title"), 0, RValue(std::string("changed")));
    Variable_GlobalvarFlags.assign(30, true);
    Game = RGameGlobals{};
    RunState.CursorImage = 0;
    RunState.AutomaticDraw = true;
    CallByName("instance_create", {RValue(0), RValue(0), RValue(0)});
    ChangeRoom(1);
  }

  int32_t m_OldGameId = 0;
};

TEST_F(SavedGame, RoundTripRestoresEveryFieldAndSavesTheSameBytes) {
  BuildScene();
  ASSERT_TRUE(SaveGameToFile("slot.sav"));
  const std::string saved = ReadWhole("slot.sav");
  auto room0 = Snapshot(*Room_Current());
  auto room1 = Snapshot(*Room_RuntimeCopies()[1]);
  const int32_t last_id = Instance_LastId, last_tile = Tile_LastId;

  ChangeEverything();
  ASSERT_TRUE(LoadGameFromFile("slot.sav"));
  EXPECT_EQ(TestWorld_Log(), "");  // no event ran

  EXPECT_EQ(RoomIndex, 0);
  ASSERT_EQ(Room_RuntimeCopies().size(), 3u);
  EXPECT_EQ(Room_RuntimeCopies()[2], nullptr);
  CRoom& room = *Room_Current();
  EXPECT_EQ(&room, Room_RuntimeCopies()[0].get());
  EXPECT_EQ(room.caption, "Cave");
  EXPECT_EQ(room.width, 800);
  EXPECT_EQ(room.height, 600);
  EXPECT_EQ(room.speed, 45);
  EXPECT_EQ(room.background_color, 0x123456);
  EXPECT_FALSE(room.show_background_color);
  EXPECT_EQ(room.creation_code, "x = 1");
  const CBack& b = room.backgrounds[3];
  EXPECT_TRUE(b.visible && b.foreground && !b.tile_h && b.tile_v);
  EXPECT_EQ(std::vector<double>({b.x, b.y, b.hspeed, b.vspeed, b.xscale, b.yscale, b.alpha}),
            std::vector<double>({1.5, 2.5, 2, 3, 0.25, -0.5, 0.75}));
  EXPECT_EQ(b.blend, 0xABCDEF);
  EXPECT_TRUE(room.views_enabled);
  const CView& v = room.views[1];
  EXPECT_EQ(std::vector<int32_t>({v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport, v.hborder,
                                  v.vborder, v.hspeed, v.vspeed, v.object}),
            std::vector<int32_t>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 100001}));
  EXPECT_EQ(v.angle, 12.5);
  ASSERT_EQ(room.tiles.size(), 1u);
  const RTile& t = room.tiles[0];
  EXPECT_EQ(std::vector<double>({t.x, t.y, t.depth}), std::vector<double>({12, 13, -14}));
  EXPECT_EQ(std::vector<int32_t>({t.background, t.left, t.top, t.width, t.height, t.id}),
            std::vector<int32_t>({0, 8, 9, 10, 11, last_tile}));

  // Active (the destroyed one included, the deleted object's one too), then
  // deactivated, in their order.
  auto loaded0 = Snapshot(room);
  ASSERT_EQ(loaded0.size(), room0.size());
  for (size_t i = 0; i < room0.size(); i++) ExpectSame(*loaded0[i], *room0[i]);
  EXPECT_EQ(room.Deactivated().size(), 1u);
  EXPECT_EQ(Room_FindInstance(100003), nullptr);  // destroyed: not found
  EXPECT_EQ(room.ObjectInstances(0).size(), 2u);  // 100001 and the created one
  RValue value;
  ASSERT_TRUE(Room_FindInstance(100001)->variables.Get(VariableIdOf("grid"), 2 * VARIABLE_ARRAY_SIZE + 5, value));
  EXPECT_EQ(value.str, "g");

  // The persistent room that was left, with its tile and layer.
  auto loaded1 = Snapshot(*Room_RuntimeCopies()[1]);
  ASSERT_EQ(loaded1.size(), room1.size());
  for (size_t i = 0; i < room1.size(); i++) ExpectSame(*loaded1[i], *room1[i]);
  EXPECT_EQ(Room_RuntimeCopies()[1]->tiles.size(), 4u);
  EXPECT_EQ(Room_RuntimeCopies()[1]->backgrounds[2].x, 33);

  EXPECT_EQ(Global("title").str, "saved");
  EXPECT_EQ(Global("table", VARIABLE_ARRAY_SIZE + 2).real, 9);
  EXPECT_EQ(Variable_GlobalvarFlags.size(), 24u);
  EXPECT_TRUE(IsGlobalvar(USER_VARIABLE_BASE + 5));
  EXPECT_EQ(Game.score, 120);
  EXPECT_EQ(Game.lives, 3);
  EXPECT_EQ(Game.health, 42.5);
  EXPECT_EQ(Game.cursor_sprite, 2);
  EXPECT_EQ(Game.transition_kind, 4);
  EXPECT_EQ(RunState.CursorImage, 17);
  EXPECT_FALSE(RunState.AutomaticDraw);
  EXPECT_EQ(Instance_LastId, last_id);
  EXPECT_EQ(Tile_LastId, last_tile);

  ASSERT_TRUE(SaveGameToFile("again.sav"));
  EXPECT_TRUE(ReadWhole("again.sav") == saved);

  // Ids go on from the saved counter; the persistent room resumes.
  EXPECT_EQ(CallByName("instance_create", {RValue(0), RValue(0), RValue(0)}).real, last_id + 1);
  TestWorld_ClearLog();
  ChangeRoom(1);
  EXPECT_EQ(TestWorld_Log(), "S");
  EXPECT_EQ(Room_FindInstance(100010)->variables.Find(VariableIdOf("visits"), 0)->real, 3);
}

TEST_F(SavedGame, FunctionKeysSaveAndLoadWithinTheStep) {
  BuildScene();
  RunState.AutomaticDraw = true;
  CInstance& walker = *Room_FindInstance(100001);
  walker.alarm[0] = 3;
  walker.timeline_index = static_cast<int32_t>(CallByName("timeline_add").real);
  walker.timeline_position = 0;
  walker.timeline_speed = 1;
  const std::string file = "_save" + std::to_string(kGameId) + ".sav";

  // F5 saves before the step goes on: the file holds alarm 3, position 0.
  IO_Input.keyboard_lastkey = kKeyF5;
  DoStep();
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(Room_FindInstance(100001)->alarm[0], 2);

  ChangeEverything();
  TestWorld_ClearLog();
  IO_Input.keyboard_lastkey = kKeyF6;
  DoStep();
  // The step went on in the loaded room, without room or create events.
  EXPECT_EQ(RoomIndex, 0);
  CInstance* loaded = Room_FindInstance(100001);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->alarm[0], 2);
  EXPECT_EQ(loaded->timeline_position, 1);
  EXPECT_EQ(Game.score, 120);
  EXPECT_EQ(TestWorld_Log(), "");

  // The keys do nothing when the game turns them off.
  std::filesystem::remove(file);
  Settings.KeyF5F6 = false;
  IO_Input.keyboard_lastkey = kKeyF5;
  DoStep();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(IO_Input.keyboard_lastkey, kKeyF5);
}

TEST_F(SavedGame, GameLoadTakesEffectAtTheEndOfThePass) {
  BuildScene();
  CallByName("action_save_game", {Str("slot.sav")});
  ASSERT_TRUE(std::filesystem::exists("slot.sav"));
  ChangeEverything();
  CRoom* before = Room_Current();

  ASSERT_TRUE(TestWorld_Run("action_load_game('slot.sav'); global.log += 'x'", Room_FindInstance(100010)));
  EXPECT_EQ(RunState.PendingRoom, REQUEST_LOAD);
  EXPECT_EQ(RunState.PendingLoadFile, "slot.sav");
  EXPECT_EQ(Room_Current(), before);  // nothing loaded yet
  IO_Input.keyboard_lastkey = 65;
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);  // input cleared
  EXPECT_EQ(RoomIndex, 0);
  EXPECT_EQ(Game.score, 120);
  EXPECT_EQ(TestWorld_Log(), "");  // the globals are the saved ones

  // A missing file: nothing happens, nothing is reported.
  before = Room_Current();
  CallByName("game_load", {Str("none.sav")});
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(Room_Current(), before);
  EXPECT_EQ(TakeError(), "");
}

// The start of a saved game up to its room slots: version, game id, room 0,
// the game-wide values and an empty global store.
CStream Header(int32_t version, int32_t game) {
  CStream s;
  for (int32_t v : {version, game, 0, 0, 0, 0}) s.WriteInteger(v);
  s.WriteReal(100);
  for (int32_t v : {-1, 0, 1, 700, 440, 0, 0}) s.WriteInteger(v);
  return s;
}

TEST_F(SavedGame, RefusalsAndBadFilesChangeNothing) {
  BuildScene();
  SecureMode = true;
  for (const char* name : {"sub/x.sav", "sub\\x.sav"}) {
    EXPECT_FALSE(SaveGameToFile(name));
    EXPECT_EQ(TakeError(), std::string("In secure mode you cannot save game to file ") + name);
  }
  EXPECT_TRUE(SaveGameToFile("plain.sav"));
  SecureMode = false;
  EXPECT_FALSE(SaveGameToFile("no_folder/x.sav"));
  EXPECT_EQ(TakeError(), "Failed to save game to file no_folder/x.sav");

  CStream huge_rooms = Header(540, kGameId);
  huge_rooms.WriteInteger(0x7FFFFFFF);
  CStream huge_instances = Header(540, kGameId);
  for (int32_t v : {1, 1, 540, 0, 10, 10, 30, 0, 0, 1, 0, 0, 0, 0, 0x7FFFFFFF}) huge_instances.WriteInteger(v);
  CStream no_current_room = Header(540, kGameId);
  for (int32_t v : {1, 0, 100000, 10000000}) no_current_room.WriteInteger(v);
  std::string valid = ReadWhole("plain.sav");
  // An object past the table cannot be this game's.
  Room_FindInstance(100001)->object_index = 77;
  ASSERT_TRUE(SaveGameToFile("beyond.sav"));
  Room_FindInstance(100001)->object_index = 0;
  const std::string load_failed = "Failed to load game from file bad.sav";
  struct {
    std::string bytes;
    std::string message;
  } cases[] = {
      {"", load_failed},
      {"garbage", "Cannot load game saved with other version."},
      {std::string(reinterpret_cast<const char*>(Header(541, kGameId).Bytes().data()), 8),
       "Cannot load game saved with other version."},
      {std::string(reinterpret_cast<const char*>(Header(540, 7).Bytes().data()), 8),
       "This is a save file for a different game!"},
      {std::string(huge_rooms.Bytes().begin(), huge_rooms.Bytes().end()), load_failed},
      {std::string(huge_instances.Bytes().begin(), huge_instances.Bytes().end()), load_failed},
      {std::string(no_current_room.Bytes().begin(), no_current_room.Bytes().end()), load_failed},
      {valid + "x", load_failed},
      {ReadWhole("beyond.sav"), load_failed},
  };
  CRoom* current = Room_Current();
  for (const auto& c : cases) {
    WriteWhole("bad.sav", c.bytes);
    EXPECT_FALSE(LoadGameFromFile("bad.sav")) << c.message;
    EXPECT_EQ(TakeError(), c.message);
    EXPECT_EQ(Room_Current(), current);
  }
  ASSERT_TRUE(SaveGameToFile("after.sav"));
  EXPECT_TRUE(ReadWhole("after.sav") == valid);
}

TEST_F(SavedGame, CutAtEveryByteLeavesTheGameUnchanged) {
  BuildScene();
  ASSERT_TRUE(SaveGameToFile("full.sav"));
  const std::string full = ReadWhole("full.sav");
  ChangeEverything();
  ASSERT_TRUE(SaveGameToFile("before.sav"));
  CRoom* current = Room_Current();
  const int32_t score = Game.score;
  for (size_t n = 0; n < full.size(); n++) {
    // A new file each time: rewriting one in place waits for the disk.
    std::filesystem::remove("cut.sav");
    WriteWhole("cut.sav", full.substr(0, n));
    ASSERT_FALSE(LoadGameFromFile("cut.sav")) << n;
    ASSERT_EQ(TakeError(), "Failed to load game from file cut.sav") << n;
    ASSERT_EQ(Room_Current(), current) << n;
    ASSERT_EQ(Game.score, score) << n;
  }
  // Whatever a cut file might have touched shows in the state saved again.
  ASSERT_TRUE(SaveGameToFile("after.sav"));
  EXPECT_TRUE(ReadWhole("after.sav") == ReadWhole("before.sav"));
}

// Reads the score field of a whole saved game; -1 while there is none.
int32_t SavedScore(const std::string& bytes) {
  if (bytes.size() < 20) return -1;
  int32_t score;
  std::memcpy(&score, bytes.data() + 16, 4);
  return score;
}

TEST_F(SavedGame, WriterKilledWhileSavingLeavesTheOldFileLoadable) {
  BuildScene();
  // A large global makes each save long enough to be cut in the middle.
  SetGlobal(VariableIdOf("ballast"), 0, RValue(std::string(1 << 20, 'b')));
  for (int round = 1; round <= 3; round++) {
    const int32_t before = SavedScore(ReadWhole("kill.sav"));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int32_t i = std::max(before, 0) + 1;; i++) {
        Game.score = i;
        SaveGameToFile("kill.sav");
      }
    }
    int status = 0;
    while (SavedScore(ReadWhole("kill.sav")) < before + 3) {
      ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the writer stopped by itself";
      usleep(1000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);

    Game.score = 0;
    ASSERT_TRUE(LoadGameFromFile("kill.sav")) << TakeError();
    EXPECT_GE(Game.score, before + 3);
    EXPECT_EQ(Global("ballast").str.size(), 1u << 20);
  }
}

}  // namespace
