// Whole games with extension packages, played by the runner: both kinds of
// package over a restart, and the messages of packages that cannot load.
#include "data/DataNew_Main.h"
#include "functions/File_Fixture.h"
#include "runner/Runner_Sections.h"
#include "support/TestExtensions.h"
#include "support/TestGames.h"
#include "world/Object_Class.h"

namespace {

// One object in the first room: its create event calls an extension function
// from an action and from code, then restarts the game once and ends it.
RGameData GameWithPackages(const std::string& log) {
  RGameData game = TestGame_OneRoom();
  game.extensions = {TestExtension_Tools(log), TestExtension_Lib()};
  RObjectRecord object;
  object.name = "obj_caller";
  RActionRecord call;
  call.kind = 0;
  call.execType = 1;
  call.functionName = "ext_note";
  call.argKinds = {0};
  call.argValues = {"'act ' + string(ext_plus(1, 2))"};
  RActionRecord code;
  code.argValues = {
      "ext_note(ext_wrap('x', ext_scale(2, 3)) + ' ' + string(EXT_DOUBLE));\r\n"
      "if (ext_lib_count(0) < 2) game_restart() else game_end();"};
  object.events.push_back({EV_CREATE, 0, {}});
  object.events.back().event.actions = {call, code};
  game.objects.emplace_back(object);
  RRoomInstance inst;
  inst.object = 0;
  inst.id = 100001;
  game.rooms[0]->instances = {inst};
  return game;
}

}  // namespace

TEST(ExtensionGame, BothKindsOfPackagePlayOverARestart) {
  const std::string log = TestGame_Path("ext_game.log");
  std::remove(log.c_str());
  RRunResult r = TestGame_Run("--unthrottled --max-steps 50 " + TestGame_Write(GameWithPackages(log), "ext.game"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadWhole(log), "init 0;act 103;[x:6] 200;final 0;init 1;act 103;[x:6] 200;final 1;") << r.err;
}

TEST(ExtensionGame, PackagesThatCannotLoadOrPrepare) {
  const std::string log = TestGame_Path("ext_bad.log");
  auto run = [](const RGameData& game) {
    RRunResult r = TestGame_Run("--unthrottled --max-steps 5 " + TestGame_Write(game, "ext_bad.game"));
    EXPECT_NE(r.status, 0);
    return r.err;
  };
  RGameData version = GameWithPackages(log);
  version.extensions[1].version = 600;
  EXPECT_EQ(run(version), "Error in loading extension packages.\nError: Error in resource data.\n");

  RGameData twice = GameWithPackages(log);
  twice.extensions[1].files[0].functions[0].id = 3;
  std::string err = run(twice);
  EXPECT_NE(err.find("function ext_lib_init has the id 3 of another function"), std::string::npos) << err;
  EXPECT_NE(err.find("Error in loading extension packages.\nError: Error in resource data.\n"), std::string::npos);

  RGameData broken = GameWithPackages(log);
  std::string bad = "#define ext_scale_twice\r\nreturn ext_scale(1);";
  broken.extensions[0].files[0].data.insert(broken.extensions[0].files[0].data.end(), bad.begin(), bad.end());
  broken.extensions[0].files[0].functions.push_back(TestExtension_Function("ext_scale_twice", 9, 0));
  err = run(broken);
  EXPECT_NE(err.find("COMPILATION ERROR in extension package Tools"), std::string::npos) << err;
  EXPECT_NE(err.find("Wrong number of arguments to function or script."), std::string::npos) << err;
  EXPECT_NE(err.find("Failed to prepare extension packages.\n"), std::string::npos) << err;
}

TEST(ExtensionGame, PreparedAfterTheIncludedFilesAndBeforeTheConstants) {
  auto step = [](const char* text) {
    for (size_t i = 0; i < kPreparationSteps.size(); i++)
      if (std::string(kPreparationSteps[i].text) == text) return i;
    return kPreparationSteps.size();
  };
  const size_t packages = step("Preparing extension pacakges");
  ASSERT_LT(packages, kPreparationSteps.size());
  EXPECT_EQ(kPreparationSteps[packages].percent, 54);
  EXPECT_STREQ(kPreparationSteps[packages].failure, "Failed to prepare extension packages.");
  EXPECT_EQ(step("Extracting included files") + 1, packages);
  EXPECT_EQ(step("Preparing constants"), packages + 1);
}
