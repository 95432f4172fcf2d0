// Room changes with instances and events: creation codes alternating with
// create events, game start, room creation code, room start and end,
// persistent instances and rooms, game end and restart; the requests of
// the room built-ins; and one whole game played by the runner.
#include <gtest/gtest.h>

#include <stdexcept>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "graphics/Graphics_Window.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Form.h"
#include "step/Run_Step.h"
#include "support/Builtin_Call.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

int32_t LiveCount(int32_t object) {
  int32_t n = 0;
  for (const CInstance* inst : Room_ObjectInstances(object)) n += inst->destroyed ? 0 : 1;
  return n;
}

// 0 Logger: C on create, G on game start, S on room start, E on room end,
//   g on game end.
// 1 Keeper (persistent): K on create; counts its room starts as k1, k2 ...
// Room 0: two Loggers with creation codes, a Keeper, code R.
// Room 1 (persistent): a Logger with a creation code, code R1.
class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {
        TestWorld_Object("Logger", -1,
                         {{EV_CREATE, 0, "global.log += 'C'"},
                          {EV_OTHER, EV_GAME_START, "global.log += 'G'"},
                          {EV_OTHER, EV_ROOM_START, "global.log += 'S'"},
                          {EV_OTHER, EV_ROOM_END, "global.log += 'E'"},
                          {EV_OTHER, EV_GAME_END, "global.log += 'g'"}}),
        TestWorld_Object("Keeper", -1,
                         {{EV_CREATE, 0, "global.log += 'K'; visits = 0"},
                          {EV_OTHER, EV_ROOM_START, "visits += 1; global.log += 'k' + string(visits)"}}),
    };
    world.objects[1].persistent = true;
    world.rooms.resize(2);
    world.rooms[0].instances = {TestWorld_Instance(0, 100001, 0, 0, "global.log += 'i1'"),
                                TestWorld_Instance(0, 100002, 0, 0, "global.log += 'i2'"),
                                TestWorld_Instance(1, 100003, 5, 6)};
    world.rooms[0].creationCode = "global.log += 'R'";
    world.rooms[1].instances = {TestWorld_Instance(0, 100010, 0, 0, "global.log += 'j'")};
    world.rooms[1].creationCode = "global.log += 'R1'";
    world.rooms[1].persistent = true;
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    Resource_ClearNames(RESOURCE_BACKGROUND);
    Resource_SetName(RESOURCE_BACKGROUND, 0, "back");
  }
  void TearDown() override { TestWorld_Clear(); }

  // The log since the last call.
  std::string Take() {
    std::string log = TestWorld_Log();
    TestWorld_ClearLog();
    return log;
  }
};

TEST_F(Lifecycle, RoomChangesRunTheirEventsInOrder) {
  StartGame();
  EXPECT_EQ(Take(), "i1Ci2CKGGRSSk1");
  EXPECT_EQ(RoomIndex, 0);

  ChangeRoom(1);
  EXPECT_EQ(Take(), "EEjCR1Sk2");
  EXPECT_EQ(Room_RuntimeCopies()[0], nullptr);  // not persistent: freed
  CInstance* keeper = Room_FindInstance(100003);
  ASSERT_NE(keeper, nullptr);
  EXPECT_EQ(keeper->x, 5);
  EXPECT_EQ(Instance_LastId, 100101);  // carrying consumed one id
  int32_t tile = static_cast<int32_t>(CallByName("tile_add", {RValue(0), RValue(0), RValue(0), RValue(1), RValue(1),
                                                              RValue(0), RValue(0), RValue(0)})
                                          .real);
  Room_Current()->backgrounds[0].x = 7;
  CInstance* logger = Room_FindInstance(100010);
  logger->variables.Set(100900, 0, RValue(3));

  // Room 0 afresh: its own Keeper gives way to the carried one.
  ChangeRoom(0);
  EXPECT_EQ(Take(), "Ei1Ci2CRSSk3");
  EXPECT_EQ(LiveCount(1), 1);
  EXPECT_EQ(LiveCount(0), 2);

  // Room 1 resumed as it was left: no creation code, create event or room
  // code; its instance, tile and layer kept.
  ChangeRoom(1);
  EXPECT_EQ(Take(), "EESk4");
  EXPECT_EQ(Room_FindInstance(100010), logger);
  EXPECT_EQ(Room_Current()->backgrounds[0].x, 7);
  EXPECT_GE(Room_Current()->FindTile(tile), 0);
  EXPECT_EQ(LiveCount(1), 1);

  EndGame();
  EXPECT_EQ(Take(), "Eg");
  EXPECT_EQ(Room_Current(), nullptr);
  EXPECT_TRUE(Room_RuntimeCopies().empty());

  // A restart starts afresh but never hands out an id twice.
  StartGame();
  EXPECT_EQ(Take(), "i1Ci2CKGGRSSk1");
  EXPECT_EQ(CallByName("instance_create", {RValue(0), RValue(0), RValue(0)}).real, 100104);
}

TEST_F(Lifecycle, RoomRequestsAndTheirErrors) {
  StartGame();
  Take();
  CallByName("room_goto", {RValue(1)});
  EXPECT_EQ(RunState.PendingRoom, 1);
  // While a request is pending no event runs.
  PerformEventForAll(EV_OTHER, EV_ROOM_START);
  EXPECT_EQ(Take(), "");
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(RoomIndex, 1);
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
  Take();

  CallByName("room_goto_previous");
  EXPECT_EQ(RunState.PendingRoom, 0);
  CallByName("room_restart");
  EXPECT_EQ(RunState.PendingRoom, 1);
  CallByName("game_restart");
  EXPECT_EQ(RunState.PendingRoom, REQUEST_RESTART);
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(Take(), "i1Ci2CKGGRSSk1");  // the globals start afresh
  CallByName("game_end");
  EXPECT_TRUE(CarryOutRequest());

  struct {
    const char* name;
    std::initializer_list<RValue> args;
    const char* message;
  } errors[] = {
      {"room_goto", {RValue(7)}, "Unexisting room number: 7"},
      {"room_goto_previous", {}, "Moving to previous room before the first room."},
  };
  for (const auto& e : errors) {
    Error_Reset();
    RunState.PendingRoom = REQUEST_NONE;
    CallByName(e.name, e.args);
    EXPECT_EQ(ReportedError(), e.message);
    EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);
    EXPECT_EQ(Error_Last().rfind("FATAL ERROR", 0), 0u) << Error_Last();
  }
  Error_Reset();
  RunState.PendingRoom = REQUEST_NONE;
  ChangeRoom(1);
  CallByName("room_goto_next");
  EXPECT_EQ(ReportedError(), "Moving to next room after the last room.");
}

TEST_F(Lifecycle, RestartingTheRoomAndChangingItsResource) {
  StartGame();
  Take();
  // Changing the resource leaves the runtime copy alone until entered afresh.
  CallByName("room_set_width", {RValue(0), RValue(1000)});
  EXPECT_EQ(Room_Current()->width, 640);
  CallByName("room_restart");
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(Take(), "EEi1Ci2CRSSk2");  // afresh, the Keeper carried over
  EXPECT_EQ(Room_Current()->width, 1000);
  EXPECT_EQ(LiveCount(1), 1);

  // Instances created by an event for all do not receive that event.
  CallByName("object_event_add", {RValue(0), RValue(EV_OTHER), RValue(EV_USER0),
                                  Str("global.log += 'u'; instance_create(0, 0, 0)")});
  Take();
  PerformEventForAll(EV_OTHER, EV_USER0);
  EXPECT_EQ(Take(), "uCuC");
  EXPECT_EQ(LiveCount(0), 4);
  EndGame();
}

TEST_F(Lifecycle, CompileErrorsOfCreationCodes) {
  Room_Resource(0)->Instances()[0]->creation_code = "global.log += ";
  Room_Resource(0)->creation_code = "if";
  StartGame();
  // Both reported, neither ends the game, and everything else still runs.
  EXPECT_EQ(Take(), "Ci2CKGGSSk1");
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
  EXPECT_EQ(Error_Last().rfind("COMPILATION ERROR in room script\r", 0), 0u) << Error_Last();
  EndGame();
}

// A new game shows the cursor the settings ask for, whatever the last one
// did to it, and the cursor sprite starts again from its first image.
TEST_F(Lifecycle, StartingPutsTheCursorBack) {
  RunState.CursorImage = 7;
  Window_SetCursor(-11);
  StartGame();
  EXPECT_EQ(RunState.CursorImage, 0);
  EXPECT_EQ(Window_GetCursor(), 0);
  Window_SetCursor(-1);  // hidden by the game: the settings now say so too
  RunState.CursorImage = 3;
  RunState.PendingRoom = REQUEST_RESTART;
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(RunState.CursorImage, 0);
  EXPECT_EQ(Window_GetCursor(), -1);
  EndGame();
  Settings.ShowCursor = true;
}

// Animation advances every instance of the room, one destroyed earlier in
// the step included.
TEST_F(Lifecycle, EveryInstanceAnimatesDestroyedOrNot) {
  // Without a sprite the image count is 0: the animation ends every step.
  CallByName("object_event_add", {RValue(0), RValue(EV_OTHER), RValue(7),
                                  Str("if (id == 100001) with (100002) instance_destroy()")});
  StartGame();
  CInstance* second = Room_FindInstance(100002);
  ASSERT_NE(second, nullptr);
  DoStep();
  EXPECT_TRUE(second->destroyed);
  EXPECT_EQ(second->image_index, 1);
  EndGame();
}

int g_Throws = 0;
void ThrowOnce(CInstance*, CInstance*, int, RValue*, RValue&) {
  if (g_Throws++ == 0) throw std::runtime_error("not a floating-point fault");
}

// Whatever a pass of the main loop raises ends that pass only.
TEST(LifecycleLoop, AnyExceptionEndsOnlyItsPass) {
  Builtins_RegisterAll();
  if (Function_BuiltinIdOf("lifecycle_test_throw_once") < 0)
    RegisterFunction("lifecycle_test_throw_once", ThrowOnce, 0);
  RTestWorld world;
  world.objects = {TestWorld_Object("O", -1, {{EV_STEP, 0, "global.log += 's'; lifecycle_test_throw_once()"}})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001)};
  ASSERT_TRUE(TestWorld_Install(world));
  g_Throws = 0;
  const RRunnerOptions saved = RunnerOptions;
  RunnerOptions.unthrottled = true;
  RunnerOptions.max_steps = RunState.StepCount + 3;
  RunState.GameRunning = true;
  StartGame();
  EXPECT_NO_THROW(MainLoop());
  RunnerOptions = saved;
  EXPECT_FALSE(RunState.GameRunning);
  EXPECT_EQ(TestWorld_Log(), "ssss");  // the pass that raised counted no step
  EndGame();
  TestWorld_Clear();
}

TEST(LifecycleStart, FailingLibraryCodeEndsTheGameBeforeAnyRoom) {
  RTestWorld world;
  world.objects = {TestWorld_Object("O", -1, {{EV_CREATE, 0, "global.log += 'C'"}})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001)};
  world.library_code = {"global.log = 'L'", "global.log +="};
  ASSERT_TRUE(TestWorld_Install(world));
  StartGame();
  EXPECT_EQ(TestWorld_Log(), "L");
  EXPECT_EQ(Room_Current(), nullptr);
  EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);
  EXPECT_EQ(Error_Last().rfind("COMPILATION ERROR in library initialization code\r", 0), 0u);
  EXPECT_TRUE(CarryOutRequest());
  EndGame();
  TestWorld_Clear();
}

TEST(LifecycleGame, RunnerPlaysAGameFromStartToEnd) {
  RGameData game = TestGame_OneRoom();
  RObjectRecord object = TestWorld_Object(
      "Main", -1,
      {{EV_CREATE, 0, "n = instance_number(Main); show_debug_message('created ' + string(n))"},
       {EV_OTHER, EV_GAME_START, "show_debug_message('start'); event_user(1)"},
       {EV_OTHER, EV_USER0 + 1, "instance_create(0, 0, Main); room_goto_next()"},
       {EV_OTHER, EV_GAME_END, "show_debug_message('end ' + string(instance_number(Main)))"}});
  game.objects.emplace_back(object);
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  RRunResult r = TestGame_Run(TestGame_Write(game, "world.game"));
  // The create event of the instance made at game start counts two; the
  // room change off the end of the order stops the game after the error.
  EXPECT_NE(r.err.find("created 1\nstart\ncreated 2\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Moving to next room after the last room."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("end 2"), std::string::npos) << r.err;
}

// Stretched layers fill the room: their scales come from the background's
// size when the rooms are installed.
TEST(LifecycleGame, StretchedBackgroundLayersFillTheRoom) {
  RGameData game = TestGame_OneRoom();
  RBackgroundRecord back;
  back.width = 100;
  back.height = 60;
  game.backgrounds.emplace_back(back);
  game.rooms[0]->backgrounds.resize(2);
  game.rooms[0]->backgrounds[0].stretch = true;
  game.rooms[0]->backgrounds[0].background = game.rooms[0]->backgrounds[1].background = 0;
  game.objects.emplace_back(TestWorld_Object(
      "Main", -1,
      {{EV_CREATE, 0,
        "show_debug_message('scales ' + string(background_xscale[0]) + ' ' + string(background_yscale[0]) + ' ' "
        "+ string(background_xscale[1]))"}}));
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  RRunResult r = TestGame_Run("--max-steps 1 --unthrottled " + TestGame_Write(game, "stretched.game"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("scales 6.40 8 1\n"), std::string::npos) << r.err;
}

TEST(LifecycleGame, RunnerRefusesAGameWhoseActionsDoNotCompile) {
  RGameData game = TestGame_OneRoom();
  game.objects.emplace_back(TestWorld_Object("Broken", -1, {{EV_STEP, 0, "x = "}}));
  RRunResult r = TestGame_Run(TestGame_Write(game, "broken.game"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("COMPILATION ERROR in code action"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Failed to compile the actions in the objects."), std::string::npos) << r.err;
}

}  // namespace
