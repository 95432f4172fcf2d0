#include "debug/Debug_Main.h"

#include <fstream>
#include <memory>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "debug/Debug_Info.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_FormControls.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "step/Run_Handle_Collision.h"
#include "step/Run_Step.h"
#include "variables/Function_Misc.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "world/Run_State.h"

namespace {

// ---------------------------------------------------------------------------
// Commands: captions, shortcuts, hints and pictures
// ---------------------------------------------------------------------------

using C = EDebugCommand;

struct RCommandDef {
  C command;
  const char* name;
  const char* caption;
  RFormShortcut shortcut;
  const char* hint;
};

constexpr RFormShortcut CtrlAlt(char c) { return {FormKey::Character, c, true, true, false}; }
constexpr RFormShortcut Ctrl(char c) { return {FormKey::Character, c, true, false, false}; }

constexpr RCommandDef kCommands[] = {
    {C::Run, "Run", "&Run", CtrlAlt('r'), "Run or resume the game"},
    {C::Pause, "Pause", "&Pause", CtrlAlt('p'), "Pause the game"},
    {C::Step, "Step", "&Step", CtrlAlt('s'), "Take a single step"},
    {C::Restart, "Restart", "R&estart", CtrlAlt('n'), "Restart the game"},
    {C::Stop, "Stop", "Stop", {FormKey::F4, 0, false, true, false}, "Ends the game"},
    {C::WatchAdd, "Add", "&Add", Ctrl('a'), "Add an expression to watch"},
    {C::WatchChange, "Change", "C&hange", Ctrl('h'), "Change the selected watch expression"},
    {C::WatchDelete, "Delete", "&Delete", {FormKey::Delete, 0, false, false, false},
     "Delete the selected watch expression"},
    {C::WatchClear, "Clear", "&Clear", Ctrl('c'), "Clear all watch expressions"},
    {C::WatchLoad, "Load", "&Load ...", Ctrl('l'), "Load the watch expressions from a file"},
    {C::WatchSave, "Save", "Sa&ve ...", Ctrl('s'), "Save the watched expressions to a file"},
    {C::ExecuteCode, "ExecuteCode", "&Execute Code ...", Ctrl('e'), "Execute a piece of code"},
    {C::SetSpeed, "SetSpeed", "&Set Speed ...", {}, "Set the speed of the game"},
    {C::ShowGlobals, "ShowGlobals", "Show &Global Variables", {}, "Show the most important global variables"},
    {C::ShowLocals, "ShowLocals", "Show &Local Variables", {}, "Show the variables local to an instance"},
    {C::ShowInstances, "ShowInstances", "Show &Instances", {}, "Shows all the instances"},
    {C::ShowMessages, "ShowMessages", "Show &Messages", {}, ""},
};

const RCommandDef& Def(C command) {
  for (const RCommandDef& def : kCommands)
    if (def.command == command) return def;
  return kCommands[0];
}

const RCommandDef* DefNamed(std::string_view name) {
  for (const RCommandDef& def : kCommands)
    if (name == def.name) return &def;
  return nullptr;
}

constexpr C kRunControls[] = {C::Run, C::Pause, C::Step, C::Restart, C::Stop};

ERunControl RunControlOf(C command) {
  switch (command) {
    case C::Pause: return ERunControl::Pause;
    case C::Step: return ERunControl::Step;
    case C::Restart: return ERunControl::Restart;
    case C::Stop: return ERunControl::Stop;
    default: return ERunControl::Run;
  }
}

bool IsRunControl(C command) {
  for (C control : kRunControls)
    if (control == command) return true;
  return false;
}

// The menus and the tool bar by command name; "-" is a separator.
const std::vector<std::pair<const char*, std::vector<const char*>>>& MenuLayout() {
  static const std::vector<std::pair<const char*, std::vector<const char*>>> layout = {
      {"&Run", {"Run", "Pause", "Step", "-", "Restart", "Stop"}},
      {"&Watch", {"Add", "Change", "Delete", "Clear", "-", "Load", "Save"}},
      {"&Tools", {"ExecuteCode", "SetSpeed", "-", "ShowGlobals", "ShowLocals", "ShowInstances", "ShowMessages"}},
  };
  return layout;
}

constexpr const char* kToolBarLayout[] = {"Run", "Pause", "Step", "Restart", "Stop", "-",
                                          "Add", "Change", "Delete", "Clear"};

constexpr const char* kRunIcon[16] = {
    "................", "....k...........", "....kk..........", "....kgk.........",
    "....kggk........", "....kgggk.......", "....kggggk......", "....kgggggk.....",
    "....kggggk......", "....kgggk.......", "....kggk........", "....kgk.........",
    "....kk..........", "....k...........", "................", "................",
};
constexpr const char* kPauseIcon[16] = {
    "................", "................", "...kkkk..kkkk...", "...kbbk..kbbk...",
    "...kbbk..kbbk...", "...kbbk..kbbk...", "...kbbk..kbbk...", "...kbbk..kbbk...",
    "...kbbk..kbbk...", "...kbbk..kbbk...", "...kbbk..kbbk...", "...kbbk..kbbk...",
    "...kbbk..kbbk...", "...kkkk..kkkk...", "................", "................",
};
constexpr const char* kStepIcon[16] = {
    "................", "................", "..k.......kkk...", "..kk......kgk...",
    "..kgk.....kgk...", "..kggk....kgk...", "..kgggk...kgk...", "..kggggk..kgk...",
    "..kgggk...kgk...", "..kggk....kgk...", "..kgk.....kgk...", "..kk......kgk...",
    "..k.......kkk...", "................", "................", "................",
};
constexpr const char* kRestartIcon[16] = {
    "................", "................", "..kkk.......k...", "..kgk......kk...",
    "..kgk.....kgk...", "..kgk....kggk...", "..kgk...kgggk...", "..kgk..kggggk...",
    "..kgk...kgggk...", "..kgk....kggk...", "..kgk.....kgk...", "..kgk......kk...",
    "..kkk.......k...", "................", "................", "................",
};
constexpr const char* kStopIcon[16] = {
    "................", "................", "................", "...kkkkkkkkkk...",
    "...krrrrrrrrk...", "...krrrrrrrrk...", "...krrrrrrrrk...", "...krrrrrrrrk...",
    "...krrrrrrrrk...", "...krrrrrrrrk...", "...krrrrrrrrk...", "...krrrrrrrrk...",
    "...kkkkkkkkkk...", "................", "................", "................",
};
constexpr const char* kAddIcon[16] = {
    "................", "................", "......kkkk......", "......kggk......",
    "......kggk......", "......kggk......", "..kkkkkggkkkkk..", "..kggggggggggk..",
    "..kggggggggggk..", "..kkkkkggkkkkk..", "......kggk......", "......kggk......",
    "......kggk......", "......kkkk......", "................", "................",
};
constexpr const char* kChangeIcon[16] = {
    "................", "................", "...........kk...", "..........kyyk..",
    ".........kyyk...", "........kyyk....", ".......kyyk.....", "......kyyk......",
    ".....kyyk.......", "....kyyk........", "...kyyk.........", "..kwwk..........",
    "..kkk...........", "................", "................", "................",
};
constexpr const char* kDeleteIcon[16] = {
    "................", "................", "................", "...rr......rr...",
    "....rr....rr....", ".....rr..rr.....", "......rrrr......", ".......rr.......",
    "......rrrr......", ".....rr..rr.....", "....rr....rr....", "...rr......rr...",
    "..rr........rr..", "................", "................", "................",
};
constexpr const char* kClearIcon[16] = {
    "................", "...kkkkkkkkkk...", "...kwwwwwwwwkrr.", "...kwwwwwwwwrr..",
    "...kwddddddrr...", "...kwwwwwwrrk...", "...kwddddrrwk...", "...kwwwwrrwwk...",
    "...kwddrrddwk...", "...kwwrrwwwwk...", "...kwrrddddwk...", "...krrwwwwwwk...",
    "...rrddddddwk...", "..rrwwwwwwwwk...", "...kkkkkkkkkk...", "................",
};

const char* const* IconOf(std::string_view name) {
  static const std::pair<const char*, const char* const*> kIcons[] = {
      {"Run", kRunIcon},   {"Pause", kPauseIcon},   {"Step", kStepIcon},     {"Restart", kRestartIcon},
      {"Stop", kStopIcon}, {"Add", kAddIcon},       {"Change", kChangeIcon}, {"Delete", kDeleteIcon},
      {"Clear", kClearIcon},
  };
  for (const auto& [icon_name, rows] : kIcons)
    if (name == icon_name) return rows;
  return nullptr;
}

// ---------------------------------------------------------------------------
// The debugger's state
// ---------------------------------------------------------------------------

constexpr int32_t kMaxLocalWindows = 100;
constexpr int32_t kTimerMs = 50;
constexpr int32_t kWidth = 260, kHeight = 400;
constexpr int32_t kToolBarHeight = 28, kStatusHeight = 20;
const char kCompileError[] = "COMPILE ERROR";

struct RWatch {
  std::string expression;
  // Compiled at the first refresh that compiles it, kept while the
  // expression stays; null until then and after a failed compile.
  std::unique_ptr<CCode> code;
  std::string value;
};

struct RDebugger {
  std::unique_ptr<CForm> form;
  CFormMenuBar* menu = nullptr;
  CFormToolBar* tools = nullptr;
  CFormGrid* grid = nullptr;
  CFormStatusBar* status = nullptr;
  std::vector<RWatch> watches;
  std::string last_code;
  std::unique_ptr<TDebugInfoForm> globals, instances, messages;
  std::vector<std::unique_ptr<TDebugInfoForm>> locals;
  int32_t info_windows = 0;  // made so far, to stagger their places
  // The self and other of watches and of the global window's built-ins.
  CInstance blank;
};

// The debugger of the run: made by Debug_Show, freed by Debug_Reset; null
// outside debug mode.
std::unique_ptr<RDebugger> g_Debugger;
std::function<void()> g_RefreshListener;

// ---------------------------------------------------------------------------
// Parts of the window
// ---------------------------------------------------------------------------

void SyncGrid() {
  RDebugger& d = *g_Debugger;
  CFormGrid& grid = *d.grid;
  const int32_t count = static_cast<int32_t>(d.watches.size());
  grid.SetRowCount(count + 2);
  grid.SetCell(0, 0, "Expression");
  grid.SetCell(1, 0, "Value");
  for (int32_t i = 0; i < count; i++) {
    grid.SetCell(0, i + 1, d.watches[size_t(i)].expression);
    grid.SetCell(1, i + 1, d.watches[size_t(i)].value);
  }
  grid.SetCell(0, count + 1, "");
  grid.SetCell(1, count + 1, "");
}

void UpdateRunControls() {
  RDebugger& d = *g_Debugger;
  for (C command : kRunControls) {
    const bool enabled = Debug_CommandEnabled(command);
    const char* name = Def(command).name;
    RFormMenuItem* item = d.menu->Item(name);
    RFormToolButton* button = d.tools->Button(name);
    if (item->enabled == enabled && button->enabled == enabled) continue;
    item->enabled = button->enabled = enabled;
    d.form->Invalidate();
  }
}

std::string MouseIdText() {
  std::string text = "mouse id: ";
  const CInstance* found = nullptr;
  if (CRoom* room = Room_Current()) {
    int32_t mx = 0, my = 0;
    Window_ViewsMouseGet(mx, my);
    for (const CInstance* inst : room->Instances())
      if (!inst->destroyed && Collision_ContainsPoint(inst, mx, my, true)) found = inst;
  }
  if (found) text += std::to_string(found->id);
  return text;
}

int32_t LiveInstanceCount() {
  int32_t count = 0;
  for (const CInstance* inst : Room_Instances()) count += !inst->destroyed;
  return count;
}

// The watch's value text: its compiled expression run with the blank
// instance as self and other.
std::string EvaluateWatch(RWatch& watch, CInstance& blank) {
  try {
    if (!watch.code) {
      auto code = std::make_unique<CCode>(watch.expression, true);
      if (!code->Compile()) {
        ClearRecordedError();
        return kCompileError;
      }
      watch.code = std::move(code);
    }
    blank.Reset();
    RValue value;
    if (!ExecuteValue(&blank, &blank, *watch.code, value)) ClearRecordedError();
    return Debug_ValueText(value);
  } catch (const CFloatFault&) {
    // A fault ends the expression as it ends any running code.
    return "ERROR";
  }
}

void Layout() {
  RDebugger& d = *g_Debugger;
  const int32_t w = d.form->ClientWidth(), h = d.form->ClientHeight();
  const int32_t menu_height = d.menu->BarHeight();
  d.menu->bounds = {0, 0, w, menu_height};
  d.tools->bounds = {0, menu_height, w, kToolBarHeight};
  d.status->bounds = {0, h - kStatusHeight, w, kStatusHeight};
  const int32_t grid_top = menu_height + kToolBarHeight;
  d.grid->bounds = {0, grid_top, w, h - grid_top - kStatusHeight};
  d.grid->column_widths = {(w - 4) / 2, (w - 4) - (w - 4) / 2};
}

void Build() {
  g_Debugger = std::make_unique<RDebugger>();
  RDebugger& d = *g_Debugger;
  d.form = std::make_unique<CForm>("Debug Information", kWidth, kHeight);
  CForm& form = *d.form;
  form.left = 10;
  form.top = 10;
  form.stay_on_top = true;
  form.resizable = true;
  form.min_width = kWidth;
  form.min_height = kHeight;
  form.timer_ms = kTimerMs;
  form.on_timer = Debug_Timer;
  // Closing the window stops the game.
  form.on_close = [] { Debug_Command(C::Stop); };

  auto grid = std::make_unique<CFormGrid>();
  grid->name = "WatchGrid";
  grid->on_double_click = [] { Debug_Command(C::WatchChange); };
  d.grid = &form.Add(std::move(grid));

  auto tools = std::make_unique<CFormToolBar>();
  tools->name = "ToolBar";
  for (const char* name : kToolBarLayout) {
    RFormToolButton button;
    button.separator = *name == '-';
    if (const RCommandDef* def = DefNamed(name)) {
      button.name = def->name;
      button.hint = def->command == C::Stop ? "End the game" : def->hint;
      button.icon = Debug_IconPixels(IconOf(name));
      button.action = [command = def->command] { Debug_Command(command); };
    }
    tools->buttons.push_back(std::move(button));
  }
  d.tools = &form.Add(std::move(tools));

  auto status = std::make_unique<CFormStatusBar>();
  status->name = "StatusBar";
  status->widths = {60, 60, 200};
  status->texts = {"", "", ""};
  d.status = &form.Add(std::move(status));

  auto menu = std::make_unique<CFormMenuBar>();
  menu->name = "MenuBar";
  for (const auto& [caption, names] : MenuLayout()) {
    RFormMenu menu_def{caption, {}};
    for (const char* name : names) {
      RFormMenuItem item;
      item.caption = "-";
      if (const RCommandDef* def = DefNamed(name)) {
        item.name = def->name;
        item.caption = def->caption;
        item.shortcut = def->shortcut;
        item.hint = def->hint;
        item.action = [command = def->command] { Debug_Command(command); };
      }
      menu_def.items.push_back(std::move(item));
    }
    menu->menus.push_back(std::move(menu_def));
  }
  // The hint of the item under the mouse shows across the status bar.
  menu->on_hint = [](const std::string& hint) { g_Debugger->status->SetSimpleText(hint); };
  d.menu = &form.Add(std::move(menu));
  form.key_filter = [](const RFormKeyEvent& key) { return g_Debugger->menu->HandleKey(key); };
  form.SetInitialFocus(d.grid);
  form.on_resize = Layout;
  Layout();
  SyncGrid();
  d.grid->SelectRow(1);
}

TDebugInfoForm& InfoWindow(std::unique_ptr<TDebugInfoForm>& slot, const char* caption) {
  RDebugger& d = *g_Debugger;
  if (!slot) {
    slot = std::make_unique<TDebugInfoForm>(d.info_windows++);
    slot->SetCaption(caption);
  }
  return *slot;
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

int32_t SelectedWatch() { return g_Debugger->grid->SelectedRow() - 1; }

bool AskExpression(std::string* expression) {
  return Form_InputQuery("Provide an expression.", "Please type in the expression", expression);
}

void AddWatch(std::string expression) {
  g_Debugger->watches.push_back(RWatch{std::move(expression), nullptr, ""});
}

void WatchAdd() {
  std::string expression;
  if (AskExpression(&expression) && !expression.empty()) AddWatch(std::move(expression));
}

void WatchChange() {
  const int32_t index = SelectedWatch();
  std::vector<RWatch>& watches = g_Debugger->watches;
  if (index < 0 || index >= static_cast<int32_t>(watches.size())) {
    WatchAdd();
    return;
  }
  // An empty answer keeps the row: a blank expression would look like the
  // empty row that adds one.
  std::string expression = watches[size_t(index)].expression;
  if (!AskExpression(&expression) || expression.empty()) return;
  watches[size_t(index)] = RWatch{std::move(expression), nullptr, ""};
}

void WatchDelete() {
  const int32_t index = SelectedWatch();
  std::vector<RWatch>& watches = g_Debugger->watches;
  if (index >= 0 && index < static_cast<int32_t>(watches.size())) watches.erase(watches.begin() + index);
}

void WatchLoad() {
  std::string path = Debug_ChooseTextFile(false);
  if (path.empty()) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    Platform_ShowMessage("Cannot read the file " + path + ".");
    return;
  }
  // Blank lines (a final line end, for one) add no watch.
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) AddWatch(std::move(line));
  }
}

void WatchSave() {
  std::string path = Debug_ChooseTextFile(true);
  if (path.empty()) return;
  std::string text;
  for (const RWatch& watch : g_Debugger->watches) text += watch.expression + "\r\n";
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file || !file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
    Platform_ShowMessage("Cannot write the file " + path + ".");
}

void ExecuteCode() {
  RDebugger& d = *g_Debugger;
  std::string text = d.last_code;
  if (!Form_InputQuery("Execute some code.", "Please type in the code", &text)) return;
  d.last_code = text;
  CCode code(text, false);
  try {
    if (!code.Compile()) {
      ClearRecordedError();
      Platform_ShowMessage(kCompileError);
      return;
    }
    CInstance self;
    RValue result;
    ExecuteReporting(&self, &self, code, result);
  } catch (const CFloatFault&) {
    // A fault ends the code, as it ends any running code.
  }
}

void SetSpeed() {
  CRoom* room = Room_Current();
  std::string text = room ? std::to_string(room->speed) : "";
  if (!Form_InputQuery("Changing Game Speed.", "Please provide the new speed", &text)) return;
  int32_t speed = 0;
  if (room && Debug_ParseInteger(text, speed)) room->speed = speed;
}

void ShowLocals() {
  std::string target;
  if (!Form_InputQuery("Showing Local Variables.", "Please provide the instance id or object name.", &target))
    return;
  RDebugger& d = *g_Debugger;
  TDebugInfoForm* window = nullptr;
  for (const auto& candidate : d.locals)
    if (!candidate->Visible()) {
      window = candidate.get();
      break;
    }
  if (!window) {
    if (static_cast<int32_t>(d.locals.size()) >= kMaxLocalWindows) return;
    d.locals.push_back(std::make_unique<TDebugInfoForm>(d.info_windows++));
    window = d.locals.back().get();
  }
  window->target = target;
  window->SetCaption("Local Variables for " + target);
  window->Show();
}

void Run(C command) {
  RDebugger& d = *g_Debugger;
  switch (command) {
    case C::Run:
    case C::Pause:
    case C::Step:
    case C::Restart:
    case C::Stop: Run_Control(RunControlOf(command)); break;
    case C::WatchAdd: WatchAdd(); break;
    case C::WatchChange: WatchChange(); break;
    case C::WatchDelete: WatchDelete(); break;
    case C::WatchClear: d.watches.clear(); break;
    case C::WatchLoad: WatchLoad(); break;
    case C::WatchSave: WatchSave(); break;
    case C::ExecuteCode: ExecuteCode(); break;
    case C::SetSpeed: SetSpeed(); break;
    case C::ShowGlobals: InfoWindow(d.globals, "Global Variables").Show(); break;
    case C::ShowLocals: ShowLocals(); break;
    case C::ShowInstances: InfoWindow(d.instances, "All Instances").Show(); break;
    case C::ShowMessages: InfoWindow(d.messages, "Messages").Show(); break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The debugger
// ---------------------------------------------------------------------------

void Debug_Install() {
  Runner_SetDebugger({Debug_Show, Debug_Reset});
  Step_SetDebugRefresh(Debug_Refresh);
  Misc_SetDebugMessageSink(Debug_AddMessage);
}

void Debug_Show() {
  if (!g_Debugger) Build();
  Form_Show(*g_Debugger->form);
  UpdateRunControls();
}

bool Debug_Visible() { return g_Debugger && Form_IsShown(*g_Debugger->form); }

void Debug_Reset() { g_Debugger.reset(); }

bool Debug_CommandEnabled(EDebugCommand command) {
  return !IsRunControl(command) || Run_ControlEnabled(RunControlOf(command));
}

void Debug_Command(EDebugCommand command) {
  if (!g_Debugger || !Debug_CommandEnabled(command)) return;
  Run(command);
  // The game may have ended, or the run may be over, meanwhile.
  if (!g_Debugger) return;
  SyncGrid();
  UpdateRunControls();
  Debug_Refresh();
}

void Debug_Refresh() {
  if (!Debug_Visible()) return;
  RDebugger& d = *g_Debugger;
  d.status->SetText(0, std::to_string(RunState.Fps) + " fps");
  d.status->SetText(1, std::to_string(LiveInstanceCount()) + " inst");
  d.status->SetText(2, MouseIdText());
  for (size_t i = 0; i < d.watches.size(); i++) {
    RWatch& watch = d.watches[i];
    watch.value = EvaluateWatch(watch, d.blank);
    d.grid->SetCell(1, static_cast<int32_t>(i) + 1, watch.value);
  }
  if (d.globals && d.globals->Visible()) d.globals->SetText(Debug_GlobalsText(d.blank));
  for (const auto& window : d.locals)
    if (window->Visible()) window->SetText(Debug_LocalsText(Debug_FindInstance(window->target)));
  if (d.instances && d.instances->Visible()) d.instances->SetText(Debug_InstancesText());
  if (g_RefreshListener) g_RefreshListener();
}

void Debug_Timer() {
  if (!Debug_Visible()) return;
  g_Debugger->status->SetText(2, MouseIdText());
  UpdateRunControls();
}

void Debug_AddMessage(const std::string& text) {
  if (!g_Debugger) return;
  InfoWindow(g_Debugger->messages, "Messages").AddLines(text + "\r\n");
}

CForm* Debug_Form() { return g_Debugger ? g_Debugger->form.get() : nullptr; }
TDebugInfoForm* Debug_GlobalsWindow() { return g_Debugger ? g_Debugger->globals.get() : nullptr; }
TDebugInfoForm* Debug_InstancesWindow() { return g_Debugger ? g_Debugger->instances.get() : nullptr; }
TDebugInfoForm* Debug_MessagesWindow() { return g_Debugger ? g_Debugger->messages.get() : nullptr; }

int32_t Debug_LocalsCount() { return g_Debugger ? static_cast<int32_t>(g_Debugger->locals.size()) : 0; }

TDebugInfoForm* Debug_LocalsWindow(int32_t index) {
  if (index < 0 || index >= Debug_LocalsCount()) return nullptr;
  return g_Debugger->locals[size_t(index)].get();
}

int32_t Debug_WatchCount() { return g_Debugger ? static_cast<int32_t>(g_Debugger->watches.size()) : 0; }

std::string Debug_WatchExpression(int32_t index) {
  if (index < 0 || index >= Debug_WatchCount()) return "";
  return g_Debugger->watches[size_t(index)].expression;
}

std::string Debug_WatchValue(int32_t index) {
  if (index < 0 || index >= Debug_WatchCount()) return "";
  return g_Debugger->grid->Cell(1, index + 1);
}

void Debug_SelectRow(int32_t row) {
  if (g_Debugger) g_Debugger->grid->SelectRow(row);
}

void Debug_SetRefreshListener(std::function<void()> listener) { g_RefreshListener = std::move(listener); }
