// The step: its phases in order as seen by instances that log every event
// they receive, alarms, keys, mouse buttons, boundaries, motion, instances
// created during a phase, requests that end the step, the function keys,
// and whole games run by the runner with --max-steps and --unthrottled.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "step/Run_Step.h"
#include "support/TestGames.h"
#include "variables/Variable_BuiltIn.h"
#include "support/TestWorld.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/TimeLine_Main.h"

namespace {

constexpr int32_t kKeyA = 65;
constexpr int32_t kKeyEscape = 27;

// An event whose code appends its tag to the log.
REventSpec Logs(int32_t kind, int32_t number, const std::string& tag) {
  return {kind, number, "global.log += '" + tag + " '"};
}

class Step : public ::testing::Test {
 protected:
  void TearDown() override {
    TimeLine_Install({});
    TestWorld_Clear();
    IO_ClearAll();
    Settings = RSettings{};
  }
  void Install(RTestWorld& world) {
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    IO_ClearAll();
    StartGame();
    TestWorld_ClearLog();
  }
  // Runs one step and returns what it logged.
  std::string StepLog() {
    DoStep();
    std::string log = TestWorld_Log();
    TestWorld_ClearLog();
    return log;
  }
  CInstance* Instance(int32_t id) { return Room_FindInstance(id); }
};

// Object 0 logs every phase it takes part in; object 1 only the three step
// events, to show that a dispatch visits objects in ascending order.
RTestWorld PhaseWorld() {
  RTestWorld world;
  world.objects = {
      TestWorld_Object("Logger", -1,
                       {{EV_CREATE, 0, "alarm[0] = 2; alarm[1] = 1"},
                        Logs(EV_STEP, 1, "B"),
                        Logs(EV_ALARM, 0, "a0"),
                        Logs(EV_ALARM, 1, "a1"),
                        Logs(EV_KEYBOARD, kKeyA, "kA"),
                        Logs(EV_KEYBOARD, 0, "k-none"),
                        Logs(EV_KEYBOARD, 1, "k-any"),
                        Logs(EV_KEYPRESS, kKeyA, "pA"),
                        Logs(EV_KEYPRESS, 1, "p-any"),
                        Logs(EV_KEYRELEASE, kKeyA, "rA"),
                        Logs(EV_KEYRELEASE, 0, "r-none"),
                        Logs(EV_STEP, 0, "S"),
                        Logs(EV_OTHER, 0, "out"),
                        Logs(EV_STEP, 2, "E"),
                        Logs(EV_OTHER, 7, "anim")}),
      TestWorld_Object("Other", -1, {Logs(EV_STEP, 1, "b"), Logs(EV_STEP, 0, "s"), Logs(EV_STEP, 2, "e")}),
  };
  world.rooms.resize(2);
  world.rooms[0].instances = {TestWorld_Instance(1, 100001, 10, 10), TestWorld_Instance(0, 100002, 20, 20)};
  return world;
}

// A time line whose moments at times 0 and 1 log "t0" and "t1".
void InstallTimeLine() {
  RSlots<RTimeLineRecord> lines(1);
  lines[0].emplace();
  for (int32_t t : {0, 1}) {
    RMoment m;
    m.step = t;
    RActionRecord a;
    a.argValues = {"global.log += 't' + string(event_number) + ' '"};
    m.event.actions.push_back(a);
    lines[0]->moments.push_back(m);
  }
  TimeLine_Install(lines);
  ASSERT_TRUE(TimeLine_CompileAll()) << Error_Last();
}

TEST_F(Step, PhasesRunInOrderWithAlarmsAndKeys) {
  RTestWorld world = PhaseWorld();
  Install(world);
  InstallTimeLine();
  Instance(100002)->timeline_index = 0;
  // Without a sprite the image count is 0, so the animation end event comes
  // in every step.
  EXPECT_EQ(StepLog(), "B b t0 a1 k-none r-none S s E e anim ");
  IO_KeyDown(kKeyA);
  EXPECT_EQ(StepLog(), "B b t1 a0 kA k-any pA p-any r-none S s E e anim ");
  EXPECT_EQ(StepLog(), "B b kA k-any r-none S s E e anim ");  // held: no second press
  IO_KeyUp(kKeyA);
  EXPECT_EQ(StepLog(), "B b k-none rA S s E e anim ");
  // Pressed and released between two steps: all three in this step.
  IO_KeyDown(kKeyA);
  IO_KeyUp(kKeyA);
  EXPECT_EQ(StepLog(), "B b kA k-any pA p-any rA S s E e anim ");
  // Alarms already fired stay at -1.
  EXPECT_EQ(Instance(100002)->alarm[0], -1);
  EXPECT_EQ(Instance(100002)->alarm[1], -1);
  // Outside the room: the event in every step, not only when leaving.
  Instance(100002)->SetPosition(-5, 20);
  EXPECT_EQ(StepLog(), "B b k-none r-none S s out E e anim ");
  EXPECT_EQ(StepLog(), "B b k-none r-none S s out E e anim ");
}

TEST_F(Step, RoomGotoInBeginStepEndsTheStep) {
  RTestWorld world = PhaseWorld();
  world.objects[0] = TestWorld_Object("Logger", -1,
                                      {{EV_CREATE, 0, "alarm[0] = 1; hspeed = 4"},
                                       {EV_STEP, 1, "global.log += 'B '; if (global.go) room_goto(1)"},
                                       Logs(EV_ALARM, 0, "a0"),
                                       Logs(EV_KEYBOARD, 0, "k-none"),
                                       Logs(EV_STEP, 0, "S"),
                                       Logs(EV_STEP, 2, "E"),
                                       Logs(EV_OTHER, 7, "anim"),
                                       Logs(EV_OTHER, EV_ROOM_END, "end")});
  world.rooms[0].instances.push_back(TestWorld_Instance(1, 100003));
  world.library_code = {"global.log = ''; global.go = 0"};
  Install(world);
  EXPECT_EQ(StepLog(), "B b b a0 k-none S s s E e e anim ");
  EXPECT_EQ(Instance(100002)->x, 24);

  ASSERT_TRUE(TestWorld_Run("global.go = 1; alarm[0] = 2", Instance(100002)));
  Instance_MarkDestroyed(Instance(100003));
  IO_KeyDown(kKeyA);
  // Object 0 asks first: object 1 gets no begin step, and nothing later in
  // the step runs: no alarm countdown, motion, removal, animation or
  // clearing of the keys pressed.
  EXPECT_EQ(StepLog(), "B ");
  EXPECT_EQ(RunState.PendingRoom, 1);
  CInstance* logger = Instance(100002);
  EXPECT_EQ(logger->alarm[0], 2);
  EXPECT_EQ(logger->x, 24);
  EXPECT_EQ(logger->xprevious, 24);  // previous positions come before begin step
  EXPECT_EQ(logger->image_index, 1);
  EXPECT_EQ(Room_Instances().size(), 3u);
  EXPECT_TRUE(IO_Input.key_pressed[kKeyA]);

  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(TestWorld_Log(), "end ");
  EXPECT_EQ(RoomIndex, 1);
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
}

TEST_F(Step, AlarmsCountDownOnlyWhereTheEventExists) {
  RTestWorld world;
  world.objects = {
      TestWorld_Object("Timer", -1,
                       {{EV_CREATE, 0, "alarm[0] = 3; alarm[2] = 5; alarm[3] = 0"},
                        Logs(EV_ALARM, 0, "a0"),
                        Logs(EV_ALARM, 3, "a3"),
                        {EV_ALARM, 1, "global.log += 'a1 '; alarm[1] = 2"}}),
      // Inherits alarm 0 from Timer.
      TestWorld_Object("Child", 0, {}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001), TestWorld_Instance(1, 100002)};
  Install(world);
  ASSERT_TRUE(TestWorld_Run("alarm[1] = 1", Instance(100001)));
  std::string log;
  for (int step = 1; step <= 6; step++) log += std::to_string(step) + ": " + StepLog();
  // Alarm 0 set to 3 fires in the third step, for the child too; the self-
  // resetting alarm 1 fires every second step; alarm 3 set to 0 never fires.
  EXPECT_EQ(log, "1: a1 2: 3: a0 a0 a1 4: 5: a1 6: ");
  for (int32_t id : {100001, 100002}) {
    EXPECT_EQ(Instance(id)->alarm[0], -1);
    EXPECT_EQ(Instance(id)->alarm[2], 5);  // no alarm 2 event: never counted
    EXPECT_EQ(Instance(id)->alarm[3], -1);
  }
}

TEST_F(Step, ARequestInAnAlarmStopsTheCountdownOfTheOthers) {
  RTestWorld world;
  world.objects = {
      TestWorld_Object("Goer", -1, {{EV_ALARM, 0, "global.log += 'go '; room_goto(1)"}}),
      TestWorld_Object("Waiter", -1, {Logs(EV_ALARM, 0, "w0"), Logs(EV_ALARM, 1, "w1")}),
  };
  world.rooms.resize(2);
  world.rooms[0].instances = {TestWorld_Instance(1, 100001), TestWorld_Instance(0, 100002)};
  Install(world);
  Instance(100001)->alarm[0] = 1;
  Instance(100001)->alarm[1] = 1;
  Instance(100002)->alarm[0] = 1;
  EXPECT_EQ(StepLog(), "go ");
  // Counted down to 0 without its event, the alarm would be lost for good
  // when the room or the instance persists: it stays for the next step.
  EXPECT_EQ(Instance(100001)->alarm[0], 1);
  EXPECT_EQ(Instance(100001)->alarm[1], 1);
  RunState.PendingRoom = REQUEST_NONE;
}

TEST_F(Step, InstancesCreatedInAPhaseGetItOnlyUnderLaterObjects) {
  RTestWorld world;
  world.objects = {
      TestWorld_Object("Low", -1, {Logs(EV_STEP, 0, "low"), Logs(EV_STEP, 1, "low-b")}),
      TestWorld_Object("Maker", -1,
                       {{EV_STEP, 0, "global.log += 'make '; instance_create(0, 0, Low); instance_create(0, 0, High)"}}),
      TestWorld_Object("High", -1, {Logs(EV_STEP, 0, "high"), Logs(EV_STEP, 1, "high-b")}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(1, 100001)};
  Install(world);
  EXPECT_EQ(StepLog(), "make high ");
  Instance_MarkDestroyed(Instance(100001));
  EXPECT_EQ(StepLog(), "low-b high-b low high ");
}

TEST_F(Step, BoundariesAndViews) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Dot", -1,
                                    {Logs(EV_OTHER, 0, "out"), Logs(EV_OTHER, 1, "edge"), Logs(EV_OTHER, 40, "out-v0"),
                                     Logs(EV_OTHER, 50, "edge-v0"), Logs(EV_OTHER, 41, "out-v1")})};
  world.rooms.resize(1);
  world.rooms[0].width = 640;
  world.rooms[0].height = 480;
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 640, 480)};
  Install(world);
  EXPECT_EQ(StepLog(), "");  // a point at the far corner is inside
  Instance(100001)->SetPosition(641, 480);
  EXPECT_EQ(StepLog(), "out edge ");

  CRoom* room = Room_Current();
  room->views_enabled = true;
  room->views[0].visible = true;
  room->views[0].xview = 300;
  room->views[0].yview = 0;
  room->views[0].wview = 200;
  room->views[0].hview = 200;
  // View 1 is not visible: its events never come.
  Instance(100001)->SetPosition(100, 100);
  EXPECT_EQ(StepLog(), "out-v0 edge-v0 ");
  Instance(100001)->SetPosition(500, 200);
  EXPECT_EQ(StepLog(), "");
}

TEST_F(Step, MotionAppliesFrictionAndGravityThenMoves) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Mover", -1, {})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001), TestWorld_Instance(0, 100002),
                              TestWorld_Instance(0, 100003)};
  Install(world);
  CInstance* slowed = Instance(100001);
  slowed->SetHspeed(3);
  slowed->friction = 1;
  CInstance* falling = Instance(100002);
  falling->gravity = 1;  // downwards by default
  CInstance* pushed = Instance(100003);
  pushed->SetHspeed(-1);
  pushed->friction = -1;  // a negative friction accelerates
  std::ostringstream trace;
  for (int step = 0; step < 4; step++) {
    DoStep();
    // Gravity straight down leaves x within rounding of 0: only y is shown.
    trace << slowed->x << ' ' << falling->y << ' ' << pushed->x << ' ';
    trace << "| ";
  }
  // Friction acts before the move and stops without reversing.
  EXPECT_EQ(trace.str(),
            "2 1 -2 | "
            "3 3 -5 | "
            "3 6 -9 | "
            "3 10 -14 | ");
  EXPECT_EQ(slowed->speed, 0);
  EXPECT_NEAR(falling->x, 0, 1e-9);
  EXPECT_EQ(falling->yprevious, 6);
}

TEST_F(Step, MouseButtonsAndWheelRaiseGlobalEvents) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Clicker", -1,
                                    {Logs(EV_MOUSE, 3, "none"), Logs(EV_MOUSE, 50, "g-left"),
                                     Logs(EV_MOUSE, 12, "g-press"), Logs(EV_MOUSE, 53, "g-left-press"),
                                     Logs(EV_MOUSE, 13, "g-release"), Logs(EV_MOUSE, 56, "g-left-release"),
                                     Logs(EV_MOUSE, 60, "wheel-up"), Logs(EV_MOUSE, 61, "wheel-down")})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 5, 5)};
  Install(world);
  // Without a shape the instance is never under the mouse: the positional
  // no-button event does not reach it.
  EXPECT_EQ(StepLog(), "");
  IO_MouseDown(1);
  IO_Wheel(true);
  EXPECT_EQ(StepLog(), "g-left g-press g-left-press wheel-up ");
  EXPECT_EQ(StepLog(), "g-left ");
  IO_MouseUp(1);
  IO_Wheel(false);
  EXPECT_EQ(StepLog(), "g-release g-left-release wheel-down ");
}

TEST_F(Step, EscapeEndsTheGameOnlyWhenTheSettingAllowsIt) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Watcher", -1, {Logs(EV_STEP, 1, "B"), Logs(EV_KEYBOARD, kKeyEscape, "esc")})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001)};
  Install(world);
  Settings.KeyEsc = false;
  IO_KeyDown(kKeyEscape);
  EXPECT_EQ(StepLog(), "B esc ");
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
  EXPECT_EQ(IO_Input.keyboard_lastkey, kKeyEscape);

  Settings.KeyEsc = true;
  EXPECT_EQ(StepLog(), "");
  EXPECT_EQ(RunState.PendingRoom, REQUEST_END);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  RunState.PendingRoom = REQUEST_NONE;
}

TEST_F(Step, CloseButtonRaisesItsEventWhenItDoesNotActAsEscape) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Watcher", -1, {Logs(EV_OTHER, 30, "close"), Logs(EV_STEP, 0, "S")})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001)};
  Install(world);
  Settings.CloseAsEsc = false;
  IO_CloseRequest();
  EXPECT_EQ(StepLog(), "close S ");
  EXPECT_EQ(StepLog(), "S ");  // taken back after one event
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);
}

// Sprite 0: two images with a 10 x 10 box and the origin at its corner.
bool TenByTen(int32_t sprite, RSpriteShape& out) {
  if (sprite != 0) return false;
  out = RSpriteShape{2, 0, 0, 9, 9, 0, 0, false};
  return true;
}

class ShapedStep : public Step {
 protected:
  void SetUp() override { Instance_SetSpriteSource(TenByTen); }
  void TearDown() override {
    Step::TearDown();
    Instance_SetSpriteSource(nullptr);
  }
};

TEST_F(ShapedStep, BoxesDecideBoundariesMouseAndAnimation) {
  RTestWorld world;
  world.objects = {TestWorld_Object("Box", -1,
                                    {Logs(EV_OTHER, 0, "out"), Logs(EV_OTHER, 1, "edge"), Logs(EV_OTHER, 7, "anim"),
                                     Logs(EV_MOUSE, 0, "left"), Logs(EV_MOUSE, 3, "over"), Logs(EV_MOUSE, 4, "press"),
                                     Logs(EV_MOUSE, 7, "release")})};
  world.objects[0].sprite = 0;
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 300, 300)};
  Install(world);
  CInstance* box = Instance(100001);
  ASSERT_TRUE(box->HasShape());
  // Two images: the animation wraps, and raises its event, every second step.
  EXPECT_EQ(StepLog(), "");
  EXPECT_EQ(StepLog(), "anim ");
  EXPECT_EQ(box->image_index, 0);
  // Box 635..644: still inside the 640-wide room, but across its edge.
  box->SetPosition(635, 300);
  EXPECT_EQ(StepLog(), "edge ");
  box->SetPosition(641, 300);
  EXPECT_EQ(StepLog(), "out edge anim ");

  // Wherever the mouse is, put the box under it.
  box->SetPosition(RunState.MouseX - 5, RunState.MouseY - 5);
  EXPECT_EQ(StepLog(), "over ");
  IO_MouseDown(1);
  EXPECT_EQ(StepLog(), "left press anim ");
  IO_MouseUp(1);
  EXPECT_EQ(StepLog(), "over release ");
}

// A game whose instance appends one line per step to a file, played by the
// runner.
std::string PlayLoggingGame(const std::string& options, const std::string& name) {
  std::string log = TestGame_Path(name + ".log");
  std::remove(log.c_str());
  RGameData game = TestGame_OneRoom();
  std::string append = "var f; f = file_text_open_append('" + log + "'); file_text_write_string(f, ";
  game.objects.emplace_back(TestWorld_Object(
      "Main", -1,
      {{EV_STEP, 0, append + "'step ' + string(n)); file_text_writeln(f); file_text_close(f); n += 1"},
       {EV_CREATE, 0, "n = 1"},
       {EV_OTHER, EV_GAME_END, append + "'end'); file_text_writeln(f); file_text_close(f)"}}));
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  RRunResult r = TestGame_Run(options + " " + TestGame_Write(game, name + ".game"));
  EXPECT_EQ(r.status, 0) << r.err;
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(StepGame, MaxStepsEndsTheGameAsGameEndWould) {
  const std::string expected = "step 1\r\nstep 2\r\nstep 3\r\nend\r\n";
  EXPECT_EQ(PlayLoggingGame("--max-steps 3", "throttled"), expected);
  EXPECT_EQ(PlayLoggingGame("--max-steps 3 --unthrottled", "unthrottled"), expected);
  // Hundreds of steps at the room's 30 per second would take seconds; back
  // to back they finish at once, with the same result.
  std::string many = PlayLoggingGame("--unthrottled --max-steps 600", "many");
  EXPECT_NE(many.find("step 600\r\nend\r\n"), std::string::npos);
  EXPECT_EQ(many.find("step 601"), std::string::npos);
}

}  // namespace
