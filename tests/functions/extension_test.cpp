// Extension packages in the engine: their constants and functions in code and
// actions, library functions through the external call layer, the
// initialisation and finalisation over a restart, the fatal messages, secure
// mode, and the packages refused at load.
#include <filesystem>

#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "functions/Extension_Main.h"
#include "functions/File_Fixture.h"
#include "functions/Support_DLL.h"
#include "graphics/Graphics_Window.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestExtensions.h"
#include "support/TestWorld.h"
#include "variables/Code_Constant.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"

namespace {

class Extensions : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Builtins_RegisterAll();
    m_Constants = Constant_Count();
    ASSERT_TRUE(TempDir_Create());
    // The game's folder, where a library may also stand.
    DLL_SetFolder(VELMORA_BUILD_DIR "/testlibs");
  }
  void TearDown() override {
    TestWorld_Clear();
    Extension_Reset();
    DLL_Clear();
    DLL_SetFolder("");
    Constant_Truncate(m_Constants);
    TempDir_Remove();
    FileTest::TearDown();
  }

  bool Load(std::vector<RExtensionPackage> packages) { return Extension_Install(packages) && Extension_Prepare(); }
  bool LoadAll() { return Load({TestExtension_Tools("ext.log"), TestExtension_Lib(), TestExtension_Shadow()}); }

  // Runs a program for a blank instance; its value.
  RValue Eval(const std::string& text) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << text << ": " << RecordedError();
    CInstance self;
    RValue result;
    if (code.IsCompiled()) Execute(&self, &self, code, result);
    return result;
  }

  int32_t m_Constants = 0;
};

std::string Slots(const std::string& first) {
  std::string text = first;
  for (int i = std::count(first.begin(), first.end(), ','); i < 16; i++) text += "0,";
  return text;
}

}  // namespace

TEST_F(Extensions, ScriptFunctionsAndConstants) {
  ASSERT_TRUE(LoadAll()) << Error_Last();
  RValue v;
  ASSERT_TRUE(ConstantOf("EXT_BONUS", v));  // the name is read trimmed
  EXPECT_EQ(v.real, 100);
  ASSERT_TRUE(ConstantOf("EXT_DOUBLE", v));  // an earlier constant in the value
  EXPECT_EQ(v.real, 200);

  // The first package's function wins a shared name; the ids are the package's.
  EXPECT_EQ(FunctionIdOf("ext_sum"), EXTENSION_ID_BASE + 3);
  EXPECT_EQ(ArgumentCountOf(EXTENSION_ID_BASE + 4), -1);
  EXPECT_EQ(ArgumentCountOf(EXTENSION_ID_BASE + 8), -100);
  EXPECT_EQ(Function_ExtensionName(7), "ext_plus");
  EXPECT_EQ(Eval("return ext_sum(1, 2)").real, 103);
  EXPECT_EQ(Eval("return ext_plus(1, 2)").real, 103);  // another name for the same section
  EXPECT_EQ(Eval("return ext_nocode()").real, 0);      // no section of its name: no code

  // The unused slots are 0 inside; the caller's slots are back afterwards.
  EXPECT_EQ(Eval("return ext_slots(1, 'a', 3)").str, Slots("1,a,3,"));
  EXPECT_EQ(Eval("return execute_string('return ext_slots(7) + string(argument0)', 5)").str, Slots("7,") + "5");

  CCode wrong("ext_sum(1)", false);
  EXPECT_FALSE(wrong.Compile());
  EXPECT_NE(RecordedError().find("Wrong number of arguments to function or script."), std::string::npos);
  EXPECT_FALSE(Error_Occurred()) << Error_Last();
}

TEST_F(Extensions, LibraryFunctions) {
  // A package whose Windows library has a Linux build beside the game only.
  RExtensionPackage beside;
  beside.name = "Beside";
  beside.folder = "beside";
  RExtensionFile dll;
  dll.fileName = "vl_testlib.dll";
  dll.kind = 1;
  dll.data = {'M', 'Z'};
  dll.functions = {TestExtension_Function("lib_add", 30, 2, "vl_add2")};
  beside.files = {dll};
  ASSERT_TRUE(Load({TestExtension_Tools("ext.log"), TestExtension_Lib(), beside})) << Error_Last();

  EXPECT_EQ(Eval("return ext_scale(6, 7)").real, 42);
  EXPECT_EQ(Eval("return ext_wrap('ab', 2.5)").str, "[ab:2.5]");
  EXPECT_EQ(Eval("return lib_add(2, 3)").real, 5);
  EXPECT_EQ(Eval("return ext_absent()").real, 0);  // no such export: 0
  // Another number of arguments than the function was bound with gives 0;
  // so does an id between the functions.
  RValue args[MAX_ARGUMENTS] = {RValue(6.0), RValue(7.0)};
  RValue dest("x");
  EXPECT_TRUE(Extension_Call(13, nullptr, nullptr, dest, args, 1));
  EXPECT_EQ(dest.real, 0);
  EXPECT_TRUE(dest.IsReal());
  EXPECT_TRUE(Extension_Call(8, nullptr, nullptr, dest, args, 0));
  EXPECT_FALSE(Extension_Call(31, nullptr, nullptr, dest, args, 0));
  EXPECT_FALSE(Error_Occurred()) << Error_Last();
  // Transitions find extension functions by name.
  EXPECT_EQ(CallByName("transition_define", {RValue(30), Str("ext_scale")}).real, 1);
}

TEST_F(Extensions, InitialisedAndFinalisedAtEveryGameStartAndEnd) {
  ASSERT_TRUE(LoadAll()) << Error_Last();
  RTestWorld world;
  RActionRecord call;  // an action calling an extension function
  call.kind = 0;
  call.execType = 1;
  call.functionName = "ext_note";
  call.argKinds = {0};
  call.argValues = {"'create ' + string(ext_sum(1, 1))"};
  world.objects = {TestWorld_Object("Logger", -1, {{EV_OTHER, EV_GAME_START, "ext_note('start')"}})};
  world.objects[0].events.push_back({EV_CREATE, 0, {}});
  world.objects[0].events.back().event.actions = {call};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001)};
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();

  StartGame();
  EXPECT_EQ(ReadWhole("ext.log"), "init 0;create 102;start;");
  CallByName("window_set_cursor", {RValue(-1.0)});
  CallByName("game_restart");
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(ReadWhole("ext.log"), "init 0;create 102;start;final 0;init 1;create 102;start;");
  CallByName("window_set_cursor", {RValue(-1.0)});
  EndGame();
  EXPECT_EQ(ReadWhole("ext.log"), "init 0;create 102;start;final 0;init 1;create 102;start;final 1;");
  EXPECT_EQ(Eval("return ext_lib_count(1)").real, 2);
  EXPECT_EQ(Window_GetCursor(), CURSOR_DEFAULT);  // back to the arrow after the finalisation
  Settings.ShowCursor = true;                      // which the game had turned off
  EXPECT_FALSE(Error_Occurred()) << Error_Last();
}

TEST_F(Extensions, FailuresStopTheGameWithTheirMessages) {
  auto expect = [](bool ok, const std::string& message) {
    EXPECT_FALSE(ok) << message;
    EXPECT_EQ(Error_Last().substr(0, message.size()), message);
    EXPECT_TRUE(Error_Aborting()) << message;
    Error_Reset();
  };
  RExtensionPackage tools = TestExtension_Tools("ext.log");
  RExtensionPackage broken = tools;
  std::string bad = "#define ext_sum\r\nreturn (;";
  broken.files[0].data.insert(broken.files[0].data.end(), bad.begin(), bad.end());
  expect(Load({broken, TestExtension_Lib()}), "COMPILATION ERROR in extension package Tools\rError in code at line 1");

  RExtensionPackage lost = tools;
  lost.files[0].initFunction = "ext_start";
  ASSERT_TRUE(Load({lost, TestExtension_Lib()}));
  expect(Extension_Initialize(), "Could not locate initialization function ext_start");
  lost.files[0].finalFunction = "ext_stop";
  ASSERT_TRUE(Load({lost, TestExtension_Lib()}));
  expect(Extension_Finalize(), "Could not locate finalization function ext_stop");

  ASSERT_TRUE(Load({tools, TestExtension_Lib()}));
  CInstance self;
  RValue dest, slots[MAX_ARGUMENTS];
  expect(Extension_Call(5, &self, &self, dest, slots, 0),
         "In extension function ext_fail:\rError in code at line 1:\r   return no_such_variable;");
  EXPECT_EQ(dest.str, "ERROR");

  SecureMode = true;
  expect(Extension_Initialize(), kExtensionSecureMessage);
  const bool called = Extension_Call(3, &self, &self, dest, slots, 0);
  EXPECT_EQ(RecordedError(), kExtensionSecureMessage);  // for the code that called it
  expect(called, kExtensionSecureMessage);
  SecureMode = false;

  // A constant that is not valid fails the preparation (its own message box).
  RExtensionPackage constant = tools;
  constant.files[0].constants.push_back({DATA_EXTENSION_VERSION, "2nd", "1"});
  EXPECT_FALSE(Load({constant, TestExtension_Lib()}));
}

TEST_F(Extensions, UnusablePackagesAreRefusedAtLoad) {
  auto with = [](auto change) {
    RExtensionPackage p = TestExtension_Lib();
    change(p);
    return std::vector<RExtensionPackage>{TestExtension_Tools("ext.log"), p};
  };
  std::vector<std::vector<RExtensionPackage>> bad = {
      with([](RExtensionPackage& p) { p.files[0].functions[1].id = 3; }),   // an id of Tools
      with([](RExtensionPackage& p) { p.files[0].functions[1].id = -1; }),
      with([](RExtensionPackage& p) { p.files[0].functions[1].id = 1000000; }),
      with([](RExtensionPackage& p) { p.folder = ".."; }),
      with([](RExtensionPackage& p) { p.files[2].fileName = "../escaped.so"; }),
  };
  for (std::vector<RExtensionPackage>& packages : bad) {
    EXPECT_FALSE(Extension_Install(packages));
    EXPECT_EQ(FunctionIdOf("ext_sum"), -1);
  }
  const std::filesystem::path outside = std::filesystem::path(TempDir_Path()).parent_path();
  EXPECT_FALSE(std::filesystem::exists(outside / "escaped.so"));
  EXPECT_FALSE(std::filesystem::exists(outside / "vl_extlib.so"));
}
