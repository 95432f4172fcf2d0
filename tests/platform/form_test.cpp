// The engine's own windows: system fonts, and forms driven through the same
// input calls the modal loop makes.
#include <gtest/gtest.h>

#include <memory>

#include "platform/Platform_Font.h"
#include "platform/Platform.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_LoadWindow.h"

namespace {

TEST(SystemFont, ClassicFamiliesUseTheirStandIns) {
  CSystemFont* mono = SystemFont_Get("Courier New", 12);
  ASSERT_NE(mono, nullptr) << "no fonts installed";
  EXPECT_NE(mono->File().find("LiberationMono"), std::string::npos) << mono->File();
  EXPECT_EQ(SystemFont_Get("courier new", 12)->File(), mono->File());
  EXPECT_EQ(SystemFont_Get("Courier New", 12), mono);  // shared
  EXPECT_NE(SystemFont_Get("MS Sans Serif", 11)->File().find("LiberationSans"), std::string::npos);
  EXPECT_NE(SystemFont_Get("Arial", 11, true)->File().find("LiberationSans-Bold"), std::string::npos);
  EXPECT_NE(SystemFont_Get("Times New Roman", 11, false, true)->File().find("LiberationSerif-Italic"),
            std::string::npos);
  // A family nobody has still gives some font.
  EXPECT_NE(SystemFont_Get("No Such Family 123", 10), nullptr);
}

TEST(SystemFont, GlyphsAndWidths) {
  CSystemFont* mono = SystemFont_Get("Courier New", 12);
  ASSERT_NE(mono, nullptr);
  EXPECT_GT(mono->Ascent(), 0);
  EXPECT_GT(mono->LineHeight(), mono->Ascent());
  EXPECT_EQ(mono->TextWidth("iiii"), mono->TextWidth("MMMM"));
  EXPECT_EQ(mono->TextWidth(""), 0);
  const RSystemGlyph& a = mono->Glyph('A');
  ASSERT_GT(a.width * a.height, 0);
  int inked = 0;
  for (int i = 0; i < a.width * a.height; i++) inked += a.coverage[size_t(i)] > 128;
  EXPECT_GT(inked, 5);
  EXPECT_EQ(mono->Glyph(' ').width * mono->Glyph(' ').height, 0);
  EXPECT_GT(mono->Glyph(' ').advance, 0);
  // Bytes 0x80..0x9F are the Western code page's characters: 0x80 is the euro.
  EXPECT_GT(mono->Glyph(0x80).width, 0);
  EXPECT_GT(mono->Glyph(0xE9).width, 0);  // e acute
  EXPECT_EQ(mono->Glyph(0x81).advance, 0);  // unassigned
}

// A form like the error window: a memo and two buttons, one of them default.
struct RTestForm {
  CForm form{"Test", 300, 200};
  CFormMemo* memo;
  CFormButton *ok, *other, *action;
  int actions = 0;

  RTestForm() {
    auto m = std::make_unique<CFormMemo>("Courier New", 12);
    m->name = "Memo";
    m->bounds = {8, 8, 284, 120};
    memo = &form.Add(std::move(m));
    ok = &AddButton("Ok", "&Ok", 8, 1);
    ok->is_default = true;
    other = &AddButton("Other", "O&ther", 96, 2);
    action = &AddButton("Act", "&&Act", 184, FORM_RESULT_NONE);
    action->action = [this] { actions++; };
    form.Open();
  }
  CFormButton& AddButton(const char* name, const char* caption, int x, int result) {
    auto b = std::make_unique<CFormButton>();
    b->name = name;
    b->caption = caption;
    b->bounds = {x, 160, 75, 25};
    b->result = result;
    b->hint = std::string("hint of ") + name;
    return form.Add(std::move(b));
  }
  RFormKeyEvent Key(FormKey key, char c = 0, bool alt = false, bool shift = false) {
    RFormKeyEvent e;
    e.key = key;
    e.character = c;
    e.alt = alt;
    e.shift = shift;
    return e;
  }
};

TEST(Form, ButtonsAnswerClicksKeysAndAccessKeys) {
  RTestForm t;
  EXPECT_EQ(t.form.Focused(), t.ok);  // the default button starts with the focus
  EXPECT_EQ(t.form.DefaultResult(), 1);

  // A press that leaves the button before release is no click.
  t.form.MouseButton(100, 170, true);
  t.form.MouseMove(10, 10);
  t.form.MouseButton(10, 10, false);
  EXPECT_EQ(t.form.Result(), FORM_RESULT_NONE);
  EXPECT_EQ(t.form.Focused(), t.other);

  t.form.MouseButton(190, 170, true);
  t.form.MouseButton(200, 175, false);
  EXPECT_EQ(t.actions, 1);
  EXPECT_EQ(t.form.Result(), FORM_RESULT_NONE);  // an action button leaves the form open

  // Enter clicks the focused button, else the default one.
  t.form.Key(t.Key(FormKey::Enter));
  EXPECT_EQ(t.actions, 2);
  t.form.Open();
  t.form.Key(t.Key(FormKey::Tab));  // Ok -> Other
  t.form.Key(t.Key(FormKey::Space));
  EXPECT_EQ(t.form.Result(), 2);

  t.form.Open();
  t.form.Key(t.Key(FormKey::Tab, 0, false, true));  // Ok <- Memo
  EXPECT_EQ(t.form.Focused(), t.memo);
  t.form.Key(t.Key(FormKey::Character, 't'));  // the memo has the focus: no access key without Alt
  EXPECT_EQ(t.form.Result(), FORM_RESULT_NONE);
  t.form.Key(t.Key(FormKey::Enter));  // the memo does not take Enter
  EXPECT_EQ(t.form.Result(), 1);

  t.form.Open();
  t.form.Key(t.Key(FormKey::Character, 't', true));
  EXPECT_EQ(t.form.Result(), 2);
  t.form.Open();
  t.form.Key(t.Key(FormKey::Character, 'o'));  // a button has the focus: the letter alone works
  EXPECT_EQ(t.form.Result(), 1);
  EXPECT_EQ(t.action->AccessKey(), 0);  // "&&" is a plain ampersand

  t.form.Open();
  t.form.Key(t.Key(FormKey::Escape));
  EXPECT_EQ(t.form.Result(), FORM_RESULT_CLOSED);
}

TEST(Form, HiddenControlsTakeNothing) {
  RTestForm t;
  t.other->visible = false;
  t.form.Open();
  t.form.Key(t.Key(FormKey::Tab));
  EXPECT_EQ(t.form.Focused(), t.action);  // skips the hidden button
  t.form.Click("Other");
  t.form.Key(t.Key(FormKey::Character, 't', true));
  EXPECT_EQ(t.form.Result(), FORM_RESULT_NONE);
  t.ok->visible = false;
  EXPECT_EQ(t.form.DefaultResult(), FORM_RESULT_CLOSED);
}

TEST(Form, MemoWrapsAndScrolls) {
  RTestForm t;
  CFormMemo& memo = *t.memo;
  int visible = memo.VisibleRows();
  ASSERT_GT(visible, 3);
  memo.AddLine("");
  EXPECT_EQ(memo.RowCount(), 1);
  // A long line wraps after its last fitting space; a word longer than the
  // width is cut.
  std::string words;
  for (int i = 0; i < 20; i++) words += "word" + std::to_string(i) + " ";
  memo.AddLine(words);
  ASSERT_GT(memo.RowCount(), 2);
  for (int r = 1; r < memo.RowCount() - 1; r++) EXPECT_EQ(memo.Row(r).back(), ' ') << memo.Row(r);
  memo.AddLine(std::string(200, 'x'));
  EXPECT_EQ(memo.Row(memo.RowCount() - 1).find_first_not_of('x'), std::string::npos);
  memo.AddLine("\tindented");
  EXPECT_EQ(memo.Row(memo.RowCount() - 1), "        indented");
  EXPECT_EQ(memo.Lines().back(), "\tindented");  // the text keeps the tab

  while (memo.RowCount() < 3 * visible) memo.AddLine("more");
  memo.ScrollToEnd();
  EXPECT_EQ(memo.TopRow(), memo.RowCount() - visible);
  t.form.Key(t.Key(FormKey::Tab, 0, false, true));
  t.form.Key(t.Key(FormKey::Home));
  EXPECT_EQ(memo.TopRow(), 0);
  t.form.Key(t.Key(FormKey::PageDown));
  EXPECT_EQ(memo.TopRow(), visible);
  t.form.Key(t.Key(FormKey::Up));
  EXPECT_EQ(memo.TopRow(), visible - 1);
  t.form.MouseWheel(50, 50, -1000);
  EXPECT_EQ(memo.TopRow(), 0);

  // The scroll bar: the down arrow, the track below the thumb, and a drag
  // of the thumb to the bottom.
  int bar = 8 + 284 - 2 - 8;
  t.form.MouseButton(bar, 8 + 120 - 4, true);
  t.form.MouseButton(bar, 8 + 120 - 4, false);
  EXPECT_EQ(memo.TopRow(), 1);
  t.form.MouseButton(bar, 8 + 120 - 20, true);
  t.form.MouseButton(bar, 8 + 120 - 20, false);
  EXPECT_EQ(memo.TopRow(), 1 + visible);
  memo.ScrollTo(0);
  t.form.MouseButton(bar, 8 + 2 + 16 + 2, true);
  t.form.MouseMove(bar, 1000);
  t.form.MouseButton(bar, 1000, false);
  EXPECT_EQ(memo.TopRow(), memo.RowCount() - visible);

  EXPECT_EQ(memo.Text().substr(0, 1), "\n");  // the first line is empty
  memo.Clear();
  EXPECT_EQ(memo.RowCount(), 0);
  EXPECT_EQ(memo.TopRow(), 0);
  EXPECT_EQ(memo.Text(), "");
}

TEST(Form, HintsShowAfterTheMouseRests) {
  RTestForm t;
  t.form.Tick(1000);
  t.form.MouseMove(40, 170);
  t.form.Tick(1200);
  EXPECT_EQ(t.form.ShownHint(), "");
  t.form.Tick(1600);
  EXPECT_EQ(t.form.ShownHint(), "hint of Ok");
  t.form.MouseMove(45, 172);  // moving within the button keeps it
  EXPECT_EQ(t.form.ShownHint(), "hint of Ok");
  t.form.MouseMove(120, 170);
  EXPECT_EQ(t.form.ShownHint(), "");
  t.form.Tick(2200);
  EXPECT_EQ(t.form.ShownHint(), "hint of Other");
  t.form.MouseButton(120, 170, true);  // a press hides it
  EXPECT_EQ(t.form.ShownHint(), "");
}

TEST(Form, PaintDrawsTheControls) {
  RTestForm t;
  t.memo->AddLine("MMMMMMMM");
  RCanvas canvas;
  t.form.Paint(canvas);
  EXPECT_FALSE(t.form.NeedsPaint());
  ASSERT_EQ(canvas.width, 300);
  ASSERT_EQ(canvas.height, 200);
  EXPECT_EQ(canvas.At(150, 195), 0xFFD4D0C8u);  // the face
  EXPECT_EQ(canvas.At(8, 8), 0xFF808080u);      // the memo's sunken edge
  // Dark text pixels in the memo's first row, none in an empty row.
  auto dark_in = [&](int x0, int y0, int x1, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; y++)
      for (int x = x0; x < x1; x++) dark += (canvas.At(x, y) & 0xFF) < 0x60;
    return dark;
  };
  EXPECT_GT(dark_in(12, 11, 80, 24), 20);
  EXPECT_EQ(dark_in(12, 60, 200, 100), 0);
  EXPECT_GT(dark_in(20, 165, 70, 180), 5);  // the caption of Ok
  // The default button's black outline.
  EXPECT_EQ(canvas.At(8, 160), 0xFF000000u);

  t.memo->AddLine("x");
  EXPECT_TRUE(t.form.NeedsPaint());
}

TEST(Form, ModalWithoutDisplayTakesTheDefault) {
  RTestForm t;
  EXPECT_EQ(Form_ShowModal(t.form), 1);
  t.ok->visible = false;
  EXPECT_EQ(Form_ShowModal(t.form), FORM_RESULT_CLOSED);

  int seen = 0;
  Form_SetTestDriver([&](CForm& form) {
    seen++;
    form.Click("Other");
  });
  EXPECT_EQ(Form_ShowModal(t.form), 2);
  Form_SetTestDriver([](CForm&) {});
  EXPECT_EQ(Form_ShowModal(t.form), FORM_RESULT_CLOSED);  // nobody answered
  Form_SetTestDriver(nullptr);
  EXPECT_EQ(seen, 1);
}

}  // namespace

namespace {

TEST(LoadWindow, ShowsProgressWithItsLabel) {
  if (!Platform_Init()) GTEST_SKIP() << "no video driver";
  RLoadWindowSetup setup;
  setup.show_label = true;
  LoadWindow_Open(setup);
  LoadWindow_SetProgress(50, "Loading sprites");
  EXPECT_EQ(LoadWindow_BarWidth(), 142);  // half of 332 - 2 * 24
  LoadWindow_SetProgress(100, "");
  EXPECT_EQ(LoadWindow_BarWidth(), 284);
  LoadWindow_Close();
  Platform_Quit();
}

}  // namespace
