// The sound table and its built-ins, preparation and its fallback to the
// multimedia player, the conversions of the playback settings, and the load
// step that starts it all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "data/Support_TempDir.h"
#include "runner/Runner_Sections.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_TestUtil.h"
#include "support/Builtin_Call.h"

namespace {

RValue R(double v) { return RValue(v); }
double Real(const char* name, std::initializer_list<RValue> args) { return CallByName(name, args).real; }

class SoundTable : public ::testing::Test {
 protected:
  void SetUp() override {
    Error_Reset();
    Sound_Reset();
    ASSERT_TRUE(Sound_Start());  // the dummy driver
  }
  void TearDown() override {
    Sound_Reset();
    Error_Reset();
  }
  // The message of the call, and the error state cleared.
  static std::string Reported(const char* name, std::initializer_list<RValue> args) {
    Error_Reset();
    CallByName(name, args);
    std::string text = ReportedError();
    Error_Reset();
    return text;
  }
};

}  // namespace

TEST_F(SoundTable, NamesAddReplaceAndDelete) {
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}, {SOUND_KIND_NORMAL, SineWav(440, 0.05)}});
  EXPECT_EQ(Sound_Find("snd1"), 1);
  EXPECT_EQ(CallByName("sound_get_name", {R(1)}).str, "snd1");
  EXPECT_EQ(CallByName("sound_name", {R(7)}).str, "<undefined>");
  EXPECT_EQ(Real("sound_get_kind", {R(7)}), -1);
  EXPECT_EQ(Real("sound_get_preload", {R(-1)}), -1);
  EXPECT_EQ(Real("sound_get_preload", {R(0)}), 1);

  const std::string file = WriteSoundFile("added.wav", SineWav(440, 0.05));
  EXPECT_EQ(Real("sound_add", {Str("no/such/file.wav"), R(0), R(1)}), -1);
  EXPECT_EQ(Sound_Count(), 2);
  EXPECT_EQ(Real("sound_add", {RValue(file), R(SOUND_KIND_3D), R(0)}), 2);
  EXPECT_EQ(CallByName("sound_get_name", {R(2)}).str, "__newsound2");
  EXPECT_EQ(Real("sound_get_kind", {R(2)}), SOUND_KIND_3D);
  EXPECT_EQ(Real("sound_get_preload", {R(2)}), 0);
  EXPECT_EQ(Sound_Get(2)->Sample, -1);  // prepared at its first use
  EXPECT_EQ(Sound_Get(2)->FileType, ".wav");

  EXPECT_EQ(Real("sound_delete", {R(0)}), 1);
  EXPECT_EQ(Real("sound_exists", {R(0)}), 0);
  EXPECT_EQ(Reported("sound_delete", {R(0)}), "Trying to delete non-existing sound.");
  // A deleted slot is filled again by replace; a slot beyond the table is not.
  EXPECT_EQ(Real("sound_replace", {R(0), RValue(file), R(SOUND_KIND_NORMAL), R(1)}), 1);
  EXPECT_EQ(Real("sound_exists", {R(0)}), 1);
  EXPECT_GE(Sound_Get(0)->Sample, 0);
  EXPECT_EQ(Reported("sound_replace", {R(9), RValue(file), R(0), R(1)}), "Trying to replace non-existing sound.");
  EXPECT_EQ(Real("sound_replace", {R(1), Str("missing.wav"), R(0), R(1)}), 0);
  EXPECT_EQ(CallByName("sound_get_name", {R(1)}).str, "snd1");
}

TEST_F(SoundTable, MessagesForMissingSounds) {
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}});
  for (const char* name : {"sound_play", "sound_loop", "sound_stop"})
    EXPECT_EQ(Reported(name, {R(3)}), "Sound does not exist.") << name;
  EXPECT_EQ(Reported("sound_volume", {R(3), R(1)}), "Sound does not exist.");
  EXPECT_EQ(Reported("sound_3d_set_sound_cone", {R(3), R(0), R(0), R(1), R(90), R(180), R(0)}),
            "Sound does not exist.");
  EXPECT_EQ(Reported("sound_isplaying", {R(3)}), "");
  EXPECT_EQ(Reported("sound_discard", {R(3)}), "");
  EXPECT_EQ(Reported("sound_restore", {R(3)}), "");
  EXPECT_EQ(Reported("action_sound", {R(3), R(0)}), "Trying to play non-existing sound.");
  EXPECT_EQ(Reported("action_end_sound", {R(3), R(0)}), "Trying to stop non-existing sound.");
  EXPECT_EQ(Real("action_if_sound", {R(3)}), 0);
  EXPECT_EQ(Reported("action_replace_sound", {R(3), Str("x.wav")}), "Trying to replace non-existing resource.");
  EXPECT_EQ(Reported("action_replace_sound", {R(0), Str("no_such_sound.wav")}), "File does not exist.");
}

TEST_F(SoundTable, SettingsInTheirUnits) {
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}, {SOUND_KIND_3D, SineWav(440, 0.05)}});
  const int32_t s = Sound_Get(0)->SampleOf();
  CallByName("sound_volume", {R(0), R(0)});
  EXPECT_EQ(Sample_VolumeHundredths(s), -9600);
  CallByName("sound_fade", {R(0), R(1), R(500)});
  EXPECT_EQ(Sample_VolumeHundredths(s), 0);
  CallByName("sound_pan", {R(0), R(-1)});
  EXPECT_EQ(Sample_PanHundredths(s), -10000);
  CallByName("sound_global_volume", {R(2)});
  EXPECT_EQ(Sound_GlobalVolume(), 1000);
  CallByName("sound_global_volume", {R(0)});
  EXPECT_EQ(Sound_GlobalVolume(), -10000);
  CallByName("sound_background_tempo", {R(0)});
  EXPECT_FLOAT_EQ(Sound_BackgroundTempo(), 0.01f);

  // Effect parameters reach only an effect the sound has.
  CallByName("sound_effect_echo", {R(0), R(10), R(20), R(30), R(40), R(1)});
  EXPECT_EQ(Sample_Effects(s, SOUND_EFFECT_ECHO), nullptr);
  CallByName("sound_effect_set", {R(0), R(SOUND_EFFECT_ECHO | SOUND_EFFECT_GARGLE)});
  CallByName("sound_effect_echo", {R(0), R(10), R(20), R(30), R(40), R(1)});
  CallByName("sound_effect_gargle", {R(0), R(7.4), R(1)});
  const REffectSettings* e = Sample_Effects(s, SOUND_EFFECT_ECHO);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->echo.rightdelay, 40);
  EXPECT_EQ(e->echo.pandelay, 1);
  EXPECT_EQ(e->gargle.rate, 7);
  CallByName("sound_effect_set", {R(0), R(384)});
  EXPECT_EQ(Sample_Effects(s, SOUND_EFFECT_DISTORTION)->bits, 384);
  // Discarding and restoring brings back the resource's own settings.
  CallByName("sound_discard", {R(0)});
  EXPECT_EQ(Sound_Get(0)->Sample, -1);
  CallByName("sound_restore", {R(0)});
  EXPECT_EQ(Sample_Effects(Sound_Get(0)->Sample, ~0), nullptr);
  EXPECT_EQ(Sample_VolumeHundredths(Sound_Get(0)->Sample), 0);

  // 3D settings act on 3D sounds only.
  EXPECT_EQ(Sample_3D(Sound_Get(0)->Sample), nullptr);
  CallByName("sound_3d_set_sound_distance", {R(1), R(-5), R(100)});
  CallByName("sound_3d_set_sound_cone", {R(1), R(1), R(0), R(0), R(90), R(180), R(0.5)});
  const R3DSource* src = Sample_3D(Sound_Get(1)->SampleOf());
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(src->minDistance, 0);
  EXPECT_EQ(src->maxDistance, 100);
  EXPECT_EQ(src->outsideVolume, -5000);
  EXPECT_EQ(src->angleOut, 180);
}

TEST_F(SoundTable, PreparationFallsBackToTheMultimediaPlayer) {
  TempDir_Create();
  // Bytes that no decoder takes, with an extension that tries to leave the
  // temporary directory.
  RSlots<RSoundRecord> records(2);
  records[0].emplace();
  records[0]->kind = SOUND_KIND_NORMAL;
  records[0]->fileType = "/../../escape";
  records[0]->hasData = true;
  records[0]->data = RBytes(300, 0x5A);
  records[1].emplace();  // a sound without data
  records[1]->kind = SOUND_KIND_NORMAL;
  records[1]->preload = false;
  Sound_Install(records);
  Sound_PreloadAll();
  const CSound& bad = *Sound_Get(0);
  EXPECT_EQ(bad.Kind, SOUND_KIND_MULTIMEDIA);
  EXPECT_TRUE(bad.Data.empty());
  ASSERT_FALSE(bad.TempFile.empty());
  EXPECT_EQ(std::filesystem::path(bad.TempFile).parent_path(), std::filesystem::path(TempDir_Path()));
  EXPECT_EQ(std::filesystem::file_size(bad.TempFile), 300u);
  EXPECT_EQ(Sample_Kind(bad.Sample), SOUND_KIND_MULTIMEDIA);
  CallByName("sound_play", {R(0)});  // the player cannot open it: nothing plays
  EXPECT_EQ(Real("sound_isplaying", {R(0)}), 0);
  EXPECT_EQ(Sound_Get(1)->SampleOf(), -1);

  // Without a device every sound goes to the player, and volume and pan do
  // nothing there.
  Sound_ShutDown();
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}});
  Sound_PreloadAll();
  EXPECT_EQ(Sound_Get(0)->Kind, SOUND_KIND_MULTIMEDIA);
  EXPECT_EQ(Sample_Kind(Sound_Get(0)->Sample), SOUND_KIND_MULTIMEDIA);
  CallByName("sound_pan", {R(0), R(1)});
  EXPECT_EQ(Sample_PanHundredths(Sound_Get(0)->Sample), 0);
  Sound_Reset();
  TempDir_Remove();
}

TEST_F(SoundTable, MultimediaPlaysOneFileAtATime) {
  TempDir_Create();
  InstallSounds({{SOUND_KIND_MULTIMEDIA, SineWav(440, 3)}, {SOUND_KIND_MULTIMEDIA, SineWav(660, 3)}});
  Sound_PreloadAll();
  CallByName("sound_loop", {R(0)});
  EXPECT_EQ(Real("sound_isplaying", {R(0)}), 1);
  CallByName("sound_play", {R(1)});
  EXPECT_EQ(Real("sound_isplaying", {R(0)}), 0);
  EXPECT_EQ(Real("sound_isplaying", {R(1)}), 1);
  CallByName("sound_stop", {R(0)});  // the player holds the other file
  EXPECT_EQ(Real("sound_isplaying", {R(1)}), 1);
  CallByName("sound_stop", {R(1)});
  EXPECT_EQ(Real("sound_isplaying", {R(1)}), 0);
  Sound_Reset();
  TempDir_Remove();
}

TEST_F(SoundTable, SamplesAreReusedAndSurviveANewStart) {
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}, {SOUND_KIND_NORMAL, SineWav(440, 0.05)}});
  Sound_PreloadAll();
  const int32_t first = Sound_Get(0)->Sample;
  CallByName("sound_discard", {R(0)});
  EXPECT_EQ(Sound_Get(1)->Sample, 1);
  CallByName("sound_restore", {R(0)});
  EXPECT_EQ(Sound_Get(0)->Sample, first);  // the freed slot again
  CallByName("sound_restore", {R(0)});     // again: no second slot
  EXPECT_EQ(Sample_Count(), 2);
  // A new start drops every sample; the sounds prepare again when used.
  ASSERT_TRUE(Sound_Start());
  EXPECT_EQ(Sound_Get(1)->Sample, -1);
  CallByName("sound_play", {R(1)});
  EXPECT_EQ(Sample_Kind(Sound_Get(1)->Sample), SOUND_KIND_NORMAL);
}

TEST(SoundLoad, PreparingSoundsIsALoadStep) {
  auto step = std::find_if(kPreparationSteps.begin(), kPreparationSteps.end(),
                           [](const RPreparationStep& s) { return s.percent == 80; });
  ASSERT_NE(step, kPreparationSteps.end());
  EXPECT_STREQ(step->text, "Preparing sounds");
  EXPECT_STREQ(step->failure, "Failed to prepare the sounds.");
  Sound_Reset();
  InstallSounds({{SOUND_KIND_NORMAL, SineWav(440, 0.05)}});
  EXPECT_TRUE(step->run());
  EXPECT_EQ(Sound_GlobalVolume(), 1000);
  EXPECT_GE(Sound_Get(0)->Sample, 0);
  ReleaseGame();
  EXPECT_FALSE(Sound_DeviceOpen());
  Sound_Reset();
}
