// The action-list interpreter: blocks, questions with else, repeat, exit,
// applies-to, relative and not; compiling variable, code and argument
// actions; and the action built-ins run through action lists.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "code/Event_Context.h"
#include "world/Run_Global.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Action_Class.h"
#include "world/Event_Action.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

// A function action calling `name` with expression arguments.
CAction Call(const char* name, std::vector<std::string> args = {}) {
  CAction a;
  a.kind = ACTION_NORMAL;
  a.exec_type = ACTION_EXEC_FUNCTION;
  a.function_name = name;
  a.uses_relative = true;
  a.arg_count = static_cast<int32_t>(args.size());
  a.arg_texts = std::move(args);
  return a;
}
CAction Question(const char* name, std::vector<std::string> args, bool negate = false) {
  CAction a = Call(name, std::move(args));
  a.is_question = true;
  a.negate = negate;
  return a;
}
CAction If(const char* expr, bool negate = false) { return Question("action_if", {expr}, negate); }
CAction Log(const std::string& text) { return CAction::CodeAction("global.log += '" + text + "'"); }
CAction Structural(int32_t kind) {
  CAction a;
  a.kind = kind;
  a.exec_type = ACTION_EXEC_NONE;
  return a;
}
CAction Repeat(const char* count) {
  CAction a = Structural(ACTION_REPEAT);
  a.arg_count = 1;
  a.arg_texts = {count};
  return a;
}
CAction RepeatWithExtras() {
  CAction a = Repeat("2");
  a.arg_count = ACTION_MAX_ARGUMENTS;
  a.arg_texts.assign(ACTION_MAX_ARGUMENTS, "7");
  a.arg_texts[0] = "2";
  return a;
}
CAction Begin() { return Structural(ACTION_BEGIN_BLOCK); }
CAction End() { return Structural(ACTION_END_BLOCK); }
CAction Else() { return Structural(ACTION_ELSE); }

// An action list from actions given by value (actions own compiled code and
// do not copy).
template <class... A>
std::vector<CAction> L(A... actions) {
  std::vector<CAction> list;
  (list.push_back(std::move(actions)), ...);
  return list;
}

class ActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1, {}), TestWorld_Object("B", -1, {})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    Room_SetCurrent(0, &room);
    TestWorld_ClearLog();
    self = room.CreateInstance(Instance_NewId(), 0, 10, 20);
    Game = RGameGlobals();
    RunState.PendingRoom = REQUEST_NONE;
  }
  void TearDown() override {
    RunState.PendingRoom = REQUEST_NONE;
    TestWorld_Clear();
  }

  // Compiles the actions in order and runs them as one event of self.
  std::string Run(std::vector<CAction> actions) {
    list = std::move(actions);
    for (CAction& a : list) EXPECT_TRUE(a.Compile()) << Error_Last();
    TestWorld_ClearLog();
    ExecuteActionList(self, self, list);
    return TestWorld_Log();
  }

  CRoom room;
  CInstance* self = nullptr;
  std::vector<CAction> list;
};

TEST_F(ActionTest, QuestionsBlocksElseRepeatAndExit) {
  struct {
    const char* what;
    std::vector<CAction> actions;
    const char* log;
  } cases[] = {
      {"true runs the next", L(If("1"), Log("a"), Log("b")), "ab"},
      {"false skips the next only", L(If("0"), Log("a"), Log("b")), "b"},
      {"false skips a whole block, else runs",
       L(If("0"), Begin(), Log("a"), Log("b"), End(), Else(), Log("e"), Log("z")),
       "ez"},
      {"true skips the else part", L(If("1"), Begin(), Log("a"), End(), Else(), Log("e"), Log("z")), "az"},
      {"not inverts", L(If("1", true), Log("a"), Else(), Log("e")), "e"},
      {"nested blocks are skipped whole",
       L(If("0"), Begin(), Begin(), Log("a"), End(), Log("b"), End(), Log("z")),
       "z"},
      {"a skipped question takes its action along", L(If("0"), If("1"), Log("a"), Log("z")), "z"},
      {"repeat a block", L(Repeat("3"), Begin(), Log("a"), Log("b"), End(), Log("z")), "abababz"},
      {"repeat an action", L(Repeat("2"), Log("a"), Log("z")), "aaz"},
      {"a repeat stored with extra arguments counts the first", L(RepeatWithExtras(), Log("a")), "aa"},
      {"repeat zero or less runs nothing", L(Repeat("-1"), Begin(), Log("a"), End(), Log("z")), "z"},
      {"repeat a question with its action", L(Repeat("2"), If("1"), Log("a"), Log("z")), "aaz"},
      {"exit inside a block inside a repeat ends the event",
       L(Repeat("3"), Begin(), Log("a"), Structural(ACTION_EXIT), Log("b"), End(), Log("z")),
       "a"},
      {"stray end block and else do nothing", L(End(), Else(), Log("a")), "a"},
      {"an unclosed block runs to the end", L(Begin(), Log("a"), Log("b")), "ab"},
      {"a question at the end", L(Log("a"), If("1")), "a"},
  };
  for (auto& c : cases) EXPECT_EQ(Run(std::move(c.actions)), c.log) << c.what;
}

TEST_F(ActionTest, AppliesToOtherAndObjects) {
  CInstance* b1 = room.CreateInstance(Instance_NewId(), 1, 0, 0);
  CInstance* b2 = room.CreateInstance(Instance_NewId(), 1, 0, 0);
  CAction mark = CAction::CodeAction("global.log += string(id - " + std::to_string(self->id) + ")");
  mark.applies_to = 1;
  Run(L(std::move(mark)));
  EXPECT_EQ(TestWorld_Log(), "12") << Error_Last();

  // A question for an object holds only when it holds for every instance.
  b2->x = 5;
  CAction ask = If("x == 0");
  ask.applies_to = 1;
  EXPECT_EQ(Run(L(std::move(ask), Log("yes"), Else(), Log("no"))), "no");
  b2->x = 0;
  CAction ask2 = If("x == 0");
  ask2.applies_to = 1;
  EXPECT_EQ(Run(L(std::move(ask2), Log("yes"), Else(), Log("no"))), "yes");
  // No instance at all: true.
  b1->destroyed = b2->destroyed = true;
  CAction ask3 = If("0");
  ask3.applies_to = 1;
  EXPECT_EQ(Run(L(std::move(ask3), Log("yes"))), "yes");
}

TEST_F(ActionTest, VariableAndCodeActionsAndArguments) {
  CAction set;
  set.kind = ACTION_VARIABLE;
  set.arg_texts = {"global.v", "5"};
  auto add = [] {
    CAction a;
    a.kind = ACTION_VARIABLE;
    a.arg_texts = {"global.v", "5"};
    a.relative = true;
    return a;
  };
  EXPECT_EQ(Run(L(std::move(set), add(), add(), CAction::CodeAction("global.log = string(global.v)"))), "15");

  // Kind 2: a quoted text is an expression, an unquoted one the text itself.
  CAction plain = Call("action_if_variable", {"\"ab\"", "ab", "0"});
  plain.arg_kinds = {2, 2, 0};
  plain.is_question = true;
  EXPECT_EQ(Run(L(std::move(plain), Log("same"))), "same");
  EXPECT_EQ(list[0].arg_kinds[0], ACTION_ARG_CONSTANT);  // folded literal
  EXPECT_EQ(list[0].arg_values[1].str, "ab");

  // A code action sees the action's arguments and relative flag.
  CAction code = CAction::CodeAction("global.log = string(argument0) + string(argument_relative)");
  code.uses_relative = true;
  code.relative = true;
  code.arg_count = 1;
  code.arg_texts = {"", "x + 1"};  // argument 0 of a code action is its text
  code.kind = ACTION_NORMAL;
  code.exec_type = ACTION_EXEC_CODE;
  code.code_text = "global.log = string(argument0) + string(argument_relative)";
  code.arg_texts = {"x + 1"};
  EXPECT_EQ(Run(L(std::move(code))), "111");
  EXPECT_EQ(Action_ArgumentRelative, false);
}

// A compile error names the action, its event and its object, and ends
// the game.
TEST_F(ActionTest, CompileErrorsEndTheGame) {
  EventContext = REventContext{EV_CREATE, 0, 1, 2};
  CAction bad = CAction::CodeAction("x = ");
  EXPECT_FALSE(bad.Compile());
  EXPECT_EQ(Error_Last(),
            "FATAL ERROR in\r\naction number 3\r\nof Create Event\r\nfor object B:\r\n\r\n"
            "COMPILATION ERROR in code action\rError in code at line 1:\r   x = \r\rat position 4: "
            "Unexpected symbol in expression.");
  EXPECT_TRUE(Error_Aborting());
  Error_Reset();
  EventContext = REventContext{EV_STEP, 1, 0, 0};
  CAction arg = Call("action_if", {"1 +"});
  EXPECT_FALSE(arg.Compile());
  EXPECT_EQ(Error_Last(),
            "FATAL ERROR in\r\naction number 1\r\nof Begin Step Event\r\nfor object A:\r\n\r\n"
            "COMPILATION ERROR in argument 0\rError in expression:1 +\r position 3: Unexpected symbol in expression.");
  Error_Reset();
  EventContext = REventContext{};
  RunState.PendingRoom = REQUEST_NONE;
  // A missing function is shown at load; the action does nothing and asks false.
  CAction missing = Question("no_such_function", {});
  EXPECT_EQ(Run(L(std::move(missing), Log("a"), Log("b"))), "b");
  EXPECT_EQ(list[0].function_index, -1);
}

TEST_F(ActionTest, ActionBuiltinsWithRelative) {
  CAction move = Call("action_move_to", {"5", "-5"});
  move.relative = true;
  Run(L(std::move(move)));
  EXPECT_EQ(self->x, 15);
  EXPECT_EQ(self->y, 15);
  Run(L(Call("action_move_point", {"15", "5", "2"})));
  EXPECT_DOUBLE_EQ(self->direction, 90);
  EXPECT_DOUBLE_EQ(self->speed, 2);
  Run(L(Call("action_sprite_transform", {"2", "3", "45", "3"})));
  EXPECT_EQ(self->image_xscale, -2);
  EXPECT_EQ(self->image_yscale, -3);
  EXPECT_EQ(self->image_angle, 45);
  Run(L(Call("action_set_motion", {"90", "4"})));
  EXPECT_DOUBLE_EQ(self->vspeed, -4);
  Run(L(Call("action_set_hspeed", {"3"}), Call("action_reverse_xdir")));
  EXPECT_DOUBLE_EQ(self->hspeed, -3);

  self->SetAlarm(2, -1);
  auto alarm = [] {
    CAction a = Call("action_set_alarm", {"10", "2"});
    a.relative = true;
    return a;
  };
  Run(L(alarm()));
  EXPECT_EQ(self->alarm[2], 10);  // relative adds only to a running alarm
  Run(L(alarm()));
  EXPECT_EQ(self->alarm[2], 20);

  Run(L(Call("action_set_score", {"2.5"})));
  EXPECT_EQ(Game.score, 2);
  CAction score = Call("action_set_score", {"2.5"});
  score.relative = true;
  Run(L(std::move(score), Question("action_if_score", {"4", "0"}), Log("four")));
  EXPECT_EQ(TestWorld_Log(), "four");
  EXPECT_EQ(Game.score, 4);

  // Lives running out performs the no-more-lives event once.
  Game.lives = 1;
  Run(L(Call("action_set_life", {"0"}), Call("action_set_life", {"-1"})));
  EXPECT_EQ(Game.lives, -1);

  EXPECT_EQ(Run(L(Question("action_if_dice", {"1"}), Log("d"))), "d");
  EXPECT_EQ(Run(L(Question("action_if_number", {"1", "0", "0"}), Log("none"))), "none");
  Run(L(Call("action_create_object_motion", {"1", "1", "2", "3", "180"})));
  ASSERT_EQ(Room_ObjectInstances(1).size(), 1u);
  EXPECT_DOUBLE_EQ(Room_ObjectInstances(1)[0]->hspeed, -3);
  Run(L(Call("action_kill_object")));
  EXPECT_TRUE(self->destroyed);
}

// A damaged file nesting far deeper than any game ends the list instead of
// exhausting the stack.
TEST_F(ActionTest, DeepNestingEndsTheList) {
  std::vector<CAction> deep;
  for (int i = 0; i < 3000; i++) deep.push_back(If("1"));
  deep.push_back(Log("deep"));
  deep.push_back(Log("z"));
  EXPECT_EQ(Run(std::move(deep)), "");
  EXPECT_EQ(Run(L(Begin(), Begin(), Log("a"), End(), End(), Log("b"))), "ab");
}

TEST_F(ActionTest, PendingRoomStopsTheList) {
  EXPECT_EQ(Run(L(Log("a"), CAction::CodeAction("game_end()"), Log("b"))), "a");
  EXPECT_EQ(RunState.PendingRoom, REQUEST_END);
}

}  // namespace
