// Whole games whose events are made of actions, played headless by the
// runner: variable, question, block, else, repeat, exit, relative and code
// actions, time lines compiled at load, and their load failures.
#include <gtest/gtest.h>

#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Action_Class.h"
#include "world/Object_Class.h"

namespace {

// An action record as the authoring tool stores it; arguments are
// expressions unless a kind says otherwise.
RActionRecord Act(int32_t kind, int32_t exec, std::string function, std::vector<std::string> args = {},
                  bool question = false, bool relative = false) {
  RActionRecord a;
  a.kind = kind;
  a.execType = exec;
  a.functionName = std::move(function);
  a.isQuestion = question;
  a.mayBeRelative = true;
  a.relative = relative;
  a.argCount = static_cast<int32_t>(args.size());
  a.argKinds.assign(args.size(), 0);
  a.argValues = std::move(args);
  return a;
}
RActionRecord Fn(std::string name, std::vector<std::string> args = {}, bool relative = false) {
  return Act(ACTION_NORMAL, ACTION_EXEC_FUNCTION, std::move(name), std::move(args), false, relative);
}
RActionRecord Ask(std::string name, std::vector<std::string> args) {
  return Act(ACTION_NORMAL, ACTION_EXEC_FUNCTION, std::move(name), std::move(args), true);
}
RActionRecord Code(std::string text) { return Act(ACTION_CODE, ACTION_EXEC_CODE, "", {std::move(text)}); }
RActionRecord Var(std::string name, std::string value, bool relative = false) {
  return Act(ACTION_VARIABLE, ACTION_EXEC_CODE, "", {std::move(name), std::move(value)}, false, relative);
}
RActionRecord Mark(int32_t kind) { return Act(kind, ACTION_EXEC_NONE, ""); }
RActionRecord Repeat(std::string count) { return Act(ACTION_REPEAT, ACTION_EXEC_NONE, "", {std::move(count)}); }

RGameData GameWithCreate(std::vector<RActionRecord> actions) {
  RGameData game = TestGame_OneRoom();
  RObjectRecord object = TestWorld_Object("Main", -1, {});
  object.events.push_back(RObjectEvent{EV_CREATE, 0, {}});
  object.events.back().event.actions = std::move(actions);
  game.objects.emplace_back(object);
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001, 5, 7)};
  game.lastInstanceId = 100001;
  return game;
}

TEST(ActionGame, CreateEventOfActions) {
  RGameData game = GameWithCreate({
      Var("n", "1"),
      Var("n", "2", true),                                   // n += 2
      Ask("action_if_variable", {"n", "3", "0"}),            // n == 3
      Mark(ACTION_BEGIN_BLOCK),
      Repeat("2"),
      Fn("action_set_score", {"5"}, true),                   // score += 5, twice
      Code("show_debug_message('score ' + string(score) + ' rel ' + string(argument_relative))"),
      Mark(ACTION_END_BLOCK),
      Mark(ACTION_ELSE),
      Code("show_debug_message('wrong branch')"),
      Fn("action_move_to", {"10", "10"}, true),
      Code("show_debug_message('at ' + string(x) + ',' + string(y))"),
      Mark(ACTION_EXIT),
      Code("show_debug_message('after exit')"),
  });
  RRunResult r = TestGame_Run("--max-steps 3 --unthrottled " + TestGame_Write(game, "actions.game"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("score 10 rel 0\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("at 15,17\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("wrong branch"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("after exit"), std::string::npos) << r.err;
}

TEST(ActionGame, LoadFailuresOfActions) {
  // A missing action function is shown and the game still runs.
  RGameData missing = GameWithCreate({Fn("action_no_such"), Code("show_debug_message('ran')")});
  RRunResult r = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(missing, "missing.game"));
  EXPECT_NE(r.err.find("Failed to locate action function action_no_such"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ran\n"), std::string::npos) << r.err;

  // An argument that does not compile stops the load.
  RGameData bad_arg = GameWithCreate({Fn("action_set_score", {"1 +"})});
  r = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(bad_arg, "badarg.game"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("COMPILATION ERROR in argument 0"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Failed to compile the actions in the objects."), std::string::npos) << r.err;

  // A time line moment that does not compile stops the load too.
  RGameData bad_line = GameWithCreate({});
  RTimeLineRecord line;
  line.name = "tl";
  line.moments.push_back(RMoment{3, {}});
  line.moments[0].event.actions.push_back(Code("x = "));
  bad_line.timelines.emplace_back(line);
  r = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(bad_line, "badline.game"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("COMPILATION ERROR in code action"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Failed to compile the actions in the time lines."), std::string::npos) << r.err;
}

}  // namespace
