// The splash built-ins: the splash_set_ settings, the splash_show_ functions
// and the older show_image, show_video and show_text with their action.
#include "runner/Runner_Splash.h"
#include "variables/Code_Function.h"

namespace {

template <bool RSplashSettings::*Field>
void F_SetFlag(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Splash_Settings.*Field = ArgBool(args, 0);
}

void F_SetCaption(CInstance*, CInstance*, int, RValue* args, RValue&) { Splash_Settings.caption = ArgString(args, 0); }

void F_SetSize(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Splash_Settings.width = ArgInt(args, 0);
  Splash_Settings.height = ArgInt(args, 1);
}

void F_SetColour(CInstance*, CInstance*, int, RValue* args, RValue&) { Splash_Settings.colour = ArgInt(args, 0); }
void F_SetScale(CInstance*, CInstance*, int, RValue* args, RValue&) { Splash_Settings.scale = ArgReal(args, 0); }

void F_SplashImage(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Splash_ShowImage(ArgString(args, 0), ArgInt(args, 1));
}
void F_SplashVideo(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Splash_ShowVideo(ArgString(args, 0), ArgBool(args, 1));
}
void F_SplashText(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Splash_ShowText(ArgString(args, 0), ArgInt(args, 1));
}

// The older forms choose between full screen and the game window first.
void SetFull(const RValue* args) {
  Splash_Settings.full_screen = ArgBool(args, 1);
  Splash_Settings.main = !Splash_Settings.full_screen;
}

void F_ShowImage(CInstance*, CInstance*, int, RValue* args, RValue&) {
  SetFull(args);
  Splash_ShowImage(ArgString(args, 0), ArgInt(args, 2));
}
void F_ShowVideo(CInstance*, CInstance*, int, RValue* args, RValue&) {
  SetFull(args);
  Splash_ShowVideo(ArgString(args, 0), ArgBool(args, 2));
}
void F_ShowText(CInstance*, CInstance*, int, RValue* args, RValue&) {
  SetFull(args);
  Splash_Settings.colour = ArgInt(args, 2);
  Splash_ShowText(ArgString(args, 0), ArgInt(args, 3));
}

constexpr RFunctionDef kFunctions[] = {
    {"splash_set_caption", F_SetCaption, 1},
    {"splash_set_fullscreen", F_SetFlag<&RSplashSettings::full_screen>, 1},
    {"splash_set_size", F_SetSize, 2},
    {"splash_set_adapt", F_SetFlag<&RSplashSettings::adapt>, 1},
    {"splash_set_border", F_SetFlag<&RSplashSettings::border>, 1},
    {"splash_set_top", F_SetFlag<&RSplashSettings::stay_on_top>, 1},
    {"splash_set_color", F_SetColour, 1},
    {"splash_set_main", F_SetFlag<&RSplashSettings::main>, 1},
    {"splash_set_scale", F_SetScale, 1},
    {"splash_set_cursor", F_SetFlag<&RSplashSettings::cursor>, 1},
    {"splash_set_interrupt", F_SetFlag<&RSplashSettings::interrupt>, 1},
    {"splash_set_stop_key", F_SetFlag<&RSplashSettings::stop_key>, 1},
    {"splash_set_stop_mouse", F_SetFlag<&RSplashSettings::stop_mouse>, 1},
    {"splash_show_image", F_SplashImage, 2},
    {"splash_show_video", F_SplashVideo, 2},
    {"splash_show_text", F_SplashText, 2},
    {"show_image", F_ShowImage, 3},
    {"show_video", F_ShowVideo, 3},
    {"show_text", F_ShowText, 4},
    {"action_show_video", F_ShowVideo, 3},
};

}  // namespace

void Function_Splash_Register() { RegisterFunctions(kFunctions); }
