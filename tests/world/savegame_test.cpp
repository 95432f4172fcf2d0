// Saved games: a play state of several rooms saved, changed and loaded back
// field by field and saved again to the same bytes; F5 and F6 through the
// step; game_load at the end of the pass; refusals and damaged files that
// leave the game as it was; a writer killed while saving.
#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <span>
#include <tuple>

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

// The plain fields of an instance, filled with distinct values and compared
// one by one.
using S = RInstanceState;
constexpr double S::*kReals[] = {
    &S::image_index, &S::image_speed, &S::image_xscale, &S::image_yscale, &S::image_angle, &S::image_alpha,
    &S::depth, &S::x, &S::y, &S::xstart, &S::ystart, &S::xprevious, &S::yprevious, &S::direction, &S::speed,
    &S::friction, &S::gravity_direction, &S::gravity, &S::hspeed, &S::vspeed, &S::path_position,
    &S::path_positionprevious, &S::path_speed, &S::path_scale, &S::path_orientation, &S::path_xstart,
    &S::path_ystart, &S::timeline_position, &S::timeline_speed};
constexpr int32_t S::*kInts[] = {&S::id, &S::object_index, &S::sprite_index, &S::image_blend, &S::mask_index,
                                 &S::bbox_left, &S::bbox_top, &S::bbox_right, &S::bbox_bottom, &S::path_index,
                                 &S::path_endaction, &S::timeline_index};
constexpr bool S::*kFlags[] = {&S::precise, &S::visible, &S::solid, &S::persistent, &S::destroyed, &S::deactivated};

// Everything but id, object and the two marks.
void FillDistinct(CInstance& inst, int32_t n) {
  for (auto field : kReals) inst.*field = ++n + 0.25;
  for (auto field : std::span(kInts).subspan(2)) inst.*field = ++n * 3;
  for (auto field : std::span(kFlags).first(4)) inst.*field = ++n % 2 == 0;
  for (int32_t& alarm : inst.alarm) alarm = ++n;
  inst.creation_code = "code " + std::to_string(n);
}

std::vector<uint8_t> Bytes(const CVariableList& list) {
  CStream s;
  list.WriteTo(s);
  return s.Bytes();
}

void ExpectSame(const CInstance& a, const CInstance& b) {
  SCOPED_TRACE(a.id);
  for (auto field : kReals) EXPECT_EQ(a.*field, b.*field);
  for (auto field : kInts) EXPECT_EQ(a.*field, b.*field);
  for (auto field : kFlags) EXPECT_EQ(a.*field, b.*field);
  EXPECT_TRUE(std::equal(std::begin(a.alarm), std::end(a.alarm), std::begin(b.alarm)));
  EXPECT_EQ(a.creation_code, b.creation_code);
  EXPECT_EQ(Bytes(a.variables), Bytes(b.variables));
}

// Copies of a room's instances, active then deactivated.
std::vector<std::unique_ptr<CInstance>> Snapshot(const CRoom& room) {
  std::vector<std::unique_ptr<CInstance>> copies;
  for (const auto* list : {&room.Instances(), &room.Deactivated()})
    for (const CInstance* inst : *list) copies.emplace_back(new CInstance)->CopyFrom(*inst);
  return copies;
}

RValue Global(const char* name, int32_t index = 0) {
  RValue v;
  GetGlobal(VariableIdOf(name), index, v);
  return v;
}

RValue Call(const char* name, std::initializer_list<double> args) {
  RValue slots[MAX_ARGUMENTS];
  std::transform(args.begin(), args.end(), slots, [](double v) { return RValue(v); });
  return CallWithSlots(name, slots, static_cast<int>(args.size()));
}

// Object 0 logs its create (C), room start (S) and alarm 0 (A); object 1 is
// persistent. Room 0 holds three instances of 0 and one of 1; room 1
// (persistent) one of 0; room 2 is never entered.
class SavedGame : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    RTestWorld world;
    world.objects = {
        TestWorld_Object("Walker", -1,
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
    Resource_SetName(RESOURCE_BACKGROUND, 0, "back");
    std::swap(GameId, m_OldGameId);
    IO_ClearAll();
  }
  void TearDown() override {
    TestWorld_Clear();
    TimeLine_Install({});
    Resource_ClearNames(RESOURCE_BACKGROUND);
    std::swap(GameId, m_OldGameId);
    RunState.AutomaticDraw = true;
    FileTest::TearDown();
  }

  // A play state that touches every part of a saved game.
  void BuildScene() {
    StartGame();
    ChangeRoom(1);
    // Tiles end the last room of the file: their count must fit the bytes left.
    for (int i = 0; i < 4; i++) Call("tile_add", {0, 1, 2, 3, 4, 5, 6.0 + i, 7});
    Room_Current()->backgrounds[2].x = 33;
    ChangeRoom(0);

    CRoom& room = *Room_Current();
    std::tie(room.caption, room.width, room.speed, room.show_background_color) = std::make_tuple("Cave", 800, 45, false);
    room.backgrounds[3] = CBack{true, true, 0, 1.5, 2.5, false, true, 2, 3, 0.25, -0.5, 0xABCDEF, 0.75};
    room.views_enabled = true;
    room.views[1] = CView{true, 1, 2, 3, 4, 5, 6, 7, 8, 12.5, 9, 10, 11, 12, 100001};
    Call("tile_add", {0, 8, 9, 10, 11, 12, 13, -14});

    CInstance& a = *Room_FindInstance(100001);
    FillDistinct(a, 10);
    a.variables.Set(VariableIdOf("name"), 0, RValue(std::string("Ann")));
    a.variables.Set(VariableIdOf("grid"), 2 * VARIABLE_ARRAY_SIZE + 5, RValue(4.5));
    FillDistinct(*Room_FindInstance(100002), 200);
    Room_FindInstance(100002)->deactivated = true;
    Instance_MarkDestroyed(Room_FindInstance(100003));
    room.ApplyActivation();
    Call("instance_create", {5, 6, 0});
    // The keeper's object is deleted: its instance comes back as it was.
    Call("object_delete", {1});

    SetGlobal(VariableIdOf("table"), VARIABLE_ARRAY_SIZE + 2, RValue(std::string("saved")));
    Variable_GlobalvarFlags.assign(24, false);
    Variable_GlobalvarFlags[5] = true;
    Game = RGameGlobals{120, 3, 42.5, 4, 80, 2};
    RunState.CursorImage = 17;
    RunState.AutomaticDraw = false;
    TestWorld_ClearLog();
  }

  // Something different in every part, in another room.
  void ChangeEverything() {
    Room_FindInstance(100001)->x = -1;
    Room_Current()->tiles.clear();
    SetGlobal(VariableIdOf("table"), VARIABLE_ARRAY_SIZE + 2, RValue(1));
    Variable_GlobalvarFlags.assign(30, true);
    Game = RGameGlobals{};
    RunState.CursorImage = 0;
    RunState.AutomaticDraw = true;
    Call("instance_create", {0, 0, 0});
    ChangeRoom(1);
  }

  int32_t m_OldGameId = kGameId;
};

TEST_F(SavedGame, RoundTripRestoresEveryFieldAndSavesTheSameBytes) {
  BuildScene();
  ASSERT_TRUE(SaveGameToFile("slot.sav"));
  auto room0 = Snapshot(*Room_Current()), room1 = Snapshot(*Room_RuntimeCopies()[1]);
  const int32_t last_id = Instance_LastId, last_tile = Tile_LastId;
  ChangeEverything();

  ASSERT_TRUE(LoadGameFromFile("slot.sav"));
  EXPECT_EQ(TestWorld_Log(), "");  // no event ran
  ASSERT_EQ(Room_RuntimeCopies().size(), 3u);
  EXPECT_EQ(Room_RuntimeCopies()[2], nullptr);
  CRoom& room = *Room_Current();
  EXPECT_EQ(std::make_tuple(RoomIndex, &room), std::make_tuple(0, Room_RuntimeCopies()[0].get()));
  EXPECT_EQ(std::tie(room.caption, room.width, room.speed, room.show_background_color),
            std::make_tuple("Cave", 800, 45, false));
  const CBack& b = room.backgrounds[3];
  EXPECT_EQ(std::tie(b.visible, b.foreground, b.tile_h, b.tile_v, b.x, b.y, b.hspeed, b.vspeed, b.xscale, b.yscale,
                     b.blend, b.alpha),
            std::make_tuple(true, true, false, true, 1.5, 2.5, 2.0, 3.0, 0.25, -0.5, 0xABCDEF, 0.75));
  const CView& v = room.views[1];
  EXPECT_TRUE(room.views_enabled);
  EXPECT_EQ(std::tie(v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport, v.angle, v.hborder,
                     v.vborder, v.hspeed, v.vspeed, v.object),
            std::make_tuple(1, 2, 3, 4, 5, 6, 7, 8, 12.5, 9, 10, 11, 12, 100001));
  ASSERT_EQ(room.tiles.size(), 1u);
  const RTile& t = room.tiles[0];
  EXPECT_EQ(std::tie(t.background, t.left, t.top, t.width, t.height, t.x, t.y, t.depth, t.id),
            std::make_tuple(0, 8, 9, 10, 11, 12.0, 13.0, -14.0, last_tile));

  // Active (the destroyed one and the deleted object's one included), then
  // deactivated, in their order; in both rooms.
  for (int r = 0; r < 2; r++) {
    auto after = Snapshot(*Room_RuntimeCopies()[r]);
    const auto& before = r == 0 ? room0 : room1;
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); i++) ExpectSame(*after[i], *before[i]);
  }
  EXPECT_EQ(room.Deactivated().size(), 1u);
  EXPECT_EQ(Room_FindInstance(100003), nullptr);  // destroyed: not found
  EXPECT_EQ(room.ObjectInstances(0).size(), 2u);
  EXPECT_EQ(Room_RuntimeCopies()[1]->tiles.size(), 4u);
  EXPECT_EQ(Room_RuntimeCopies()[1]->backgrounds[2].x, 33);

  EXPECT_EQ(Global("table", VARIABLE_ARRAY_SIZE + 2).str, "saved");
  EXPECT_EQ(Variable_GlobalvarFlags.size(), 24u);
  EXPECT_TRUE(IsGlobalvar(USER_VARIABLE_BASE + 5));
  EXPECT_EQ(std::tie(Game.score, Game.lives, Game.health, Game.transition_kind, Game.cursor_sprite),
            std::make_tuple(120, 3, 42.5, 4, 2));
  EXPECT_EQ(std::tie(RunState.CursorImage, RunState.AutomaticDraw, Instance_LastId, Tile_LastId),
            std::make_tuple(17, false, last_id, last_tile));

  ASSERT_TRUE(SaveGameToFile("again.sav"));
  EXPECT_TRUE(ReadWhole("again.sav") == ReadWhole("slot.sav"));
  // Ids go on from the saved counter; the persistent room resumes.
  EXPECT_EQ(Call("instance_create", {0, 0, 0}).real, last_id + 1);
  TestWorld_ClearLog();
  ChangeRoom(1);
  EXPECT_EQ(TestWorld_Log(), "S");
}

TEST_F(SavedGame, FunctionKeysSaveAndLoadWithinTheStep) {
  BuildScene();
  CInstance& walker = *Room_FindInstance(100001);
  walker.alarm[0] = 3;
  walker.timeline_index = static_cast<int32_t>(CallByName("timeline_add").real);
  walker.timeline_position = 0;
  walker.timeline_speed = 1;
  const std::string file = "_save" + std::to_string(kGameId) + ".sav";

  // F5 saves before the step goes on: the file holds alarm 3, position 0.
  IO_Input.keyboard_lastkey = 116;
  DoStep();
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  ASSERT_TRUE(std::filesystem::exists(file));
  ChangeEverything();
  IO_Input.keyboard_lastkey = 117;
  DoStep();
  // The step went on in the loaded room, without room or create events.
  CInstance* loaded = Room_FindInstance(100001);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(std::tie(RoomIndex, loaded->alarm[0], loaded->timeline_position, Game.score), std::make_tuple(0, 2, 1.0, 120));
  EXPECT_EQ(TestWorld_Log(), "");

  // The keys do nothing when the game turns them off.
  std::filesystem::remove(file);
  Settings.KeyF5F6 = false;
  IO_Input.keyboard_lastkey = 116;
  DoStep();
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SavedGame, GameLoadTakesEffectAtTheEndOfThePass) {
  BuildScene();
  CallByName("action_save_game", {Str("slot.sav")});
  ChangeEverything();
  CRoom* before = Room_Current();
  ASSERT_TRUE(TestWorld_Run("action_load_game('slot.sav'); global.log += 'x'", Room_FindInstance(100010)));
  EXPECT_EQ(std::tie(RunState.PendingRoom, RunState.PendingLoadFile), std::make_tuple(REQUEST_LOAD, "slot.sav"));
  EXPECT_EQ(Room_Current(), before);  // nothing loaded yet
  IO_Input.keyboard_lastkey = 65;
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(std::tie(RunState.PendingRoom, IO_Input.keyboard_lastkey, RoomIndex, Game.score),
            std::make_tuple(REQUEST_NONE, 0, 0, 120));
  EXPECT_EQ(TestWorld_Log(), "");  // the saved globals

  // A missing file: nothing happens, nothing is reported.
  before = Room_Current();
  CallByName("game_load", {Str("none.sav")});
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(Room_Current(), before);
  EXPECT_EQ(TakeError(), "");
}

std::string Ints(std::initializer_list<int32_t> values) {
  std::string bytes;
  for (int32_t v : values) bytes.append(reinterpret_cast<const char*>(&v), 4);
  return bytes;
}

TEST_F(SavedGame, RefusalsAndBadFilesChangeNothing) {
  BuildScene();
  SecureMode = true;
  for (const char* name : {"sub/x.sav", "sub\\x.sav"}) {
    EXPECT_FALSE(SaveGameToFile(name));
    EXPECT_EQ(TakeError(), std::string("In secure mode you cannot save game to file ") + name);
  }
  EXPECT_TRUE(SaveGameToFile("valid.sav"));
  SecureMode = false;
  EXPECT_FALSE(SaveGameToFile("no_folder/x.sav"));
  EXPECT_EQ(TakeError(), "Failed to save game to file no_folder/x.sav");
  // An object past the table cannot be this game's.
  Room_FindInstance(100001)->object_index = 77;
  ASSERT_TRUE(SaveGameToFile("beyond.sav"));
  Room_FindInstance(100001)->object_index = 0;

  // Version, game, room 0, transition, score, lives, health, cursor, its
  // image, automatic draw, globals (700, an empty list, no flags).
  const std::string header = Ints({540, kGameId, 0, 0, 0, 0, 0, 0, -1, 0, 1, 700, 440, 0, 0});
  const std::string failed = "Failed to load game from file bad.sav";
  const std::pair<std::string, std::string> cases[] = {
      {"", failed},
      {"garbage!", "Cannot load game saved with other version."},
      {Ints({541, kGameId}), "Cannot load game saved with other version."},
      {Ints({540, 7}), "This is a save file for a different game!"},
      {header + Ints({0x7FFFFFFF}), failed},  // room slots
      {header + Ints({1, 1, 540, 0, 10, 10, 30, 0, 0, 1, 0, 0, 0, 0, 0x7FFFFFFF}), failed},  // instances
      {header + Ints({1, 0, 100000, 10000000}), failed},  // no copy of the current room
      {ReadWhole("valid.sav") + "x", failed},
      {ReadWhole("beyond.sav"), failed},
  };
  CRoom* current = Room_Current();
  for (const auto& [bytes, message] : cases) {
    WriteWhole("bad.sav", bytes);
    EXPECT_FALSE(LoadGameFromFile("bad.sav")) << message;
    EXPECT_EQ(TakeError(), message);
    EXPECT_EQ(Room_Current(), current);
  }
  ASSERT_TRUE(SaveGameToFile("after.sav"));
  EXPECT_TRUE(ReadWhole("after.sav") == ReadWhole("valid.sav"));
}

TEST_F(SavedGame, CutAtEveryByteLeavesTheGameUnchanged) {
  BuildScene();
  ASSERT_TRUE(SaveGameToFile("full.sav"));
  const std::string full = ReadWhole("full.sav");
  ChangeEverything();
  ASSERT_TRUE(SaveGameToFile("before.sav"));
  CRoom* current = Room_Current();
  for (size_t n = 0; n < full.size(); n++) {
    // A new file each time: rewriting one in place waits for the disk.
    std::filesystem::remove("cut.sav");
    WriteWhole("cut.sav", full.substr(0, n));
    ASSERT_FALSE(LoadGameFromFile("cut.sav")) << n;
    ASSERT_EQ(TakeError(), "Failed to load game from file cut.sav") << n;
    ASSERT_EQ(Room_Current(), current) << n;
  }
  // Whatever a cut file might have touched shows in the state saved again.
  ASSERT_TRUE(SaveGameToFile("after.sav"));
  EXPECT_TRUE(ReadWhole("after.sav") == ReadWhole("before.sav"));
}

// The score field of a whole saved game; -1 while there is none.
int32_t SavedScore() {
  std::string bytes = ReadWhole("kill.sav");
  int32_t score = -1;
  if (bytes.size() >= 20) std::memcpy(&score, bytes.data() + 16, 4);
  return score;
}

TEST_F(SavedGame, WriterKilledWhileSavingLeavesTheOldFileLoadable) {
  BuildScene();
  // A large global makes each save long enough to be cut in the middle.
  SetGlobal(VariableIdOf("ballast"), 0, RValue(std::string(1 << 20, 'b')));
  for (int round = 1; round <= 3; round++) {
    const int32_t before = SavedScore();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
      for (Game.score = std::max(before, 0) + 1;; Game.score++) SaveGameToFile("kill.sav");
    int status = 0;
    while (SavedScore() < before + 3) {
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
