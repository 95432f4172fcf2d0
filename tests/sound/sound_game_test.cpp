// A whole game that plays a sound and background music, headless.
#include <gtest/gtest.h>

#include "sound/Sound_Class.h"
#include "sound/Sound_TestUtil.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Object_Class.h"

TEST(SoundGame, PlaysASoundAndMusicHeadless) {
  RGameData game = TestGame_OneRoom();
  for (auto [name, kind] : {std::pair{"snd_hit", SOUND_KIND_NORMAL}, std::pair{"snd_music", SOUND_KIND_BACKGROUND}}) {
    RSoundRecord& r = game.sounds.emplace_back(RSoundRecord()).value();
    r.name = name;
    r.kind = kind;
    r.fileType = ".wav";
    r.hasData = true;
    r.data = SineWav(440, 3);
  }
  game.objects = {TestWorld_Object(
      "obj_player", -1,
      {{EV_CREATE, 0,
        "sound_play(snd_hit); sound_loop(snd_music); sound_pan(snd_hit, -0.5);"
        "show_debug_message('sounds ' + string(sound_isplaying(snd_hit)) + ' ' + string(sound_isplaying(snd_music))"
        " + ' ' + string(sound_get_kind(snd_music)) + ' ' + sound_get_name(snd_hit) + ' ' + string(cd_present()))"}})};
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  RRunResult r = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(game, "sound.game"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("sounds 1 1 1 snd_hit 0\n"), std::string::npos) << r.err;
}
