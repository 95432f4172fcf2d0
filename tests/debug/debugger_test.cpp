// The debugger against a game run in this process: watches, run control,
// executing code, the game speed, the information windows and the messages
// of show_debug_message, driven through the debugger's commands with the
// questions answered as a person would.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "data/Option_Main.h"
#include "debug/Debug_Info.h"
#include "debug/Debug_Main.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_FormControls.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Form.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Main.h"

namespace {

// Counter (object 0) counts the steps in global.steps and its own count; it
// ends the game at step global.end_at when that is set. Other (object 1)
// does nothing.
RTestWorld World() {
  RTestWorld world;
  world.objects = {
      TestWorld_Object("Counter", -1,
                       {{EV_CREATE, 0, "count = 0; global.steps = 0; global.end_at = -1"},
                        {EV_STEP, 0, "global.steps += 1; count += 1; if (global.steps == global.end_at) game_end()"},
                        {EV_OTHER, EV_GAME_END, "global.ended += 1"}}),
      TestWorld_Object("Other", -1, {}),
  };
  world.rooms.resize(1);
  world.rooms[0].speed = 30;
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 10, 20), TestWorld_Instance(1, 100002, 40, 50)};
  world.library_code = {"global.ended = 0"};
  return world;
}

// Runs code for a blank instance of no object.
bool RunCode(const std::string& code) {
  CInstance blank;
  return TestWorld_Run(code, &blank);
}

double Global(const char* name) {
  RValue v;
  return GetGlobal(VariableIdOf(name), 0, v) ? v.real : -999;
}

class Debugger : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug_Install();
    ASSERT_TRUE(TestWorld_Install(World()));
    DebugMode = true;
    RunnerOptions = RRunnerOptions{};
    RunnerOptions.unthrottled = true;
    Debug_Show();
    ASSERT_TRUE(Debug_Visible());
  }
  void TearDown() override {
    Form_SetTestDriver(nullptr);
    Debug_SetRefreshListener(nullptr);
    if (RunState.GameRunning) {
      RunState.GamePaused = true;
      Run_Control(ERunControl::Stop);
    }
    Debug_Reset();
    DebugMode = false;
    RunnerOptions = RRunnerOptions{};
    TestWorld_Clear();
  }

  // The game started and paused, as after Pause.
  void StartPaused() {
    RunState.GameRunning = true;
    StartGame();
    RunState.GamePaused = true;
  }

  // Answers the next questions in order: the text typed before OK, or
  // nullopt for Cancel; "yes" and "no" answer a Yes/No question.
  void Answer(std::vector<std::optional<std::string>> answers) {
    auto queue = std::make_shared<std::deque<std::optional<std::string>>>(answers.begin(), answers.end());
    Form_SetTestDriver([queue, this](CForm& form) {
      asked_.push_back(form.Caption());
      if (auto* edit = dynamic_cast<CFormEdit*>(form.Find("Value"))) offered_.push_back(edit->Value());
      if (queue->empty()) {
        ADD_FAILURE() << "unexpected question: " << form.Caption();
        return;
      }
      std::optional<std::string> answer = queue->front();
      queue->pop_front();
      if (!answer) return;
      if (auto* edit = dynamic_cast<CFormEdit*>(form.Find("Value"))) edit->SetText(*answer);
      form.Click(*answer == "no" ? "CancelBtn" : "OkBtn");
    });
  }

  CFormMenuBar& Menu() { return *static_cast<CFormMenuBar*>(Debug_Form()->Find("MenuBar")); }
  CFormToolBar& Tools() { return *static_cast<CFormToolBar*>(Debug_Form()->Find("ToolBar")); }
  CFormGrid& Grid() { return *static_cast<CFormGrid*>(Debug_Form()->Find("WatchGrid")); }
  CFormStatusBar& Status() { return *static_cast<CFormStatusBar*>(Debug_Form()->Find("StatusBar")); }

  std::vector<std::string> asked_;    // captions of the questions asked
  std::vector<std::string> offered_;  // the text each question started with
};

TEST_F(Debugger, TheWindowHasItsCaptionsShortcutsAndHints) {
  CForm& form = *Debug_Form();
  EXPECT_EQ(form.Caption(), "Debug Information");
  EXPECT_EQ(form.ClientWidth(), 260);
  EXPECT_EQ(form.ClientHeight(), 400);
  ASSERT_EQ(Menu().menus.size(), 3u);
  EXPECT_EQ(Menu().menus[0].caption, "&Run");
  EXPECT_EQ(Menu().menus[1].caption, "&Watch");
  EXPECT_EQ(Menu().menus[2].caption, "&Tools");
  struct RExpected {
    const char *name, *caption, *shortcut, *hint;
  };
  for (const RExpected& e : std::initializer_list<RExpected>{
           {"Run", "&Run", "Ctrl+Alt+R", "Run or resume the game"},
           {"Restart", "R&estart", "Ctrl+Alt+N", "Restart the game"},
           {"Stop", "Stop", "Alt+F4", "Ends the game"},
           {"Delete", "&Delete", "Del", "Delete the selected watch expression"},
           {"Save", "Sa&ve ...", "Ctrl+S", "Save the watched expressions to a file"},
           {"SetSpeed", "&Set Speed ...", "", "Set the speed of the game"},
           {"ShowInstances", "Show &Instances", "", "Shows all the instances"}}) {
    RFormMenuItem* item = Menu().Item(e.name);
    ASSERT_NE(item, nullptr) << e.name;
    EXPECT_EQ(item->caption, e.caption);
    EXPECT_EQ(item->shortcut.Text(), e.shortcut);
    EXPECT_EQ(item->hint, e.hint);
  }
  EXPECT_TRUE(Menu().menus[0].items[3].IsSeparator());
  ASSERT_EQ(Tools().buttons.size(), 10u);
  EXPECT_TRUE(Tools().buttons[5].separator);
  EXPECT_EQ(Tools().Button("Stop")->hint, "End the game");
  EXPECT_EQ(Status().widths, (std::vector<int32_t>{60, 60, 200}));
  // An empty watch list: the header row and the empty row.
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().Cell(0, 0), "Expression");
  EXPECT_EQ(Grid().Cell(1, 0), "Value");
}

TEST_F(Debugger, WatchesFollowTheGameAndShowCompileErrors) {
  Answer({"global.steps", "1/3", "2.5", "x +", "Counter.count", ""});
  for (int i = 0; i < 6; i++) Debug_Command(EDebugCommand::WatchAdd);
  EXPECT_EQ(asked_.front(), "Provide an expression.");
  ASSERT_EQ(Debug_WatchCount(), 5);  // the empty answer adds nothing
  EXPECT_EQ(Grid().RowCount(), 7);

  StartPaused();
  Debug_Command(EDebugCommand::Step);
  Debug_Command(EDebugCommand::Step);
  EXPECT_EQ(Debug_WatchValue(0), "2");
  EXPECT_EQ(Debug_WatchValue(1), "0.3333333333");
  EXPECT_EQ(Debug_WatchValue(2), "2.50");
  EXPECT_EQ(Debug_WatchValue(3), "COMPILE ERROR");
  EXPECT_EQ(Debug_WatchValue(4), "2");

  // Change: the selected row's expression is offered and replaced; on the
  // empty row it adds one, as does a double click there.
  Debug_SelectRow(2);
  Answer({"global.steps * 10"});
  Debug_Command(EDebugCommand::WatchChange);
  EXPECT_EQ(offered_.back(), "1/3");
  EXPECT_EQ(Debug_WatchExpression(1), "global.steps * 10");
  EXPECT_EQ(Debug_WatchValue(1), "20");
  Debug_SelectRow(Debug_WatchCount() + 1);
  Answer({"score"});
  Debug_Command(EDebugCommand::WatchChange);
  EXPECT_EQ(Debug_WatchExpression(5), "score");
  Debug_SelectRow(Debug_WatchCount() + 1);
  Answer({"lives"});
  Debug_Form()->MouseButton(20, Grid().bounds.y + 2 + 18 * 7 + 5, true, 1);
  Debug_Form()->MouseButton(20, Grid().bounds.y + 2 + 18 * 7 + 5, false, 1);
  Debug_Form()->MouseButton(20, Grid().bounds.y + 2 + 18 * 7 + 5, true, 2);
  Debug_Form()->MouseButton(20, Grid().bounds.y + 2 + 18 * 7 + 5, false, 2);
  EXPECT_EQ(Debug_WatchExpression(6), "lives");

  // Delete removes the selected row; the empty row stays.
  Debug_SelectRow(4);
  Debug_Command(EDebugCommand::WatchDelete);
  EXPECT_EQ(Debug_WatchExpression(3), "Counter.count");
  Debug_SelectRow(Debug_WatchCount() + 1);
  Debug_Command(EDebugCommand::WatchDelete);
  EXPECT_EQ(Debug_WatchCount(), 6);
  Debug_Command(EDebugCommand::WatchClear);
  EXPECT_EQ(Debug_WatchCount(), 0);
  EXPECT_EQ(Grid().RowCount(), 2);
}

TEST_F(Debugger, RunControlPausesStepsRestartsAndStops) {
  for (EDebugCommand c : {EDebugCommand::Run, EDebugCommand::Pause, EDebugCommand::Step, EDebugCommand::Stop})
    EXPECT_FALSE(Debug_CommandEnabled(c));  // no game runs yet

  // Pause, once the game runs, while a refresh watches its steps.
  Debug_SetRefreshListener([] {
    if (Global("steps") == 3) Debug_Command(EDebugCommand::Pause);
  });
  RunGame();
  EXPECT_TRUE(RunState.GameRunning);
  EXPECT_TRUE(RunState.GamePaused);
  EXPECT_EQ(Global("steps"), 3);
  EXPECT_FALSE(Debug_CommandEnabled(EDebugCommand::Pause));
  EXPECT_TRUE(Debug_CommandEnabled(EDebugCommand::Run));
  EXPECT_TRUE(Debug_CommandEnabled(EDebugCommand::Step));
  Debug_Timer();
  EXPECT_FALSE(Menu().Item("Pause")->enabled);
  EXPECT_TRUE(Tools().Button("Step")->enabled);

  // Step: exactly one step, through the tool bar.
  const int64_t before = RunState.StepCount;
  Tools().ClickButton("Step");
  EXPECT_EQ(RunState.StepCount, before + 1);
  EXPECT_EQ(Global("steps"), 4);
  Tools().ClickButton("Pause");  // disabled: nothing happens
  EXPECT_EQ(RunState.StepCount, before + 1);

  // Run resumes until the listener pauses again.
  Debug_SetRefreshListener([] {
    if (Global("steps") == 6) Debug_Command(EDebugCommand::Pause);
  });
  Debug_Command(EDebugCommand::Run);
  EXPECT_EQ(Global("steps"), 6);
  EXPECT_TRUE(RunState.GamePaused);

  // Restart from paused: the game starts afresh and runs on.
  Debug_SetRefreshListener([] {
    if (Global("steps") == 2) Debug_Command(EDebugCommand::Pause);
  });
  Debug_Command(EDebugCommand::Restart);
  EXPECT_TRUE(RunState.GamePaused);
  EXPECT_EQ(Global("steps"), 2);
  EXPECT_EQ(Global("ended"), 0);  // the restart ran game end, then game start reset the globals

  // Stop while paused ends the game at once, with its game end event.
  Debug_SetRefreshListener(nullptr);
  Debug_Command(EDebugCommand::Stop);
  EXPECT_FALSE(RunState.GameRunning);
  EXPECT_FALSE(RunState.GamePaused);
  EXPECT_EQ(Global("ended"), 1);
  EXPECT_EQ(Room_Current(), nullptr);
  EXPECT_FALSE(Debug_CommandEnabled(EDebugCommand::Restart));
}

TEST_F(Debugger, StopWhileRunningAndAStepThatEndsTheGame) {
  Debug_SetRefreshListener([] {
    if (Global("steps") == 2) Debug_Command(EDebugCommand::Stop);
  });
  RunGame();
  EXPECT_FALSE(RunState.GameRunning);
  EXPECT_EQ(Global("ended"), 1);
  Debug_SetRefreshListener(nullptr);

  // A single step whose code ends the game ends it there, game end included.
  StartPaused();
  Answer({"global.end_at = 1"});
  Debug_Command(EDebugCommand::ExecuteCode);
  Debug_Command(EDebugCommand::Step);
  EXPECT_FALSE(RunState.GameRunning);
  EXPECT_EQ(Global("ended"), 1);
  EXPECT_EQ(Room_Current(), nullptr);
}

TEST_F(Debugger, ExecuteCodeKeepsTheLastCodeAndReportsCompileErrors) {
  StartPaused();
  Answer({"score = 7; global.made = instance_number(Counter)"});
  Debug_Command(EDebugCommand::ExecuteCode);
  EXPECT_EQ(asked_.back(), "Execute some code.");
  ASSERT_TRUE(RunCode("global.score_now = score"));
  EXPECT_EQ(Global("score_now"), 7);
  EXPECT_EQ(Global("made"), 1);

  testing::internal::CaptureStderr();
  Answer({"x = "});
  Debug_Command(EDebugCommand::ExecuteCode);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("COMPILE ERROR"), std::string::npos);
  EXPECT_EQ(offered_.back(), "score = 7; global.made = instance_number(Counter)");
  Answer({std::nullopt});
  Debug_Command(EDebugCommand::ExecuteCode);
  EXPECT_EQ(offered_.back(), "x = ");
}

TEST_F(Debugger, SetSpeedTakesIntegersOnly) {
  StartPaused();
  Answer({"fast", "45"});
  Debug_Command(EDebugCommand::SetSpeed);
  EXPECT_EQ(asked_.back(), "Changing Game Speed.");
  EXPECT_EQ(offered_.back(), "30");
  EXPECT_EQ(Room_Current()->speed, 30);
  Debug_Command(EDebugCommand::SetSpeed);
  EXPECT_EQ(Room_Current()->speed, 45);
}

TEST_F(Debugger, LocalVariableWindowsByIdAndByObjectName) {
  StartPaused();
  Answer({"100001", "Other"});
  Debug_Command(EDebugCommand::ShowLocals);
  Debug_Command(EDebugCommand::ShowLocals);
  EXPECT_EQ(asked_.back(), "Showing Local Variables.");
  ASSERT_EQ(Debug_LocalsCount(), 2);
  TDebugInfoForm& by_id = *Debug_LocalsWindow(0);
  TDebugInfoForm& by_name = *Debug_LocalsWindow(1);
  EXPECT_TRUE(by_id.Visible());
  EXPECT_EQ(by_id.Form().Caption(), "Local Variables for 100001");
  EXPECT_EQ(by_name.Form().Caption(), "Local Variables for Other");
  const std::string text = by_id.Text();
  EXPECT_EQ(text.rfind("x:                  10\r\ny:                  20\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("id:                 100001\r\n"), std::string::npos);
  EXPECT_NE(text.find("image_scale:        0\r\n"), std::string::npos);  // no such built-in: 0
  EXPECT_NE(text.find(std::string(32, '_') + "\r\ncount:              0\r\n"), std::string::npos) << text;
  EXPECT_NE(by_name.Text().find("id:                 100002\r\n"), std::string::npos);

  // The instance goes: the window says so after the next refresh.
  Answer({"with (100001) instance_destroy()"});
  Debug_Command(EDebugCommand::ExecuteCode);
  Debug_Command(EDebugCommand::Step);
  EXPECT_EQ(by_id.Text(), "NO SUCH INSTANCE EXISTS\r\n");
}

TEST_F(Debugger, AtMostAHundredLocalVariableWindows) {
  std::vector<std::optional<std::string>> answers(101, std::string("100001"));
  Answer(answers);
  for (int i = 0; i < 101; i++) Debug_Command(EDebugCommand::ShowLocals);
  EXPECT_EQ(Debug_LocalsCount(), 100);
  for (int i = 0; i < 100; i++) EXPECT_TRUE(Debug_LocalsWindow(i)->Visible());
  // A hidden window is taken again before any new one.
  Debug_LocalsWindow(42)->Form().Close();
  EXPECT_FALSE(Debug_LocalsWindow(42)->Visible());
  Answer({"Other"});
  Debug_Command(EDebugCommand::ShowLocals);
  EXPECT_EQ(Debug_LocalsCount(), 100);
  EXPECT_TRUE(Debug_LocalsWindow(42)->Visible());
  EXPECT_EQ(Debug_LocalsWindow(42)->Form().Caption(), "Local Variables for Other");
}

TEST_F(Debugger, GlobalAndInstanceWindows) {
  StartPaused();
  Debug_Command(EDebugCommand::ShowGlobals);
  Debug_Command(EDebugCommand::ShowInstances);
  TDebugInfoForm& globals = *Debug_GlobalsWindow();
  EXPECT_EQ(globals.Form().Caption(), "Global Variables");
  const std::string text = globals.Text();
  EXPECT_EQ(text.rfind("mouse_x:            ", 0), 0u) << text;
  EXPECT_NE(text.find("\r\nkeyboard_string:    \r\n" + std::string(32, '_') + "\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(std::string(32, '_') + "\r\nscore:              0\r\nlives:              -1\r\n"),
            std::string::npos)
      << text;
  // The user globals close the list, in the order they were made.
  EXPECT_NE(text.find("ended:              0\r\nsteps:              0\r\nend_at:             -1\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(Debug_InstancesWindow()->Form().Caption(), "All Instances");
  EXPECT_EQ(Debug_InstancesWindow()->Text(),
            "   Id     Object Name    Sprite Name\r\n" + std::string(36, '_') +
                "\r\n"
                "100001        Counter    <undefined>\r\n"
                "100002          Other    <undefined>\r\n");

  // A refresh replaces the text but keeps the line in view.
  CFormMemo& memo = *static_cast<CFormMemo*>(globals.Form().Find("InfoText"));
  memo.ScrollTo(5);
  Debug_Command(EDebugCommand::Step);
  EXPECT_EQ(memo.TopRow(), 5);
  EXPECT_NE(globals.Text().find("steps:              1\r\n"), std::string::npos);
  EXPECT_EQ(Status().texts[1], "2 inst");
  EXPECT_EQ(Status().texts[2], "mouse id: ");
}

TEST_F(Debugger, ShowDebugMessageFillsTheMessagesWindow) {
  testing::internal::CaptureStderr();
  ASSERT_TRUE(RunCode("show_debug_message('first'); show_debug_message('second')"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "first\nsecond\n");
  TDebugInfoForm* messages = Debug_MessagesWindow();
  ASSERT_NE(messages, nullptr);
  EXPECT_FALSE(messages->Visible());
  EXPECT_EQ(messages->Form().Caption(), "Messages");
  EXPECT_EQ(messages->Text(), "first\r\n\r\nsecond\r\n\r\n");
  Debug_Command(EDebugCommand::ShowMessages);
  EXPECT_TRUE(messages->Visible());

  // Without the debugger the messages only go to stderr.
  Debug_Reset();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(RunCode("show_debug_message('alone')"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "alone\n");
  EXPECT_EQ(Debug_MessagesWindow(), nullptr);
}

TEST_F(Debugger, WatchesAndInformationAreSavedAndLoaded) {
  const std::string path = TestGame_Path("watches.txt");
  Answer({"a + 1", "b", path});
  Debug_Command(EDebugCommand::WatchAdd);
  Debug_Command(EDebugCommand::WatchAdd);
  Debug_Command(EDebugCommand::WatchSave);
  std::ifstream saved(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_EQ(content, "a + 1\r\nb\r\n");

  // Writing over the file asks first; No keeps it.
  Answer({"c", path, "no"});
  Debug_Command(EDebugCommand::WatchAdd);
  Debug_Command(EDebugCommand::WatchSave);
  std::ifstream kept(path, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "a + 1\r\nb\r\n");

  Debug_Command(EDebugCommand::WatchClear);
  Answer({path, TestGame_Path("missing.txt")});
  Debug_Command(EDebugCommand::WatchLoad);
  testing::internal::CaptureStderr();
  Debug_Command(EDebugCommand::WatchLoad);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not exist"), std::string::npos);
  ASSERT_EQ(Debug_WatchCount(), 2);
  EXPECT_EQ(Debug_WatchExpression(0), "a + 1");
  EXPECT_EQ(Debug_WatchExpression(1), "b");

  // An information window saves its text.
  const std::string info = TestGame_Path("instances.txt");
  StartPaused();
  Debug_Command(EDebugCommand::ShowInstances);
  Answer({info});
  static_cast<CFormToolBar*>(Debug_InstancesWindow()->Form().Find("InfoTools"))->ClickButton("SaveBtn");
  std::ifstream written(info, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(written)), {}), Debug_InstancesWindow()->Text());
}

TEST_F(Debugger, WindowLooksTheSameEverywhere) {
  Answer({"global.steps", "1/3", "x +"});
  for (int i = 0; i < 3; i++) Debug_Command(EDebugCommand::WatchAdd);
  StartPaused();
  Debug_Command(EDebugCommand::Step);
  RCanvas canvas;
  Debug_Form()->Paint(canvas);
  CBitmap32 image(canvas.width, canvas.height);
  image.pixels = canvas.pixels;
  EXPECT_TRUE(MatchesReference(image, "debugger_window"));
}

TEST(DebuggerRunner, DebugOptionRunsTheGameBesideTheDebugger) {
  RRunResult help = TestGame_Run("--help");
  EXPECT_NE(help.out.find("--debug"), std::string::npos);

  RGameData game = TestGame_OneRoom();
  game.objects.emplace_back(TestWorld_Object("Talker", -1, {{EV_STEP, 0, "show_debug_message('step')"}}));
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  RRunResult plain = TestGame_Run("--debug --max-steps 3 --unthrottled " + TestGame_Write(game, "debug.game"));
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.err.find("step\nstep\nstep\n"), std::string::npos) << plain.err;

  // A game built for debugging runs the same way without the option.
  game.debugMode = true;
  RRunResult marked = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(game, "marked.game"));
  EXPECT_EQ(marked.status, 0) << marked.err;
  EXPECT_NE(marked.err.find("step\nstep\n"), std::string::npos) << marked.err;
}

}  // namespace
