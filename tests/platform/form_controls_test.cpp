// The controls of tool windows: menus with shortcuts, tool bars, status bars
// and grids, windows that stay up, and the small questions, driven through
// the same input calls the window loop makes.
#include <gtest/gtest.h>

#include <memory>

#include "platform/Platform_Form.h"
#include "platform/Platform_FormControls.h"

namespace {

RFormKeyEvent Key(FormKey key, char c = 0, bool ctrl = false, bool alt = false) {
  RFormKeyEvent e;
  e.key = key;
  e.character = c;
  e.ctrl = ctrl;
  e.alt = alt;
  return e;
}

// A form with a menu bar over a tool bar, a grid and a status bar.
struct RToolForm {
  CForm form{"Tools", 240, 300};
  CFormMenuBar* menu;
  CFormToolBar* tools;
  CFormGrid* grid;
  CFormStatusBar* status;
  std::vector<std::string> ran;

  RToolForm() {
    auto g = std::make_unique<CFormGrid>();
    g->bounds = {0, 50, 240, 230};
    g->column_widths = {100, 100};
    grid = &form.Add(std::move(g));
    auto t = std::make_unique<CFormToolBar>();
    t->bounds = {0, 22, 240, 28};
    t->buttons = {Button("Go"), RFormToolButton{}, Button("Halt")};
    t->buttons[1].separator = true;
    tools = &form.Add(std::move(t));
    auto s = std::make_unique<CFormStatusBar>();
    s->bounds = {0, 280, 240, 20};
    s->widths = {60, 60};
    status = &form.Add(std::move(s));
    auto m = std::make_unique<CFormMenuBar>();
    m->bounds = {0, 0, 240, 22};
    m->menus = {{"&File", {Item("Open", "&Open", {FormKey::Character, 'o', true}), Item("-", "-", {}),
                           Item("Quit", "&Quit", {FormKey::F4, 0, false, true})}},
                {"&Edit", {Item("Wipe", "&Wipe", {FormKey::Delete})}}};
    m->on_hint = [this](const std::string& hint) { status->SetSimpleText(hint); };
    menu = &form.Add(std::move(m));
    form.key_filter = [this](const RFormKeyEvent& key) { return menu->HandleKey(key); };
    form.Open();
  }
  RFormMenuItem Item(const char* name, const char* caption, RFormShortcut shortcut) {
    RFormMenuItem item;
    item.name = name;
    item.caption = caption;
    item.shortcut = shortcut;
    item.hint = std::string("hint of ") + name;
    item.action = [this, name] { ran.push_back(name); };
    return item;
  }
  RFormToolButton Button(const char* name) {
    RFormToolButton button;
    button.name = name;
    button.hint = std::string("tip of ") + name;
    button.icon.assign(256, 0xFF00FF00);
    button.action = [this, name] { ran.push_back(name); };
    return button;
  }
};

TEST(FormControls, MenusRunTheirItemsByShortcutKeyboardAndMouse) {
  RToolForm t;
  EXPECT_EQ(t.menu->Item("Open")->shortcut.Text(), "Ctrl+O");
  EXPECT_EQ(t.menu->Item("Quit")->shortcut.Text(), "Alt+F4");
  EXPECT_EQ(t.menu->Item("Wipe")->shortcut.Text(), "Del");

  // Shortcuts work from anywhere, exactly as given; a disabled item's
  // shortcut does nothing.
  t.form.Key(Key(FormKey::Character, 'o', true));
  t.form.Key(Key(FormKey::Character, 'o', true, true));
  t.form.Key(Key(FormKey::F4, 0, false, true));
  t.menu->Item("Wipe")->enabled = false;
  t.form.Key(Key(FormKey::Delete));
  EXPECT_EQ(t.ran, (std::vector<std::string>{"Open", "Quit"}));

  // Alt and the access key open a menu; the arrows skip the separator.
  t.form.Key(Key(FormKey::Character, 'f', false, true));
  EXPECT_EQ(t.menu->OpenedMenu(), 0);
  EXPECT_EQ(t.status->SimpleText(), "hint of Open");
  t.form.Key(Key(FormKey::Down));
  EXPECT_EQ(t.status->SimpleText(), "hint of Quit");
  t.form.Key(Key(FormKey::Enter));
  EXPECT_EQ(t.menu->OpenedMenu(), -1);
  EXPECT_EQ(t.ran.back(), "Quit");
  EXPECT_EQ(t.status->SimpleText(), "");

  // A click opens a menu over the grid; a click on an item runs it, one
  // elsewhere closes the menu without running anything.
  t.form.MouseButton(10, 10, true);
  t.form.MouseButton(10, 10, false);
  ASSERT_EQ(t.menu->OpenedMenu(), 0);
  RCanvas canvas;
  t.form.Paint(canvas);  // the open menu paints over the grid
  EXPECT_NE(canvas.At(20, 30), 0xFFFFFFFFu);
  t.form.MouseMove(20, 30);
  t.form.MouseButton(20, 30, true);
  t.form.MouseButton(20, 30, false);
  EXPECT_EQ(t.ran.back(), "Open");
  t.form.MouseButton(10, 10, true);
  t.form.MouseButton(10, 10, false);
  t.form.MouseButton(200, 200, true);
  t.form.MouseButton(200, 200, false);
  EXPECT_EQ(t.menu->OpenedMenu(), -1);
  EXPECT_EQ(t.ran.size(), 4u);  // nothing more ran
}

TEST(FormControls, ToolButtonsClickShowTipsAndGreyOut) {
  RToolForm t;
  t.tools->ClickButton("Go");
  t.tools->buttons[2].enabled = false;
  t.tools->ClickButton("Halt");
  EXPECT_EQ(t.ran, (std::vector<std::string>{"Go"}));
  // A press that leaves the button before release is no click.
  RFormRect go = t.tools->ButtonRect(0);
  t.form.MouseButton(go.x + 2, go.y + 2, true);
  t.form.MouseMove(200, 200);
  t.form.MouseButton(200, 200, false);
  EXPECT_EQ(t.ran.size(), 1u);
  // Each button has its own tip.
  t.form.Tick(0);
  t.form.MouseMove(go.x + 2, go.y + 2);
  t.form.Tick(1000);
  EXPECT_EQ(t.form.ShownHint(), "tip of Go");
  RFormRect halt = t.tools->ButtonRect(2);
  t.form.MouseMove(halt.x + 2, halt.y + 2);
  t.form.Tick(2000);
  EXPECT_EQ(t.form.ShownHint(), "tip of Halt");
  // Greyed: the green picture is not drawn.
  RCanvas canvas;
  t.form.Paint(canvas);
  EXPECT_EQ(canvas.At(go.x + go.w / 2, go.y + go.h / 2), 0xFF00FF00u);
  EXPECT_NE(canvas.At(halt.x + halt.w / 2, halt.y + halt.h / 2), 0xFF00FF00u);
}

TEST(FormControls, GridSelectsScrollsAndAnswersDoubleClicks) {
  RToolForm t;
  CFormGrid& grid = *t.grid;
  int doubles = 0;
  grid.on_double_click = [&] { doubles++; };
  grid.SetRowCount(1);
  EXPECT_EQ(grid.SelectedRow(), -1);  // only the fixed row
  grid.SetRowCount(40);
  grid.SetCell(0, 0, "Name");
  grid.SetCell(1, 39, "last");
  grid.SetCell(5, 1, "no such column");
  EXPECT_EQ(grid.Cell(5, 1), "");
  EXPECT_EQ(grid.Cell(1, 39), "last");
  grid.SelectRow(0);
  EXPECT_EQ(grid.SelectedRow(), 1);  // the fixed row is never selected

  // Keys move the selection and keep it in view.
  t.form.MouseButton(10, 50 + 2 + 18 * 2 + 4, true);
  t.form.MouseButton(10, 50 + 2 + 18 * 2 + 4, false);
  EXPECT_EQ(grid.SelectedRow(), 2);
  t.form.Key(Key(FormKey::End));
  EXPECT_EQ(grid.SelectedRow(), 39);
  EXPECT_EQ(grid.TopRow(), 39 - grid.VisibleRows());
  t.form.Key(Key(FormKey::Home));
  EXPECT_EQ(grid.TopRow(), 0);

  // A double click on a row answers; on the header it does not.
  t.form.MouseButton(10, 50 + 2 + 18 + 4, true, 1);
  t.form.MouseButton(10, 50 + 2 + 18 + 4, true, 2);
  t.form.MouseButton(10, 50 + 2 + 4, true, 2);
  EXPECT_EQ(doubles, 1);
  grid.DeleteRow(39);
  grid.InsertRow(1);
  EXPECT_EQ(grid.RowCount(), 40);
  EXPECT_EQ(grid.Cell(0, 0), "Name");
  EXPECT_EQ(grid.Cell(0, 1), "");
}

TEST(FormControls, MemoTextKeepsItsPlace) {
  CForm form("Memo", 200, 100);
  auto m = std::make_unique<CFormMemo>("Courier New", 12);
  m->bounds = {0, 0, 200, 100};
  CFormMemo& memo = form.Add(std::move(m));
  std::string text;
  for (int i = 0; i < 30; i++) text += "line " + std::to_string(i) + "\r\n";
  memo.SetText(text);
  EXPECT_EQ(memo.Lines().size(), 30u);  // the last line end adds no line
  memo.ScrollTo(12);
  memo.SetText(text + "more\r\n");
  EXPECT_EQ(memo.TopRow(), 12);
  memo.SetText("short\nlines\rmixed");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"short", "lines", "mixed"}));
  EXPECT_EQ(memo.TopRow(), 0);
}

TEST(FormControls, WindowsThatStayUpAndQuestions) {
  RToolForm t;
  int closes = 0;
  t.form.on_close = [&] { closes++; };
  EXPECT_FALSE(Form_IsShown(t.form));
  Form_Show(t.form);
  EXPECT_TRUE(Form_IsShown(t.form));
  t.form.Key(Key(FormKey::Escape));  // a window that stays up ignores Escape
  t.form.Close();
  EXPECT_EQ(closes, 1);
  Form_Hide(t.form);
  EXPECT_FALSE(Form_IsShown(t.form));
  t.form.Resize(10, 10);
  t.form.min_width = 100;
  t.form.Resize(50, 500);
  EXPECT_EQ(t.form.ClientWidth(), 100);
  EXPECT_EQ(t.form.ClientHeight(), 500);

  // Without a display nobody answers: the question is cancelled.
  std::string value = "start";
  EXPECT_FALSE(Form_InputQuery("Caption", "Prompt", &value));
  EXPECT_TRUE(Form_Confirm("Caption", "Sure?", true));
  Form_SetTestDriver([](CForm& form) {
    EXPECT_EQ(static_cast<CFormEdit*>(form.Find("Value"))->Value(), "start");
    static_cast<CFormEdit*>(form.Find("Value"))->SetText("typed");
    form.Key(Key(FormKey::Enter));
  });
  EXPECT_TRUE(Form_InputQuery("Caption", "Prompt", &value));
  EXPECT_EQ(value, "typed");
  Form_SetTestDriver([](CForm& form) { form.Click("CancelBtn"); });
  EXPECT_FALSE(Form_Confirm("Caption", "Sure?", true));
  Form_SetTestDriver(nullptr);
}

}  // namespace
