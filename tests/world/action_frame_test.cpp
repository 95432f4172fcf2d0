// The argument slots and event context around actions: a code action sees
// its own arguments (the rest real 0) whatever ran before it at the same
// depth, nested scripts, events and creations leave it its slots, and the
// caller's slots, argument_relative and the action numbers of error reports
// are back afterwards, also when a floating-point fault ends the run.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Script_Main.h"
#include "runner/Run_Main.h"
#include "support/TestWorld.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Action_Class.h"
#include "world/Event_Action.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

REventRecord Codes(std::initializer_list<const char*> texts) {
  REventRecord record;
  for (const char* text : texts) {
    RActionRecord action;
    action.argValues = {text};
    record.actions.push_back(action);
  }
  return record;
}

// 0 A: user 0 shows and overwrites two of its slots; user 1 fails in its
//      second action; user 2 performs user 1 between its own actions.
// 1 B: its create event shows and overwrites argument0.
class ActionFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {
        TestWorld_Object("A", -1,
                         {{EV_OTHER, EV_USER0,
                           "global.log += '[' + string(argument0) + string(argument3) + ']'; argument0 = 'u'; "
                           "argument3 = 'v'"}}),
        TestWorld_Object("B", -1, {{EV_CREATE, 0, "global.log += '<' + string(argument0) + '>'; argument0 = 'c'"}}),
    };
    world.objects[0].events.push_back(
        RObjectEvent{EV_OTHER, EV_USER0 + 1, Codes({"global.log += 'a'", "global.log += string(nope1)"})});
    world.objects[0].events.push_back(RObjectEvent{
        EV_OTHER, EV_USER0 + 2,
        Codes({"global.log += 'o'", "event_perform(ev_other, ev_user1)",
               "global.log += ':' + string(event_number) + ',' + string(event_action)", "y = nope2"})});
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    ClearScripts();
    AddScript("scr_set", "argument0 = 'set'; argument9 = 'nine'; return argument1");
    AddScript("scr_event", "event_perform(ev_other, ev_user0); return argument0");
    ASSERT_TRUE(CompileScripts()) << Error_Last();
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(Instance_NewId(), 0, 0, 0);
    TestWorld_ClearLog();
    // The slots of whoever runs the list, as a script's would be.
    Exec_Arguments()[0].SetString("outer");
    Exec_Arguments()[4].SetString("outer4");
  }
  void TearDown() override {
    for (int i = 0; i < MAX_ARGUMENTS; i++) Exec_Arguments()[i] = RValue();
    Action_ArgumentRelative = false;
    TestWorld_Clear();
    ClearScripts();
  }

  // An action whose code is `text`, with expression arguments (a library
  // action run as code).
  static CAction Code(const char* text, std::vector<std::string> args = {}) {
    CAction a;
    a.kind = ACTION_NORMAL;
    a.exec_type = ACTION_EXEC_CODE;
    a.code_text = text;
    a.arg_count = static_cast<int32_t>(args.size());
    a.arg_texts = std::move(args);
    return a;
  }
  // A function action calling `name`.
  static CAction Call(const char* name, std::vector<std::string> args) {
    CAction a;
    a.kind = ACTION_NORMAL;
    a.exec_type = ACTION_EXEC_FUNCTION;
    a.function_name = name;
    a.arg_count = static_cast<int32_t>(args.size());
    a.arg_texts = std::move(args);
    return a;
  }

  // Compiles and runs the actions as one event of self; the log.
  std::string Run(std::vector<CAction>& actions) {
    for (CAction& a : actions) EXPECT_TRUE(a.Compile()) << Error_Last();
    TestWorld_ClearLog();
    ExecuteActionList(self, self, actions);
    return TestWorld_Log();
  }

  void ExpectCallerSlots() {
    EXPECT_EQ(Exec_Arguments()[0].str, "outer");
    EXPECT_EQ(Exec_Arguments()[4].str, "outer4");
    EXPECT_TRUE(Exec_Arguments()[9].IsReal() && Exec_Arguments()[9].str.empty());
  }

  CRoom room;
  CInstance* self = nullptr;
};

TEST_F(ActionFrameTest, CodeActionsSeeTheirOwnArgumentsAcrossNestedCalls) {
  struct {
    const char* what;
    std::vector<std::string> args;
    const char* code;
    const char* log;
  } cases[] = {
      {"own arguments, the rest 0; a script call leaves them",
       {"1", "'two'"},
       "global.log += string(argument0) + argument1 + string(argument4); argument4 = 'w'; argument[6] = 'z'; "
       "global.log += '|' + scr_set(7, 'eight') + '|' + string(argument0) + argument1 + argument4 + argument6 + "
       "string(argument9)",
       "1two0|eight|1twowz0"},
      {"what the previous action wrote is gone", {}, "global.log += string(argument0) + string(argument4) + "
                                                     "string(argument[6]) + string(argument9)",
       "0000"},
      {"nested events see fresh slots each time and leave the action its own",
       {"3"},
       "event_perform(ev_other, ev_user0); event_perform(ev_other, ev_user0); global.log += string(argument0)",
       "[00][00]3"},
      {"an event inside a script inside the action", {}, "global.log += scr_event('s') + string(argument0)",
       "[00]s0"},
      {"a create event raised inside the action", {"5"},
       "instance_create(0, 0, B); instance_create(0, 0, B); global.log += string(argument0)", "<0><0>5"},
      {"with keeps the slots", {"4"}, "with (B) global.log += string(argument0)", "44"},
      {"exit ends only its action", {"6"}, "global.log += string(argument0); exit; global.log += 'no'", "6"},
  };
  for (auto& c : cases) {
    std::vector<CAction> list;
    list.push_back(Code(c.code, c.args));
    EXPECT_EQ(Run(list), c.log) << c.what;
    ExpectCallerSlots();
  }

  // A script run by a function action with arguments writes slots past them;
  // the next action at that depth does not see them.
  std::vector<CAction> list;
  list.push_back(Call("scr_set", {"5", "6"}));
  list.push_back(Code("global.log += string(argument0) + string(argument1) + string(argument9)"));
  list.push_back(Code("global.log += 'x'"));
  EXPECT_EQ(Run(list), "000x");
  ExpectCallerSlots();
}

TEST_F(ActionFrameTest, EventContextAndErrorActionNumbersAfterNestedEvents) {
  PerformEvent(self, self, EV_OTHER, EV_USER0 + 1);
  EXPECT_NE(Error_Last().find("action number 2\r\n"), std::string::npos) << Error_Last();
  Error_Reset();
  EventContext = REventContext{EV_STEP, 0, 1, 7};
  PerformEvent(self, self, EV_OTHER, EV_USER0 + 2);
  EXPECT_EQ(TestWorld_Log(), "aoa:12,2");
  // The outer event's own failing action, after the nested one failed.
  EXPECT_NE(Error_Last().find("action number 4\r\n"), std::string::npos) << Error_Last();
  EXPECT_NE(Error_Last().find("nope2"), std::string::npos) << Error_Last();
  EXPECT_EQ(EventContext.type, EV_STEP);
  EXPECT_EQ(EventContext.object, 1);
  EXPECT_EQ(EventContext.action, 7);
}

TEST_F(ActionFrameTest, FaultRestoresSlotsAndRelativeAndFreshSlotsFollow) {
  std::vector<CAction> list;
  list.push_back(Code("argument0 = 'x'; argument7 = 'y'; z = 10; repeat (400) z *= 10", {"3"}));
  list[0].uses_relative = true;
  list[0].relative = true;
  for (CAction& a : list) ASSERT_TRUE(a.Compile()) << Error_Last();
  EXPECT_THROW(ExecuteActionList(self, self, list), CFloatFault);
  ExpectCallerSlots();
  EXPECT_FALSE(Action_ArgumentRelative);
  // The same depth again: the faulted action's writes are gone.
  auto fresh = [this] {
    std::vector<CAction> next;
    next.push_back(Code("global.log += string(argument0) + string(argument7) + string(argument_relative)"));
    return Run(next);
  };
  EXPECT_EQ(fresh(), "000");
  // A fault inside a script called by a code action leaves the action's
  // slots with the script's values, the caller's are untouched.
  AddScript("scr_fault", "z = 10; repeat (400) z *= 10");
  ASSERT_TRUE(Script_Get(ScriptIndexOf("scr_fault"))->Compile());
  std::vector<CAction> faulting;
  faulting.push_back(Code("scr_fault('f')"));
  for (CAction& a : faulting) ASSERT_TRUE(a.Compile()) << Error_Last();
  EXPECT_THROW(ExecuteActionList(self, self, faulting), CFloatFault);
  ExpectCallerSlots();
  EXPECT_EQ(fresh(), "000");
}

}  // namespace
