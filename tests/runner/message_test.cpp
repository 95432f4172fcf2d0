// The message window and the highscore table, answered by a stand-in player.
#include <gtest/gtest.h>

#include "../functions/File_Fixture.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "platform/Platform_Dialog.h"
#include "step/IO_Main.h"
#include "platform/Platform_Form.h"
#include "world/Run_Global.h"
#include "runner/Run_Score.h"
#include "runner/Runner_Load.h"
#include "runner/Support_Message.h"

namespace {

RFormKeyEvent Press(FormKey key, char c = 0, bool alt = false) {
  RFormKeyEvent e;
  e.key = key;
  e.character = c;
  e.alt = alt;
  return e;
}

class Messages : public FileTest {
 protected:
  void TearDown() override {
    Form_SetTestDriver(nullptr);
    Message_Settings = RMessageSettings{};
    Score_Display = RScoreDisplay{};
    Game = RGameGlobals{};
    FileTest::TearDown();
  }
  // Answers the next window with these keys and typed text.
  void Answer(std::vector<RFormKeyEvent> keys, std::string typed = "") {
    Form_SetTestDriver([keys, typed, this](CForm& form) {
      shown = &form;
      if (!typed.empty()) form.TextInput(typed);
      for (const RFormKeyEvent& key : keys) form.Key(key);
      if (auto* label = dynamic_cast<CFormLabel*>(form.Find("MessageLabel"))) label_text = label->text;
      shown = nullptr;
    });
  }
  CForm* shown = nullptr;
  std::string label_text;
};

TEST_F(Messages, TextConversion) {
  EXPECT_EQ(Message_Convert("Score:#10"), "Score:\r\n10");
  EXPECT_EQ(Message_Convert("100\\#"), "100#");
  EXPECT_EQ(Message_Convert("##"), "\r\n\r\n");
}

TEST_F(Messages, ButtonsAnswerByShortcutEscapeAndEnter) {
  auto ext = [&] { return Call("show_message_ext", {S("Save?"), S("&Yes"), S(""), S("&No")}).real; };
  Answer({Press(FormKey::Character, 'n')});
  EXPECT_EQ(ext(), 3);
  Answer({Press(FormKey::Escape)});
  EXPECT_EQ(ext(), 0);
  Answer({Press(FormKey::Enter)});
  EXPECT_EQ(ext(), 1);
  Answer({Press(FormKey::Space)});
  EXPECT_EQ(ext(), 1);
  EXPECT_EQ(label_text, "Save? ");  // the label gets a trailing blank

  Answer({Press(FormKey::Character, 'x'), Press(FormKey::Escape)});
  EXPECT_EQ(Call("show_question", {S("Sure?")}).real, 0);
  Form_SetTestDriver([](CForm& form) { form.Click("MessageButton1"); });
  EXPECT_EQ(Call("show_question", {S("Sure?")}).real, 1);
  Form_SetTestDriver([](CForm& form) { form.Click("MessageButton3"); });
  EXPECT_EQ(Call("action_if_question", {S("Sure?")}).real, 0);
}

TEST_F(Messages, TextInput) {
  // The default is selected: typing replaces it.
  Answer({Press(FormKey::Enter)}, "abc");
  EXPECT_EQ(Call("get_integer", {S("How many?"), N(5)}).real, 5);
  Answer({Press(FormKey::Enter)}, "-42");
  EXPECT_EQ(Call("get_integer", {S("How many?"), N(5)}).real, -42);
  Answer({Press(FormKey::Enter)});
  EXPECT_EQ(Call("get_integer", {S("How many?"), N(6.5)}).real, 6);
  // With an input field letters are typed, not shortcuts; Alt makes them one.
  Answer({Press(FormKey::Character, 'o'), Press(FormKey::Backspace), Press(FormKey::Enter)}, "Annx");
  EXPECT_EQ(Call("get_string", {S("Name?"), S("player")}).str, "Ann");
  Answer({Press(FormKey::Space), Press(FormKey::Escape)});
  EXPECT_EQ(Call("get_string", {S("Name?"), S("player")}).str, "player");
}

TEST_F(Messages, LayoutFollowsTheSettings) {
  Form_SetTestDriver([](CForm& form) {
    auto* label = static_cast<CFormLabel*>(form.Find("MessageLabel"));
    EXPECT_EQ(form.ClientWidth(), 348);
    EXPECT_EQ(label->bounds.x, 24);
    EXPECT_EQ(label->bounds.y, 16);
    EXPECT_EQ(label->bounds.w, 300);
    EXPECT_EQ(form.ClientHeight(), label->TextHeight() + 25 + 48 + 21 + 16);
    const CFormControl* ok = form.Find("MessageButton2");
    EXPECT_EQ(ok->bounds.y + ok->bounds.h, form.ClientHeight() - 16);
    EXPECT_EQ(ok->bounds.x, (348 - 80) / 2);
    EXPECT_FALSE(form.Find("MessageButton1")->visible);
    EXPECT_EQ(form.Focused(), form.Find("MessageInput"));
    EXPECT_FALSE(form.border);
    form.Click("MessageButton2");
  });
  Call("get_string", {S("One#Two#Three"), S("")});

  Call("message_size", {N(500), N(200)});
  Call("message_caption", {N(1), S("Note")});
  Call("message_alpha", {N(0.5)});
  Form_SetTestDriver([](CForm& form) {
    EXPECT_EQ(form.ClientWidth(), 500);
    EXPECT_EQ(form.ClientHeight(), 200);
    EXPECT_EQ(form.Caption(), "Note");
    EXPECT_TRUE(form.border);
    EXPECT_EQ(form.alpha, 128);
    form.Key(Press(FormKey::Enter));
  });
  Call("show_message", {S("Hello")});
}

TEST_F(Messages, PicturesFromTheGame) {
  Call("message_background", {N(0)});
  EXPECT_EQ(TakeError(), "Trying to set a non-existing message background");
  Call("message_button", {N(3)});
  EXPECT_EQ(TakeError(), "Trying to set a non-existing message button");
  RSlots<RBackgroundRecord> backgrounds(1);
  backgrounds[0].emplace();
  backgrounds[0]->width = 200;
  backgrounds[0]->height = 100;
  backgrounds[0]->hasImage = true;
  backgrounds[0]->image.exists = true;
  backgrounds[0]->image.width = 200;
  backgrounds[0]->image.height = 100;
  backgrounds[0]->image.pixels.assign(size_t(200 * 100 * 4), 0x80);
  Background_Install(backgrounds);
  Call("message_background", {N(0)});
  EXPECT_EQ(TakeError(), "");
  Form_SetTestDriver([](CForm& form) {
    EXPECT_EQ(form.ClientWidth(), 200);  // the picture's width
    RCanvas canvas;
    form.Paint(canvas);
    EXPECT_EQ(canvas.At(100, 2) & 0xFFFFFF, 0x808080u);  // the picture, stretched
    form.Key(Press(FormKey::Enter));
  });
  Call("show_message", {S("Hi")});
  Background_ClearTable();
}

TEST_F(Messages, TransparentBackgroundKeysItsBottomLeftColour) {
  // A picture whose bottom-left colour (green) is also its left half.
  CBitmap32 picture(100, 50, 0xFFFF0000u);
  for (int32_t y = 0; y < 50; y++)
    for (int32_t x = 0; x < 50; x++) picture.pixels[size_t(y) * 100 + size_t(x)] = 0xFF00FF00u;
  const int32_t keyed = Background_AddEmpty();
  Background_Get(keyed)->SetImage(picture, true, false, false);
  const int32_t plain = Background_AddEmpty();
  Background_Get(plain)->SetImage(picture, false, false, false);
  int64_t key = -2;
  RCanvas canvas;
  Form_SetTestDriver([&](CForm& form) {
    key = form.colour_key;
    form.Paint(canvas);
    form.Key(Press(FormKey::Enter));
  });
  Call("message_background", {N(keyed)});
  Call("show_message", {S("Hi")});
  EXPECT_EQ(key, 0x00FF00);
  // The see-through part is painted in exactly the key colour.
  EXPECT_EQ(canvas.At(10, 10) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(canvas.At(canvas.width - 10, 10) & 0xFFFFFF, 0xFF0000u);
  Call("message_background", {N(plain)});
  Call("show_message", {S("Hi")});
  EXPECT_EQ(key, -1);
  Background_ClearTable();
}

TEST_F(Messages, DesktopDialogsClearTheInputWhenTheyReturn) {
  std::vector<DialogKind> asked;
  PlatformDialog_SetTestAnswerer([&](const RDialogRequest& request) -> std::optional<std::string> {
    asked.push_back(request.kind);
    return request.kind == DialogKind::Colour ? "rgb(1,2,3)" : "/tmp/chosen";
  });
  auto press = [] {
    IO_Input.key_down[13] = IO_Input.key_pressed[13] = true;
    IO_Input.mouse_pressed[1] = true;
  };
  press();
  EXPECT_EQ(Call("get_open_filename", {S("Text|*.txt"), S("a.txt")}).str, "/tmp/chosen");
  EXPECT_FALSE(IO_Input.key_down[13] || IO_Input.mouse_pressed[1]);
  press();
  EXPECT_EQ(Call("get_save_filename", {S(""), S("")}).str, "/tmp/chosen");
  EXPECT_FALSE(IO_Input.key_pressed[13]);
  press();
  EXPECT_EQ(Call("get_directory", {S("")}).str, "/tmp/chosen");
  EXPECT_FALSE(IO_Input.key_down[13]);
  press();
  EXPECT_EQ(Call("get_color", {N(0)}).real, 1 + 2 * 256 + 3 * 65536);
  EXPECT_FALSE(IO_Input.mouse_pressed[1]);
  PlatformDialog_SetTestAnswerer(nullptr);
  EXPECT_EQ(asked.size(), 4u);
}

TEST_F(Messages, HugeSizesAreHeldWithinReason) {
  Call("message_size", {N(1e9), N(1e9)});
  Call("message_text_font", {S("Arial"), N(1e9), N(-1), N(0)});
  Form_SetTestDriver([](CForm& form) {
    EXPECT_EQ(form.ClientWidth(), 8192);
    EXPECT_EQ(form.ClientHeight(), 8192);
    form.Key(Press(FormKey::Enter));
  });
  Call("show_message", {S("Big")});
  EXPECT_EQ(Call("font_add", {S("Arial"), N(100000), N(0), N(0), N(65), N(66)}).real, 0);
}

TEST_F(Messages, WithoutDisplayTheAnswerIsOneAndTheTextIsPrinted) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Call("show_question", {S("Quit?#Really?")}).real, 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Quit?\nReally?\n");
}

TEST_F(Messages, PopupMenus) {
  auto menu = [&] { return Call("show_menu", {S("New|-|Open|Quit"), N(-1)}).real; };
  Answer({Press(FormKey::Down), Press(FormKey::Down), Press(FormKey::Enter)});
  EXPECT_EQ(menu(), 1);  // the separator is skipped and not counted
  Answer({Press(FormKey::Character, 'q')});
  EXPECT_EQ(menu(), 2);
  Answer({Press(FormKey::Escape)});
  EXPECT_EQ(menu(), -1);
  Form_SetTestDriver([](CForm& form) {
    EXPECT_TRUE(form.popup);
    EXPECT_EQ(form.left, 30);
    const CFormControl* list = form.Find("MenuList");
    // Rows: 2 pixels of frame, "New" 20, the separator 7, then "Open".
    form.MouseButton(10, list->bounds.y + 2 + 20 + 7 + 5, true);
    form.MouseButton(10, list->bounds.y + 2 + 20 + 7 + 5, false);
  });
  EXPECT_EQ(Call("show_menu_pos", {N(30), N(40), S("New|-|Open|Quit"), N(7)}).real, 1);
  EXPECT_EQ(Call("show_menu_pos", {N(30), N(40), S("A|B"), N(7)}).real, 1);  // the same place is B here
  Form_SetTestDriver(nullptr);
  EXPECT_EQ(Call("show_menu", {S("A|B"), N(7)}).real, 7);  // nobody to choose without a display
}

TEST_F(Messages, DialogsFallBackToTheMessageWindow) {
  // Without a display there is no desktop dialog: the message window asks.
  Answer({Press(FormKey::Enter)}, "save.txt");
  EXPECT_EQ(Call("get_save_filename", {S("Text|*.txt"), S("a.txt")}).str, "save.txt");
  Form_SetTestDriver([](CForm& form) { form.Click("MessageButton3"); });
  EXPECT_EQ(Call("get_open_filename", {S("Text|*.txt"), S("a.txt")}).str, "");
  Answer({Press(FormKey::Enter)}, "10, 20, 30");
  EXPECT_EQ(Call("get_color", {N(0)}).real, 10 + 20 * 256 + 30 * 65536);
  Answer({Press(FormKey::Enter)});
  EXPECT_EQ(Call("get_color", {N(0x0000FF)}).real, 0x0000FF);  // the default, unchanged
  Answer({Press(FormKey::Enter)}, "nonsense");
  EXPECT_EQ(Call("get_color", {N(0)}).real, -1);
  Answer({Press(FormKey::Enter)});
  EXPECT_EQ(Call("get_directory_alt", {S("Pick"), S("/tmp")}).str, "/tmp");
}

TEST(ScoreCoding, StoredFormOfAnEntry) {
  // Score 1 and the name "A" for game id 0: each value moves on by its
  // position, two letters per value.
  std::string expected = "AC";
  for (int k = 2; k <= 15; k++) expected += std::string("A") + char('A' + k);
  expected += "BA";  // 0 + 16
  expected += "FC";  // 'A' + 17 = 82
  EXPECT_EQ(Score_Encode({"A", 1}, 0), expected);
  for (const RScoreEntry& entry : {RScoreEntry{"Ann", 100}, RScoreEntry{"", 0}, RScoreEntry{"Bo\xE9", 123456789},
                                   RScoreEntry{"neg", -250}}) {
    RScoreEntry back;
    ASSERT_TRUE(Score_Decode(Score_Encode(entry, 20261209), 20261209, back));
    EXPECT_EQ(back.name, entry.name);
    EXPECT_EQ(back.score, entry.score);
  }
  RScoreEntry back;
  EXPECT_FALSE(Score_Decode("ABC", 0, back));
}

TEST_F(Messages, HighscoreTable) {
  GameId = 4242;
  EXPECT_EQ(Call("highscore_name", {N(1)}).str, "<nobody>");
  EXPECT_EQ(Call("highscore_value", {N(11)}).real, 0);
  for (int s = 100; s >= 10; s -= 10) Call("highscore_add", {S("p" + std::to_string(s)), N(s)});
  Call("highscore_add", {S("Ann"), N(5)});  // nobody scores less: no change
  EXPECT_EQ(Call("highscore_value", {N(10)}).real, 10);

  // 85 takes the third place and the player names it.
  Answer({Press(FormKey::Backspace), Press(FormKey::Enter)}, "Zoe!");
  Call("highscore_show", {N(85)});
  EXPECT_EQ(Call("highscore_name", {N(3)}).str, "Zoe");
  EXPECT_EQ(Call("highscore_value", {N(3)}).real, 85);
  EXPECT_EQ(Call("highscore_value", {N(4)}).real, 80);
  EXPECT_EQ(Call("highscore_value", {N(10)}).real, 20);

  // A score equal to the tenth asks for a name (and earns no place).
  Game.score = 20;
  bool asked = false;
  Form_SetTestDriver([&](CForm& form) {
    asked = form.Find("MessageInput") != nullptr;
    form.Key(Press(FormKey::Enter));
  });
  Call("highscore_add_current");
  EXPECT_TRUE(asked);
  Game.score = 95;
  Answer({Press(FormKey::Enter)}, "Max");
  Call("highscore_add_current");
  EXPECT_EQ(Call("highscore_name", {N(2)}).str, "Max");

  // Another game has its own table; clearing uses the current nobody name.
  GameId = 4243;
  EXPECT_EQ(Call("highscore_value", {N(1)}).real, 0);
  Call("highscore_set_strings", {S("Best"), S("-"), S("Esc")});
  Call("highscore_clear");
  EXPECT_EQ(Call("highscore_name", {N(1)}).str, "-");
  GameId = 4242;
  EXPECT_EQ(Call("highscore_value", {N(1)}).real, 100);
  GameId = 0;
}

}  // namespace
