// Objects and events: lookup through parents (collisions through both
// sides), performing with the event context, the event lists, and the
// object and event built-ins.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

// 0 P: create, step, user 0, draw        3 A: collisions with P and with C
// 1 Child of P: an empty create, step    4 C, child of P
// 2 Child2 of P: step calling inherited  5 D, child of C; keyboard 160
class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {
        TestWorld_Object("P", -1,
                         {{EV_CREATE, 0, "global.log += 'Pc'"},
                          {EV_STEP, 0, "global.log += 'Ps'"},
                          {EV_OTHER, EV_USER0 + 3, "global.log += 'Pu3'"},
                          {EV_DRAW, 0, "global.log += string(event_object_seen)"}}),
        TestWorld_Object("Child", 0, {{EV_STEP, 0, "global.log += 'Cs'"}}),
        TestWorld_Object("Child2", 0, {{EV_STEP, 0, "global.log += 'C2s'; event_inherited(); global.log += '.'"}}),
        TestWorld_Object("A", -1, {{EV_COLLISION, 0, "global.log += 'AP'"}, {EV_COLLISION, 4, "global.log += 'AC'"}}),
        TestWorld_Object("C", 0, {}),
        TestWorld_Object("D", 4, {{EV_KEYBOARD, 160, "global.log += 'K'"}}),
    };
    // An empty create event of Child: present, but without actions.
    world.objects[1].events.push_back(RObjectEvent{EV_CREATE, 0, {}});
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    Room_SetCurrent(0, &room);
    TestWorld_ClearLog();
    BuildEventLists();
  }
  void TearDown() override { TestWorld_Clear(); }

  CInstance* Make(int32_t object) { return room.CreateInstance(Instance_NewId(), object, 0, 0); }

  CRoom room;
};

TEST_F(ObjectTest, FindEventWalksParentsAndCollisionAncestors) {
  struct {
    int32_t object, kind, number, holder;
  } cases[] = {
      {1, EV_CREATE, 0, 0},      // empty own event does not hide the parent's
      {1, EV_STEP, 0, 1},        // own event first
      {5, EV_STEP, 0, 0},        // grandparent
      {3, EV_COLLISION, 0, 3},   // own collision with P
      {3, EV_COLLISION, 1, 3},   // with a child of P, through P
      {3, EV_COLLISION, 5, 3},   // D: its nearer ancestor C comes first
      {0, EV_ALARM, 0, -1},      // nowhere
      {1, EV_DESTROY, 0, -1},
      {3, EV_COLLISION, 77, -1}, // no such other object
      {99, EV_STEP, 0, -1},      // no such object
  };
  for (const auto& c : cases) {
    int32_t holder = -1;
    const CEvent* event = FindEvent(c.object, c.kind, c.number, holder);
    EXPECT_EQ(event != nullptr, c.holder >= 0) << c.object << " " << c.kind << " " << c.number;
    if (event) EXPECT_EQ(holder, c.holder) << c.object << " " << c.kind << " " << c.number;
  }
  // Which collision event D meets: the one with C, not the one with P.
  CInstance* a = Make(3);
  CInstance* d = Make(5);
  PerformEvent(a, d, EV_COLLISION, 5);
  PerformEvent(a, d, EV_COLLISION, 1);
  EXPECT_EQ(TestWorld_Log(), "ACAP");
}

TEST_F(ObjectTest, PerformingSetsAndRestoresTheContext) {
  CInstance* child = Make(1);
  CInstance* child2 = Make(2);
  EventContext = REventContext{9, 9, 9, 9};
  PerformEvent(child, child, EV_CREATE, 0);
  PerformEvent(child, child, EV_STEP, 0);
  PerformEvent(child2, child2, EV_STEP, 0);
  EXPECT_EQ(TestWorld_Log(), "PcCsC2sPs.");
  EXPECT_EQ(EventContext.type, 9);
  EXPECT_EQ(EventContext.object, 9);
  EXPECT_EQ(EventContext.action, 9);

  TestWorld_ClearLog();
  // event_inherited in an object without parent does nothing; event_user
  // adds 10; event_perform_object takes another object's event.
  ASSERT_TRUE(TestWorld_Run("event_user(3); event_perform(ev_step, ev_step_normal); event_perform_object(2, ev_step, 0)", child));
  EXPECT_EQ(TestWorld_Log(), "Pu3CsC2sPs.");

  TestWorld_ClearLog();
  RunState.PendingRoom = 0;
  ASSERT_TRUE(TestWorld_Run("event_perform(ev_step, 0); global.log += 'x'", child));
  RunState.PendingRoom = REQUEST_NONE;
  EXPECT_EQ(TestWorld_Log(), "x");
}

TEST_F(ObjectTest, EventListsFollowInheritanceAndBounds) {
  EXPECT_EQ(Event_Objects(EV_STEP, 0), (std::vector<int32_t>{0, 1, 2, 4, 5}));
  EXPECT_EQ(Event_Objects(EV_CREATE, 0), (std::vector<int32_t>{0, 1, 2, 4, 5}));
  EXPECT_TRUE(Event_Objects(EV_KEYBOARD, 160).empty());  // above the keyboard bound
  EXPECT_TRUE(Event_Objects(EV_COLLISION, 0).empty());
  EXPECT_TRUE(Event_Objects(EV_ALARM, 0).empty());
  using Pairs = std::vector<std::pair<int32_t, int32_t>>;
  EXPECT_EQ(Event_CollisionPairs(), (Pairs{{3, 0}, {3, 1}, {3, 2}, {3, 4}, {3, 5}}));

  // Changing the parent rebuilds the lists and the room's ancestor lists.
  CInstance* d = Make(5);
  EXPECT_EQ(Room_ObjectInstances(0).size(), 1u);
  CallByName("object_set_parent", {RValue(4), RValue(-1)});
  EXPECT_EQ(Event_Objects(EV_STEP, 0), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(Room_ObjectInstances(0).empty());
  EXPECT_EQ(Room_ObjectInstances(4).front(), d);
}

TEST_F(ObjectTest, ObjectBuiltins) {
  Error_Reset();
  CallByName("object_set_parent", {RValue(0), RValue(0)});
  EXPECT_EQ(ReportedError(), "Creating a cycle in the parent relation.");
  Error_Reset();
  CallByName("object_set_parent", {RValue(0), RValue(5)});  // 5 descends from 0
  EXPECT_EQ(ReportedError(), "Creating a cycle in the parent relation.");
  Error_Reset();
  CallByName("object_set_parent", {RValue(3), RValue(40)});
  EXPECT_EQ(ReportedError(), "Setting a non-existing parent.");
  EXPECT_EQ(CallByName("object_get_parent", {RValue(0)}).real, -1);
  EXPECT_EQ(CallByName("object_get_parent", {RValue(5)}).real, 4);

  EXPECT_EQ(CallByName("object_is_ancestor", {RValue(5), RValue(0)}).real, 1);
  EXPECT_EQ(CallByName("object_is_ancestor", {RValue(5), RValue(5)}).real, 0);
  EXPECT_EQ(CallByName("object_is_ancestor", {RValue(50), RValue(0)}).real, -1);
  EXPECT_EQ(CallByName("object_get_visible", {RValue(0)}).real, 1);
  EXPECT_EQ(CallByName("object_get_depth", {RValue(50)}).real, -1);
  EXPECT_EQ(CallByName("object_name", {RValue(3)}).str, "A");
  EXPECT_EQ(CallByName("object_get_name", {RValue(-1)}).str, "<undefined>");

  // Setting object fields leaves existing instances alone; new ones take them.
  CInstance* before = Make(3);
  CallByName("object_set_depth", {RValue(3), RValue(-7.4)});
  CallByName("object_set_solid", {RValue(3), RValue(0.5)});
  EXPECT_EQ(before->depth, 0);
  CInstance* after = Make(3);
  EXPECT_EQ(after->depth, -7);
  EXPECT_TRUE(after->solid);

  // An added object gets its events from object_event_add.
  int32_t added = static_cast<int32_t>(CallByName("object_add").real);
  EXPECT_EQ(added, 6);
  EXPECT_EQ(CallByName("object_name", {RValue(added)}).str, "__newobject6");
  CallByName("object_event_add", {RValue(added), RValue(EV_STEP), RValue(0), Str("global.log += 'N'")});
  EXPECT_EQ(Event_Objects(EV_STEP, 0).back(), added);
  Error_Reset();
  CallByName("object_event_add", {RValue(added), RValue(EV_DESTROY), RValue(0), Str("global.log += ")});
  EXPECT_NE(Error_Last().find("COMPILATION ERROR in code action"), std::string::npos);
  EXPECT_FALSE(HasEvent(added, EV_DESTROY, 0));
  RunState.PendingRoom = REQUEST_NONE;  // the compile error asked to end the game
  Error_Reset();
  CInstance* n = Make(added);
  PerformEvent(n, n, EV_STEP, 0);
  EXPECT_EQ(TestWorld_Log(), "N") << Error_Last();
  CallByName("object_event_clear", {RValue(added), RValue(EV_STEP), RValue(0)});
  EXPECT_FALSE(HasEvent(added, EV_STEP, 0));
  EXPECT_NE(Event_Objects(EV_STEP, 0).back(), added);

  Error_Reset();
  CallByName("object_delete", {RValue(added)});
  EXPECT_EQ(ReportedError(), "");
  EXPECT_EQ(CallByName("object_exists", {RValue(added)}).real, 0);
  EXPECT_EQ(CallByName("object_name", {RValue(added)}).str, "<undefined>");
  CallByName("object_delete", {RValue(added)});
  EXPECT_EQ(ReportedError(), "Trying to delete non-existing object.");
}

TEST_F(ObjectTest, EventsChangedWhileRunningStayAlive) {
  // The running event clears itself and adds to itself: the list is read
  // afresh, the running code is not freed under it.
  CallByName("object_event_add",
             {RValue(3), RValue(EV_ALARM), RValue(0),
              Str("object_event_clear(3, ev_alarm, 0); object_event_add(3, ev_alarm, 0, 'global.log += \"2\"'); "
                  "object_event_add(3, ev_alarm, 40, ''); global.log += '1'")});
  CInstance* a = Make(3);
  PerformEvent(a, a, EV_ALARM, 0);
  EXPECT_EQ(TestWorld_Log(), "1");
  PerformEvent(a, a, EV_ALARM, 0);
  EXPECT_EQ(TestWorld_Log(), "12");
}

TEST_F(ObjectTest, ActionsAddedByTheOnlyActionRunAfterIt) {
  CallByName("object_event_add",
             {RValue(3), RValue(EV_ALARM), RValue(1),
              Str("global.log += 'A'; if (global.log == 'A') object_event_add(3, ev_alarm, 1, 'global.log += \"B\"')")});
  CInstance* a = Make(3);
  PerformEvent(a, a, EV_ALARM, 1);
  EXPECT_EQ(TestWorld_Log(), "AB");
  PerformEvent(a, a, EV_ALARM, 1);
  EXPECT_EQ(TestWorld_Log(), "ABAB");
}

TEST_F(ObjectTest, RepeatedLookupsSeeEveryChange) {
  // The same question asked again after each kind of change.
  CInstance* c = Make(4);  // C inherits P's step
  const auto step = [&] {
    TestWorld_ClearLog();
    PerformEvent(c, c, EV_STEP, 0);
    return TestWorld_Log();
  };
  EXPECT_EQ(step(), "Ps");
  CallByName("object_event_add", {RValue(4), RValue(EV_STEP), RValue(0), Str("global.log += 'own'")});
  EXPECT_EQ(step(), "own");
  CallByName("object_event_clear", {RValue(4), RValue(EV_STEP), RValue(0)});
  EXPECT_EQ(step(), "Ps");
  CallByName("object_set_parent", {RValue(4), RValue(1)});
  EXPECT_EQ(step(), "Cs");
  CallByName("object_set_parent", {RValue(4), RValue(-1)});
  EXPECT_EQ(step(), "");
  int32_t holder = -1;
  EXPECT_EQ(FindEvent(1, EV_STEP, 0, holder), FindEvent(1, EV_STEP, 0, holder));
  EXPECT_EQ(holder, 1);
  EXPECT_EQ(FindEvent(4, EV_STEP, 0, holder), nullptr);
}

}  // namespace

namespace {

TEST(ObjectTable, ParentCycleFromAFileIsCut) {
  RTestWorld world;
  world.objects = {TestWorld_Object("A", 1, {{EV_STEP, 0, "global.log += 'A'"}}), TestWorld_Object("B", 0, {}),
                   TestWorld_Object("C", 2, {})};
  world.rooms.emplace_back();
  ASSERT_TRUE(TestWorld_Install(world));
  EXPECT_EQ(Object_Get(0)->parent, -1);  // cut at the first member
  EXPECT_EQ(Object_Get(1)->parent, 0);
  EXPECT_EQ(Object_Get(2)->parent, -1);
  EXPECT_TRUE(HasEvent(1, EV_STEP, 0));
  CRoom room;
  CInstance* b = room.CreateInstance(100001, 1, 0, 0);
  EXPECT_EQ(room.AncestorInstances(0).size(), 1u);
  EXPECT_EQ(room.AncestorInstances(1).front(), b);
  TestWorld_Clear();
}

}  // namespace
