// Recording and playing back runs: the record's format and its checks, the
// monkey, and whole games recorded and replayed by the runner.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "data/Replay_Log.h"
#include "runner/Replay_Monkey.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "variables/Function_Math.h"
#include "world/Object_Class.h"
#include "world/Run_Clock.h"

namespace {

std::vector<std::pair<RReplayInput, int32_t>> g_Played;
void KeepInput(RReplayInput kind, int32_t value) { g_Played.emplace_back(kind, value); }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A record of two steps: the seed, input before each step, a clock read and
// a typed answer in the first, the runner's limit after the second.
std::vector<uint8_t> TwoStepRecord() {
  std::string path = TestGame_Path("two.rec"), error;
  EXPECT_TRUE(Replay_StartRecording(path, 42, error)) << error;
  Random_Randomize();
  Replay_NoteInput(REPLAY_KEY_DOWN, 32);
  Replay_NoteInput(REPLAY_CHARACTER, ' ');
  Replay_Mark(REPLAY_MARK_STEP, 1);
  EXPECT_EQ(Replay_Real(REPLAY_CLOCK, [] { return 1234.5; }), 1234.5);
  EXPECT_EQ(Replay_Text(REPLAY_ANSWER_TEXT, [] { return std::string("Ann"); }), "Ann");
  EXPECT_FALSE(Replay_RunnerStop(false));
  Replay_Mark(REPLAY_MARK_FRAME);
  Replay_NoteInput(REPLAY_KEY_UP, 32);
  Replay_Mark(REPLAY_MARK_STEP, 2);
  EXPECT_TRUE(Replay_RunnerStop(true));
  EXPECT_TRUE(Replay_Finish()) << Replay_Error();
  return ReadFile(path);
}

// Plays the reads of TwoStepRecord against `bytes`; true when all of it
// matched and the record ended where the game did.
bool PlayTwoSteps(std::vector<uint8_t> bytes) {
  std::string error;
  if (!Replay_StartPlayingBytes(std::move(bytes), error)) return false;
  Random_Randomize();
  Replay_Mark(REPLAY_MARK_STEP, 1);
  Replay_Real(REPLAY_CLOCK, [] { return 0.0; });
  Replay_Text(REPLAY_ANSWER_TEXT, [] { return std::string(); });
  Replay_RunnerStop(false);
  Replay_Mark(REPLAY_MARK_FRAME);
  Replay_Mark(REPLAY_MARK_STEP, 2);
  const bool stopped = Replay_RunnerStop(false);
  return Replay_Finish() && stopped;
}

class ReplayLog : public ::testing::Test {
 protected:
  void SetUp() override {
    Replay_Reset();
    Replay_SetInputHandler(KeepInput);
    g_Played.clear();
  }
  void TearDown() override {
    Replay_Reset();
    Replay_SetInputHandler(nullptr);
  }
};

}  // namespace

TEST_F(ReplayLog, PlaysBackValuesAndInputWithoutAskingTheLiveSources) {
  std::vector<uint8_t> bytes = TwoStepRecord();
  const uint32_t recorded_seed = Random_Seed();
  Random_SetSeed(recorded_seed + 99);
  std::string error;
  ASSERT_TRUE(Replay_StartPlayingBytes(bytes, error)) << error;
  EXPECT_EQ(Replay_GameId(), 42);
  Random_Randomize();
  EXPECT_EQ(Random_Seed(), recorded_seed);
  EXPECT_TRUE(g_Played.empty());
  EXPECT_TRUE(Replay_Mark(REPLAY_MARK_STEP, 1));
  EXPECT_EQ(g_Played, (decltype(g_Played){{REPLAY_KEY_DOWN, 32}, {REPLAY_CHARACTER, ' '}}));
  bool asked = false;
  EXPECT_EQ(Replay_Real(REPLAY_CLOCK, [&] { return asked = true, 0.0; }), 1234.5);
  EXPECT_EQ(Replay_Text(REPLAY_ANSWER_TEXT, [&] { return asked = true, std::string(); }), "Ann");
  EXPECT_FALSE(asked);
  EXPECT_FALSE(Replay_RunnerStop(false));
  EXPECT_TRUE(Replay_Mark(REPLAY_MARK_FRAME));
  // Input that arrived after the wait reaches the game at the next message
  // processing, before the next step.
  Replay_DeliverInput();
  EXPECT_EQ(g_Played.back(), std::make_pair(REPLAY_KEY_UP, 32));
  EXPECT_TRUE(Replay_Mark(REPLAY_MARK_STEP, 2));
  EXPECT_TRUE(Replay_RunnerStop(false));
  EXPECT_TRUE(Replay_Finish()) << Replay_Error();
}

TEST_F(ReplayLog, TheClocksAndTheSeedComeFromTheRecord) {
  std::string path = TestGame_Path("clock.rec"), error;
  ASSERT_TRUE(Replay_StartRecording(path, 1, error));
  const double now = Clock_CurrentTime();
  const RLocalTime local = Clock_LocalTime();
  Random_Randomize();
  const uint32_t seed = Random_Seed();
  ASSERT_TRUE(Replay_Finish());
  ASSERT_TRUE(Replay_StartPlaying(path, error)) << error;
  Random_SetSeed(seed ^ 1);
  EXPECT_EQ(Clock_CurrentTime(), now);
  const RLocalTime again = Clock_LocalTime();
  EXPECT_EQ(std::tie(again.year, again.month, again.day, again.hour, again.minute, again.second, again.millisecond),
            std::tie(local.year, local.month, local.day, local.hour, local.minute, local.second, local.millisecond));
  Random_Randomize();
  EXPECT_EQ(Random_Seed(), seed);
  EXPECT_TRUE(Replay_Finish());
}

TEST_F(ReplayLog, ACutRecordStopsWithItsMessageAtEveryLength) {
  const std::vector<uint8_t> bytes = TwoStepRecord();
  ASSERT_TRUE(PlayTwoSteps(bytes));
  for (size_t cut = 0; cut < bytes.size(); cut++) {
    EXPECT_FALSE(PlayTwoSteps(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)))) << cut;
    if (cut >= 10 && cut + 1 < bytes.size()) {
      EXPECT_NE(Replay_Error().find("cut short"), std::string::npos) << cut << ": " << Replay_Error();
    }
    EXPECT_EQ(Replay_Mode(), ReplayMode::Off);
  }
}

TEST_F(ReplayLog, DamagedRecordsAndOtherFilesAreRefusedWithAReason) {
  std::vector<uint8_t> bytes = TwoStepRecord();
  std::string error;
  EXPECT_FALSE(Replay_StartPlayingBytes({'V', 'R', 'P'}, error));
  EXPECT_EQ(error, "not a replay file");
  std::vector<uint8_t> version = bytes;
  version[4] = 9;
  EXPECT_FALSE(Replay_StartPlayingBytes(version, error));
  EXPECT_EQ(error, "a replay file of version 9; this runner reads version 1");

  std::vector<uint8_t> tag = bytes;
  tag[10] = 'Z';  // the seed's record
  EXPECT_FALSE(PlayTwoSteps(tag));
  EXPECT_EQ(Replay_Error(), "the replay file is damaged at byte 10 at step 0: unknown record");
  std::vector<uint8_t> kind = bytes;
  kind[11] = 200;
  EXPECT_FALSE(PlayTwoSteps(kind));
  EXPECT_EQ(Replay_Error(), "the replay file is damaged at byte 10 at step 0: unknown kind");
}

TEST_F(ReplayLog, AGameThatGoesAnotherWayIsOutOfStep) {
  std::string error;
  ASSERT_TRUE(Replay_StartPlayingBytes(TwoStepRecord(), error));
  // This game reads the clock where the recorded one took its seed.
  Clock_CurrentTime();
  EXPECT_EQ(Replay_Error(),
            "the game went out of step with the replay at step 0: it needed the clock, the file holds the random seed");
  EXPECT_EQ(Replay_Mode(), ReplayMode::Off);

  ASSERT_TRUE(Replay_StartPlayingBytes(TwoStepRecord(), error));
  Random_Randomize();
  EXPECT_FALSE(Replay_Mark(REPLAY_MARK_STEP, 7));
  EXPECT_EQ(Replay_Error(), "the game went out of step with the replay at step 0: it needed the start of step 7, the "
                            "file holds the start of step 1");

  // A game that goes on after its record ended, and one that ends first.
  std::vector<uint8_t> bytes = TwoStepRecord();
  ASSERT_TRUE(PlayTwoSteps(bytes));
  ASSERT_TRUE(Replay_StartPlayingBytes(bytes, error));
  Random_Randomize();
  Replay_Mark(REPLAY_MARK_STEP, 1);
  EXPECT_FALSE(Replay_Finish());
  EXPECT_NE(Replay_Error().find("the game ended at step 1 before the replay did"), std::string::npos);
}

TEST_F(ReplayLog, AnswersAskedInsideAnotherAreOnePartOfIt) {
  std::string path = TestGame_Path("nested.rec"), error;
  ASSERT_TRUE(Replay_StartRecording(path, 1, error));
  // A file dialog that falls back to asking in the message window.
  Replay_Text(REPLAY_ANSWER_TEXT, [] {
    Replay_Int(REPLAY_ANSWER, [] { return 1; });
    return std::string("level2.txt");
  });
  ASSERT_TRUE(Replay_Finish());
  ASSERT_TRUE(Replay_StartPlaying(path, error));
  EXPECT_EQ(Replay_Text(REPLAY_ANSWER_TEXT, [] { return std::string(); }), "level2.txt");
  EXPECT_TRUE(Replay_Finish()) << Replay_Error();
  EXPECT_EQ(Replay_ToInt(1e300), 0);
  EXPECT_EQ(Replay_ToInt(-7.0), -7);
}

TEST(Monkey, TheSameSeedPlaysTheSameAndStaysInsideThePlayground) {
  RMonkeyPlayground p;
  p.keys = {32, 37, 65};
  p.function_keys = {117};
  p.width = 200;
  p.height = 100;
  CMonkey first(11, p), second(11, p), other(12, p);
  std::vector<RMonkeyAction> a, b, c;
  bool differs = false, moved = false, clicked = false;
  std::vector<int32_t> down;
  for (int step = 0; step < 2000; step++) {
    first.Step(a);
    second.Step(b);
    other.Step(c);
    ASSERT_EQ(a, b) << "step " << step;
    differs = differs || a != c;
    for (const RMonkeyAction& act : a) {
      if (act.move) {
        moved = true;
        EXPECT_TRUE(act.x >= 0 && act.x < 200 && act.y >= 0 && act.y < 100);
        continue;
      }
      if (act.input == REPLAY_KEY_DOWN) {
        EXPECT_TRUE(act.x == 32 || act.x == 37 || act.x == 65 || act.x == 117) << act.x;
        down.push_back(act.x);
      }
      // Every key that comes up went down before.
      if (act.input == REPLAY_KEY_UP) {
        auto it = std::find(down.begin(), down.end(), act.x);
        ASSERT_NE(it, down.end());
        down.erase(it);
      }
      clicked = clicked || act.input == REPLAY_MOUSE_DOWN;
    }
  }
  EXPECT_TRUE(differs);
  EXPECT_TRUE(moved);
  EXPECT_TRUE(clicked);
}

// A game whose every step prints values from outside: a random number, the
// clock, the time of day, the frame rate, the mouse, the keys held and the
// answer of a question window.
class ReplayGame : public ::testing::Test {
 protected:
  void SetUp() override {
    RGameData game = TestGame_OneRoom();
    game.gameId = 777;
    game.objects = {TestWorld_Object(
        "obj_probe", -1,
        {{EV_STEP, 0,
          "show_debug_message('probe ' + string(random(1000)) + ' ' + string(current_time) + ' ' +"
          " string(current_second) + ' ' + string(fps) + ' ' + string(mouse_x) + ' ' +"
          " string(keyboard_check(vk_space)) + string(mouse_check_button(mb_any)) + ' ' + keyboard_string);"
          "if (random(10) < 1) show_debug_message('answer ' + string(show_question('again?')));"}})};
    game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
    game.lastInstanceId = 100001;
    path_ = TestGame_Write(game, "probe.game");
    record_ = TestGame_Path("probe.rec");
  }
  std::string path_, record_;
};

TEST_F(ReplayGame, ARecordedMonkeyRunReplaysAlikeAndACutOneStopsWithItsMessage) {
  RRunResult first = TestGame_Run("--max-steps 40 --monkey 5 --report --record " + record_ + " " + path_);
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_NE(first.err.find("probe "), std::string::npos) << first.err;
  RRunResult again = TestGame_Run("--replay " + record_ + " --report " + path_);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err, first.err);
  EXPECT_EQ(again.out, first.out);
  EXPECT_NE(first.out.find("runner: digest "), std::string::npos);

  std::vector<uint8_t> bytes = ReadFile(record_);
  bytes.resize(bytes.size() / 2);
  RRunResult cut = TestGame_Run("--replay " + TestGame_WriteBytes(bytes, "cut.rec") + " " + path_);
  EXPECT_EQ(cut.status, 4);
  EXPECT_NE(cut.err.find("runner: the replay file is cut short at step "), std::string::npos) << cut.err;

  RRunResult none = TestGame_Run("--replay " + path_ + " " + path_);
  EXPECT_EQ(none.status, 4);
  EXPECT_NE(none.err.find(": not a replay file"), std::string::npos) << none.err;
  RRunResult both = TestGame_Run("--replay " + record_ + " --monkey 3 " + path_);
  EXPECT_EQ(both.status, 2);
}

TEST_F(ReplayGame, ARecordOfAnotherGameIsRefused) {
  ASSERT_EQ(TestGame_Run("--max-steps 2 --unthrottled --record " + record_ + " " + path_).status, 0);
  RGameData other = TestGame_OneRoom();
  other.gameId = 778;
  RRunResult r = TestGame_Run("--replay " + record_ + " " + TestGame_Write(other, "other.game"));
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("recorded with another game (id 777; this game has id 778)"), std::string::npos) << r.err;
}

TEST(RunnerHelp, NamesTheRecordReplayAndMonkeyOptions) {
  RRunResult r = TestGame_Run("--help");
  for (const char* option : {"--record FILE", "--replay FILE", "--monkey SEED"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
}
