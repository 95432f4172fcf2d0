// The CD built-ins and command strings, against a drive in memory and with
// no drive at all.
#include <gtest/gtest.h>

#include <algorithm>

#include "sound/Support_CD.h"
#include "support/Builtin_Call.h"

namespace {

RValue R(double v) { return RValue(v); }
double Real(const char* name, std::initializer_list<RValue> args = {}) { return CallByName(name, args).real; }

constexpr int32_t kMinute = 60 * CD_FRAMES_PER_SECOND;

class CDAudio : public ::testing::Test {
 protected:
  // A disc of 12 tracks of 3 minutes each.
  void SetUp() override {
    auto drive = std::make_unique<CFakeCDDrive>(std::vector<int32_t>(12, 3 * kMinute));
    m_Drive = drive.get();
    CD_SetDrive(std::move(drive));
    CD_SetCommandLog(&m_Log);
  }
  void TearDown() override { CD_Reset(); }
  // The play and seek commands sent by a call.
  std::vector<std::string> Moves(const char* name, std::initializer_list<RValue> args) {
    m_Log.clear();
    CallByName(name, args);
    std::vector<std::string> moves;
    std::copy_if(m_Log.begin(), m_Log.end(), std::back_inserter(moves),
                 [](const std::string& c) { return c.rfind("play", 0) == 0 || c.rfind("seek", 0) == 0; });
    return moves;
  }
  CFakeCDDrive* m_Drive = nullptr;
  std::vector<std::string> m_Log;
};

using Commands = std::vector<std::string>;

}  // namespace

TEST_F(CDAudio, PlayCommandsByTrack) {
  EXPECT_EQ(Real("cd_present"), 1);
  EXPECT_EQ(Real("cd_number"), 12);
  EXPECT_EQ(Moves("cd_play", {R(3), R(5)}), Commands{"play cdaudio from 3 to 6"});
  EXPECT_EQ(m_Drive->PlayedFrom, 150 + 2 * 3 * kMinute);
  EXPECT_EQ(m_Drive->PlayedTo, 150 + 5 * 3 * kMinute);
  EXPECT_EQ(Moves("cd_play", {R(3), R(12)}), Commands{"play cdaudio from 3"});
  EXPECT_EQ(m_Drive->PlayedTo, 150 + 12 * 3 * kMinute);
  EXPECT_EQ(Moves("action_cd_play", {R(0), R(2)}), Commands{"play cdaudio from 1 to 3"});
  EXPECT_EQ(Moves("cd_play", {R(5), R(3)}), Commands{});
}

TEST_F(CDAudio, StateAndPositions) {
  CallByName("cd_play", {R(4), R(12)});
  EXPECT_EQ(Real("cd_playing"), 1);
  EXPECT_EQ(Real("action_cd_playing"), 1);
  EXPECT_EQ(Real("cd_track"), 4);
  EXPECT_EQ(Real("cd_track_position"), 0);
  EXPECT_EQ(Real("cd_position"), (150 + 9 * kMinute) * 1000 / 75);
  EXPECT_EQ(Moves("cd_set_track_position", {R(125500)}), Commands{"play cdaudio from 4:2:5"});
  EXPECT_EQ(m_Drive->PlayedFrom, 150 + 9 * kMinute + 125 * 75);
  EXPECT_EQ(Real("cd_track_position"), 125000);
  EXPECT_EQ(Real("cd_length"), 12 * 3 * 60000);
  EXPECT_EQ(Real("cd_track_length", {R(1)}), 3 * 60000);
  EXPECT_EQ(Real("cd_track_length", {R(0)}), 0);
  EXPECT_EQ(Real("cd_track_length", {R(13)}), 0);
  CallByName("cd_pause");
  EXPECT_EQ(Real("cd_paused"), 1);
  EXPECT_EQ(Real("cd_playing"), 0);
  CallByName("action_cd_resume");
  EXPECT_EQ(Real("cd_playing"), 1);
  CallByName("action_cd_stop");
  EXPECT_EQ(Real("cd_paused"), 1);
  // Stopped, a new position is a seek that the next plain play starts from.
  EXPECT_EQ(Moves("cd_set_position", {R(60000)}), Commands{"seek cdaudio to 60000"});
  EXPECT_EQ(Real("cd_position"), 60000);
  CallByName("cd_resume");
  EXPECT_EQ(m_Drive->PlayedFrom, kMinute);
  // The time format is back to tracks after every built-in.
  EXPECT_EQ(CallByName("MCI_command", {Str("status cdaudio position")}).str.substr(0, 3), "01:");
  CallByName("cd_open_door");
  EXPECT_EQ(CallByName("MCI_command", {Str("status cdaudio mode")}).str, "open");
  EXPECT_EQ(Real("cd_present"), 0);
  CallByName("cd_close_door");
  EXPECT_EQ(Real("action_cd_present"), 1);
}

TEST_F(CDAudio, NoDiscAndNoDrive) {
  for (bool drive : {true, false}) {
    CD_SetDrive(drive ? std::make_unique<CFakeCDDrive>(std::vector<int32_t>()) : nullptr);
    for (const char* name : {"cd_present", "cd_number", "cd_length", "cd_position", "cd_track", "cd_track_position",
                             "cd_playing", "cd_paused"})
      EXPECT_EQ(Real(name), 0) << name << (drive ? " (no disc)" : " (no drive)");
    EXPECT_EQ(Moves("cd_play", {R(1), R(3)}), Commands{});
    CallByName("cd_init");
    EXPECT_EQ(CallByName("MCI_command", {Str("status cdaudio number of tracks")}).str, "");
  }
  // Other devices and garbage get no answer.
  CD_SetDrive(std::make_unique<CFakeCDDrive>(std::vector<int32_t>(2, kMinute)));
  EXPECT_EQ(CD_Command("status waveaudio mode"), "");
  EXPECT_EQ(CD_Command(""), "");
  EXPECT_EQ(CD_Command("play cdaudio from 99:99:99:99 to x"), "");
  EXPECT_EQ(CD_Command("STATUS CDAUDIO NUMBER OF TRACKS WAIT"), "2");
}
