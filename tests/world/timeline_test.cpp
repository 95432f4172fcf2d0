// Time lines: moments kept in time order, the step phase running the moments
// passed over, the event context of a moment, and the time line built-ins.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "world/TimeLine_Main.h"

namespace {

// A time line record whose moments log "<time>" through a code action.
RTimeLineRecord Line(std::initializer_list<int32_t> times) {
  RTimeLineRecord r;
  for (int32_t t : times) {
    RMoment m;
    m.step = t;
    RActionRecord a;
    a.argValues = {"global.log += string(event_number) + ' '"};
    m.event.actions.push_back(a);
    r.moments.push_back(m);
  }
  return r;
}

class TimeLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1, {})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    RSlots<RTimeLineRecord> lines(2);
    lines[0] = Line({10, 0, 5, 5});
    TimeLine_Install(lines);
    Resource_SetName(RESOURCE_TIMELINE, 0, "tl_main");
    ASSERT_TRUE(TimeLine_CompileAll()) << Error_Last();
    Room_SetCurrent(0, &room);
    inst = room.CreateInstance(Instance_NewId(), 0, 0, 0);
    inst->timeline_index = 0;
    TestWorld_ClearLog();
    RunState.PendingRoom = REQUEST_NONE;
  }
  void TearDown() override {
    TimeLine_Install({});
    TestWorld_Clear();
  }
  // Runs n steps of the time line phase; the log of the moments run.
  std::string Steps(int n) {
    TestWorld_ClearLog();
    for (int i = 0; i < n; i++) TimeLine_StepInstances();
    return TestWorld_Log();
  }

  CRoom room;
  CInstance* inst = nullptr;
};

TEST_F(TimeLineTest, MomentsAreSortedAndMerged) {
  CTimeLine* line = TimeLine_Get(0);
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->Count(), 3);
  EXPECT_EQ(line->TimeAt(0), 0);
  EXPECT_EQ(line->TimeAt(1), 5);
  EXPECT_EQ(line->TimeAt(2), 10);
  EXPECT_EQ(line->EventAt(1).actions.size(), 2u);  // both moments at 5
  EXPECT_EQ(line->FirstAtOrAfter(5.5), 2);
  EXPECT_EQ(line->FirstAtOrAfter(11), 3);
  EXPECT_EQ(line->Find(7), -1);
  EXPECT_FALSE(TimeLine_Exists(1));  // a missing record leaves an empty slot
}

TEST_F(TimeLineTest, StepPhaseRunsMomentsPassedOver) {
  // Moment 0 runs in the first step, moment t in step t + 1.
  EXPECT_EQ(Steps(1), "0 ");
  EXPECT_EQ(Steps(4), "");
  EXPECT_EQ(Steps(1), "5 5 ");
  EXPECT_EQ(inst->timeline_position, 6);

  inst->timeline_position = 0;
  inst->timeline_speed = 2.5;
  EXPECT_EQ(Steps(5), "0 5 5 10 ");
  inst->timeline_position = 0;
  inst->timeline_speed = -1;
  EXPECT_EQ(Steps(3), "");
  // Destroyed instances and missing time lines run nothing.
  inst->timeline_speed = 1;
  inst->timeline_position = 0;
  inst->destroyed = true;
  EXPECT_EQ(Steps(1), "");
  inst->destroyed = false;
  inst->timeline_index = 7;
  EXPECT_EQ(Steps(1), "");
}

TEST_F(TimeLineTest, Builtins) {
  EXPECT_EQ(CallByName("timeline_exists", {RValue(0)}).real, 1);
  EXPECT_EQ(CallByName("timeline_name", {RValue(0)}).str, "tl_main");
  EXPECT_EQ(CallByName("timeline_get_name", {RValue(1)}).str, "<undefined>");
  RValue added = CallByName("timeline_add");
  EXPECT_EQ(added.real, 2);
  EXPECT_EQ(CallByName("timeline_name", {added}).str, "__newtimeline2");

  // Adding at an existing time appends to that moment.
  CallByName("timeline_moment_add", {RValue(0), RValue(5), Str("global.log += 'x'")});
  EXPECT_EQ(TimeLine_Get(0)->EventAt(1).actions.size(), 3u);
  CallByName("timeline_moment_add", {RValue(0), RValue(7), Str("global.log += 'y'")});
  EXPECT_EQ(TimeLine_Get(0)->TimeAt(2), 7);
  CallByName("timeline_moment_clear", {RValue(0), RValue(5)});
  EXPECT_EQ(TimeLine_Get(0)->Find(5), -1);
  EXPECT_EQ(TimeLine_Get(0)->Count(), 3);
  EXPECT_EQ(Steps(8), "0 y");

  Error_Reset();
  CallByName("timeline_delete", {RValue(0)});
  EXPECT_FALSE(TimeLine_Exists(0));
  CallByName("timeline_delete", {RValue(0)});
  EXPECT_EQ(ReportedError(), "Trying to delete non-existing timeline.");
}

TEST_F(TimeLineTest, MomentsSeeTheirContextAndMayChangeTheirLine) {
  // A moment that clears itself and adds a later moment while it runs.
  CallByName("timeline_moment_add",
             {RValue(0), RValue(0),
              Str("global.log += string(event_type) + ':' + string(event_object) + ' '; "
                  "timeline_moment_clear(0, 0); timeline_moment_add(0, 1, \"global.log += 'later '\")")});
  EXPECT_EQ(Steps(2), "0 100000:0 later ");
  EXPECT_EQ(TimeLine_Get(0)->Find(0), -1);
}

}  // namespace
