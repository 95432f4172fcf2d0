// The game information: reading rich text, loading a text file, and the
// window shown by show_info and by F1.
#include <gtest/gtest.h>

#include "../functions/File_Fixture.h"
#include "data/Option_Main.h"
#include "platform/Platform_Form.h"
#include "runner/Help_Main.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"

namespace {

TEST(RichText, StylesTablesAndEscapes) {
  std::vector<RRichRun> runs = Help_ParseRichText(
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}"
      "\\f0\\fs24 Hello \\b bold\\b0  and \\cf1 red\\cf0\\par\\f1\\fs20 mono\\'e9{\\i  slant}\\u8364?\\par}");
  ASSERT_EQ(runs.size(), 9u);
  EXPECT_EQ(runs[0].text, "Hello ");
  EXPECT_EQ(runs[0].font, "Arial");
  EXPECT_EQ(runs[0].points, 12);
  EXPECT_EQ(runs[1].text, "bold");
  EXPECT_TRUE(runs[1].bold);
  EXPECT_EQ(runs[2].text, " and ");
  EXPECT_EQ(runs[3].text, "red");
  EXPECT_EQ(runs[3].colour, 0xFFFF0000u);
  EXPECT_TRUE(runs[4].paragraph);
  EXPECT_EQ(runs[5].text, "mono\xE9");
  EXPECT_EQ(runs[5].font, "Courier New");
  EXPECT_EQ(runs[5].points, 10);
  EXPECT_EQ(runs[6].text, " slant");  // the group's italic ends with it
  EXPECT_TRUE(runs[6].italic);
  EXPECT_EQ(runs[7].text, "\x80");   // the euro sign by its Unicode number
  EXPECT_FALSE(runs[7].italic);
  EXPECT_TRUE(runs[8].paragraph);

  // Text that is not rich text is plain lines; unknown destinations vanish.
  runs = Help_ParseRichText("one\r\ntwo");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].text, "one");
  EXPECT_TRUE(runs[1].paragraph);
  EXPECT_EQ(runs[2].text, "two");
  runs = Help_ParseRichText("{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}Body\\}\\{}");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "Body}{");
  // Deep nesting is read without trouble.
  EXPECT_EQ(Help_ParseRichText("{\\rtf1" + std::string(100000, '{') + "x").back().text, "x");
}

class HelpWindow : public FileTest {
 protected:
  void TearDown() override {
    Form_SetTestDriver(nullptr);
    Settings = RSettings{};
    FileTest::TearDown();
  }
};

TEST_F(HelpWindow, ShowLoadAndF1) {
  RGameInformation info;
  info.caption = "About the game";
  info.width = 300;
  info.height = 200;
  std::string text = "{\\rtf1 Welcome\\par}";
  info.text.assign(text.begin(), text.end());
  Help_Install(info);

  std::string caption;
  int shown = 0;
  Form_SetTestDriver([&](CForm& form) {
    shown++;
    caption = form.Caption();
    EXPECT_EQ(form.ClientWidth(), 300);
    form.Key(RFormKeyEvent{FormKey::PageDown});
    form.Key(RFormKeyEvent{FormKey::Escape});
  });
  Call("show_info");
  EXPECT_EQ(caption, "About the game");

  EXPECT_EQ(Call("load_info", {S("missing.rtf")}).real, 0);
  EXPECT_EQ(Help_Text(), text);
  WriteWhole(m_Dir / "help.rtf", "{\\rtf1 New text}");
  EXPECT_EQ(Call("load_info", {S("help.rtf")}).real, 1);
  EXPECT_EQ(Help_Text(), "{\\rtf1 New text}");

  // F1 shows it and clears the input; switched off it does nothing.
  IO_Input.keyboard_lastkey = 112;
  IO_Input.key_down[65] = true;
  HandleFunctionKeys();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  EXPECT_FALSE(IO_Input.key_down[65]);
  Settings.KeyF1 = false;
  IO_Input.keyboard_lastkey = 112;
  HandleFunctionKeys();
  EXPECT_EQ(shown, 2);
  IO_ClearAll();
}

TEST_F(HelpWindow, WindowSettingsAndPausing) {
  RGameInformation info;
  info.width = 300;
  info.height = 200;
  info.stayOnTop = true;
  info.sizeable = true;
  Help_Install(info);
  CForm* seen = nullptr;
  bool sizeable = false, on_top = false;
  int32_t resized_width = 0;
  Form_SetTestDriver([&](CForm& form) {
    seen = &form;
    sizeable = form.resizable;
    on_top = form.stay_on_top;
    // A sizeable window lays its text out for the new size.
    form.Resize(420, 260);
    resized_width = form.Find("HelpText")->bounds.w;
  });
  // Pausing the game: shown modally, and the input is cleared afterwards.
  IO_Input.key_down[65] = true;
  Call("show_info");
  ASSERT_NE(seen, nullptr);
  EXPECT_TRUE(sizeable);
  EXPECT_TRUE(on_top);
  EXPECT_EQ(resized_width, 420);
  EXPECT_FALSE(IO_Input.key_down[65]);

  // Not pausing: shown beside the game, whose input stays its own. Without
  // a border the window cannot be sized.
  info.pauseGame = false;
  info.border = false;
  info.stayOnTop = false;
  Help_Install(info);
  IO_Input.key_down[65] = true;
  Call("show_info");
  const CForm* beside = Help_ShownBeside();
  ASSERT_NE(beside, nullptr);
  EXPECT_TRUE(Form_IsShown(*beside));
  EXPECT_FALSE(beside->resizable);
  EXPECT_FALSE(beside->stay_on_top);
  EXPECT_TRUE(IO_Input.key_down[65]);
  Help_Close();
  IO_ClearAll();
}

}  // namespace
