// A whole game played headless: an instance follows a path from the game
// file, another plans a grid route around a wall and follows it, a third
// steps straight towards a goal; each reports where it ended.
#include <gtest/gtest.h>

#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Object_Class.h"

namespace {

constexpr const char* kReport = "show_debug_message(object_get_name(object_index) + ' ' + string(x) + ',' + string(y))";

TEST(PathGame, InstancesFollowPathsAndPlanAroundWalls) {
  RGameData game = TestGame_OneRoom();
  RPathRecord line;
  line.name = "pth_line";
  line.closed = false;
  line.points = {{0, 0, 100}, {30, 0, 100}, {30, 40, 100}};
  game.paths.emplace_back(line);
  game.objects.emplace_back(TestWorld_Object("walker", -1,
                                             {{EV_CREATE, 0, "action_path(pth_line, 10, 0, 0)"},
                                              {EV_OTHER, 8, kReport}}));
  game.objects.emplace_back(TestWorld_Object(
      "planner", -1,
      {{EV_CREATE, 0,
        "grid = mp_grid_create(0, 0, 10, 10, 10, 10);"
        "mp_grid_add_rectangle(grid, 40, 0, 49, 79);"
        "route = path_add();"
        "if (mp_grid_path(grid, route, 5, 5, 95, 5, true)) path_start(route, 20, 0, true);"
        "show_debug_message('route of ' + string(path_get_number(route)) + ' points')"},
       {EV_OTHER, 8, kReport}}));
  game.objects.emplace_back(TestWorld_Object(
      "stepper", -1,
      {{EV_CREATE, 0, "arrived = false"},
       {EV_STEP, 0, std::string("if (!arrived && mp_linear_step(200, 50, 7, false)) { arrived = true; ") + kReport +
                        " }"}}));
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001, 100, 300), TestWorld_Instance(1, 100002, 5, 5),
                              TestWorld_Instance(2, 100003, 60, 50)};
  game.lastInstanceId = 100003;
  RRunResult r = TestGame_Run("--max-steps 40 --unthrottled " + TestGame_Write(game, "paths.game"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("walker 130,340\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("planner 95,5\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("stepper 200,50\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("route of 0 points"), std::string::npos) << r.err;
}

}  // namespace
