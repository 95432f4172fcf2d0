// Function_Action: the action_ built-ins that the standard actions call.
// Most read argument_relative: when set, the values given are added to the
// current ones. Actions that only forward to a built-in of another module
// call it through the registry, so that they share its checks and messages.
// Where an action's arguments are not fixed elsewhere they are those of the
// built-in it forwards to, in the same order, less what the action supplies
// itself; each such action says so.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "code/Code_Error.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Process.h"
#include "world/Run_Global.h"
#include "step/Run_Handle_Collision.h"
#include "variables/Code_Function.h"
#include "variables/Function_Math.h"
#include "variables/Variable_BuiltIn.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

bool Relative() { return Action_ArgumentRelative; }
// The value given, or the current one plus it when relative.
double Rel(double current, double given) { return Relative() ? current + given : given; }

// ---- forwarding to built-ins of other modules ----

// A built-in's name as a template argument: each forwarding call site
// looks its registry id up once, at its first call (every module has
// registered by then).
template <size_t N>
struct RBuiltinName {
  char text[N];
  constexpr RBuiltinName(const char (&name)[N]) { std::copy_n(name, N, text); }
};

template <RBuiltinName Name>
void Call(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  static const int32_t id = Function_BuiltinIdOf(Name.text);
  if (id >= 0) CallBuiltin(id, self, other, argc, args, result);
}

// Calls a built-in with the values given, in fresh slots: the caller's
// slots may be fewer than the built-in reads.
template <RBuiltinName Name, class... V>
void CallWith(CInstance* self, CInstance* other, RValue& result, V&&... values) {
  RValue call[MAX_ARGUMENTS] = {RValue(std::forward<V>(values))...};
  Call<Name>(self, other, static_cast<int>(sizeof...(V)), call, result);
}

// An action that is exactly a built-in of another module.
template <RBuiltinName Name>
void A_Forward(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  Call<Name>(self, other, argc, args, result);
}

// A position given to an action: relative to self when relative.
double AtX(const CInstance* self, double x) { return Relative() && self ? x + self->x : x; }
double AtY(const CInstance* self, double y) { return Relative() && self ? y + self->y : y; }

void A_Nothing(CInstance*, CInstance*, int, RValue*, RValue&) {}

// ---- motion ----

void A_SetMotion(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (Relative()) {
    self->AddMotion(ArgReal(args, 0), ArgReal(args, 1));
    return;
  }
  self->SetDirection(ArgReal(args, 0));
  self->SetSpeed(ArgReal(args, 1));
}

void A_SetHspeed(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->SetHspeed(Rel(self->hspeed, ArgReal(args, 0)));
}
void A_SetVspeed(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->SetVspeed(Rel(self->vspeed, ArgReal(args, 0)));
}
void A_SetGravity(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->gravity_direction = Rel(self->gravity_direction, ArgReal(args, 0));
  self->gravity = Rel(self->gravity, ArgReal(args, 1));
}
void A_SetFriction(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->friction = Rel(self->friction, ArgReal(args, 0));
}
void A_PathPosition(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->SetPathPosition(Rel(self->path_position, ArgReal(args, 0)));
}
void A_PathSpeed(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->path_speed = Rel(self->path_speed, ArgReal(args, 0));
}

void A_MoveTo(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->SetPosition(Rel(self->x, ArgReal(args, 0)), Rel(self->y, ArgReal(args, 1)));
}
// As move_towards_point, the point relative to self when relative: the
// components point at it, then the speed is set.
void A_MovePoint(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  double tx = ArgReal(args, 0), ty = ArgReal(args, 1);
  if (Relative()) {
    tx += self->x;
    ty += self->y;
  }
  self->SetHspeed(tx - self->x);
  self->SetVspeed(ty - self->y);
  self->SetSpeed(ArgReal(args, 2));
}

void A_MoveStart(CInstance* self, CInstance*, int, RValue*, RValue&) { self->SetPosition(self->xstart, self->ystart); }
void A_ReverseXdir(CInstance* self, CInstance*, int, RValue*, RValue&) { self->SetHspeed(-self->hspeed); }
void A_ReverseYdir(CInstance* self, CInstance*, int, RValue*, RValue&) { self->SetVspeed(-self->vspeed); }

// Directions of the nine pad positions, bottom row first; -1 is stop.
constexpr double kPadDirections[9] = {225, 270, 315, 180, -1, 0, 135, 90, 45};

void A_Move(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  const std::string& dirs = ArgString(args, 0);
  if (dirs.size() != 9) {
    ReportActionError("Wrong argument to action_move().");
    return;
  }
  if (dirs.find('1') == std::string::npos) return;
  double speed = Rel(self->speed, ArgReal(args, 1));
  uint32_t pick;
  do pick = Random_Below(9);
  while (dirs[pick] != '1');
  if (kPadDirections[pick] < 0) {
    self->SetDirection(0);
    self->SetSpeed(0);
    return;
  }
  self->SetDirection(kPadDirections[pick]);
  self->SetSpeed(speed);
}

// Wraps one axis: leaving on the side it moves to, it enters on the other.
void WrapAxis(double& pos, double speed, double room_size, double sprite_size) {
  if (speed < 0 && pos < 0) pos += room_size + sprite_size;
  else if (speed > 0 && pos >= room_size) pos -= room_size + sprite_size;
}

void A_Wrap(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  CRoom* room = Room_Current();
  if (!room) return;
  int32_t dir = ArgInt(args, 0);
  // The sprite's whole size, not its box: an instance leaving the room
  // re-enters one sprite width beyond the other edge, however its mask lies.
  const CSprite* sprite = Sprite_Get(self->sprite_index);
  const double w = sprite ? sprite->width * self->image_xscale : 0;
  const double h = sprite ? sprite->height * self->image_yscale : 0;
  double x = self->x, y = self->y;
  if (dir == 0 || dir == 2) WrapAxis(x, self->hspeed, room->width, w);
  if (dir == 1 || dir == 2) WrapAxis(y, self->vspeed, room->height, h);
  self->SetPosition(x, y);
}

// move_bounce with adv = precise, against every instance when against is 1.
void A_Bounce(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  Collision_MoveBounce(self, ArgBool(args, 0), ArgInt(args, 1) == 1 ? COLLISION_ALL : COLLISION_SOLID);
}

// move_contact_solid, or move_contact_all when against is 1 (as
// action_bounce): (dir, maxdist, against).
void A_MoveContact(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (ArgInt(args, 2) == 1)
    CallWith<"move_contact_all">(self, other, result, args[0], args[1]);
  else
    CallWith<"move_contact_solid">(self, other, result, args[0], args[1]);
}

// ---- looks ----

// Sets the sprite as instance_sprite does; false (after its report) when
// the sprite does not exist.
bool SetSprite(CInstance* self, CInstance* other, const RValue& sprite) {
  RValue ignored;
  CallWith<"instance_sprite">(self, other, ignored, sprite);
  return Sprite_Exists(ArgInt(&sprite, 0));
}

void A_SetSprite(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  if (!SetSprite(self, other, args[0]) || !self) return;
  const double scale = ArgReal(args, 1);
  if (scale > 0) {
    self->SetXScale(scale);
    self->SetYScale(scale);
  }
}

void A_SpriteSet(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  if (!SetSprite(self, other, args[0]) || !self) return;
  if (ArgReal(args, 1) >= 0) self->image_index = ArgReal(args, 1);
  self->image_speed = ArgReal(args, 2);
}

// (colour, alpha): the blend colour and alpha of self's sprite.
void A_SpriteColor(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (!self) return;
  self->image_blend = ArgInt(args, 0);
  self->image_alpha = ArgReal(args, 1);
}

void A_SpriteTransform(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t mirror = ArgInt(args, 3);
  double xscale = ArgReal(args, 0), yscale = ArgReal(args, 1);
  if (mirror == 1 || mirror == 3) xscale = -xscale;
  if (mirror == 2 || mirror == 3) yscale = -yscale;
  self->SetXScale(xscale);
  self->SetYScale(yscale);
  self->SetAngle(ArgReal(args, 2));
}

// ---- instances ----

// Creates an instance for the create actions, with its motion set before
// its create event.
void CreateWithMotion(CInstance* self, int32_t object, double x, double y, double speed, double direction) {
  if (!Object_Exists(object)) {
    ReportActionError("Creating instance for non-existing object: " + std::to_string(object));
    return;
  }
  CRoom* room = Room_Current();
  if (!room) return;
  if (Relative()) {
    x += self->x;
    y += self->y;
  }
  CInstance* inst = room->CreateInstance(Instance_NewId(), object, x, y);
  inst->SetSpeed(speed);
  inst->SetDirection(direction);
  PerformEvent(inst, inst, EV_CREATE, 0);
}

void A_CreateObject(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  CreateWithMotion(self, ArgInt(args, 0), ArgReal(args, 1), ArgReal(args, 2), 0, 0);
}
void A_CreateObjectMotion(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  CreateWithMotion(self, ArgInt(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4));
}
void A_CreateObjectRandom(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t existing[4];
  uint32_t n = 0;
  for (int i = 0; i < 4; i++) {
    if (Object_Exists(ArgInt(args, i))) existing[n++] = ArgInt(args, i);
  }
  if (n == 0) return;
  CreateWithMotion(self, existing[Random_Below(n)], ArgReal(args, 4), ArgReal(args, 5), 0, 0);
}

// position_destroy (x, y), the point relative to self when relative.
void A_KillPosition(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"position_destroy">(self, other, result, AtX(self, ArgReal(args, 0)), AtY(self, ArgReal(args, 1)));
}

void A_ChangeObject(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  args[1].SetReal(ArgInt(args, 1) > 0.5 ? 1 : 0);
  Call<"instance_change">(self, other, 2, args, result);
}

void A_SetAlarm(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t alarm = ArgInt(args, 1);
  int32_t steps = ArgInt(args, 0);
  int32_t current = self->GetAlarm(alarm);
  self->SetAlarm(alarm, Relative() && current >= 0 ? current + steps : steps);
}

void A_SetTimeline(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  self->timeline_index = ArgInt(args, 0);
  self->timeline_position = ArgInt(args, 1);
}
void A_SetTimelinePosition(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t position = ArgInt(args, 0);
  self->timeline_position = Relative() ? self->timeline_position + position : position;
}

// ---- questions ----

void Answer(RValue& result, bool yes) { result.SetReal(yes ? 1 : 0); }

// Operation 1 less than, 2 greater than, anything else equal.
template <typename T>
bool Compare(const T& a, const T& b, int32_t operation) {
  if (operation == 1) return a < b;
  if (operation == 2) return a > b;
  return a == b;
}

void A_If(CInstance*, CInstance*, int, RValue* args, RValue& result) { Answer(result, args[0].real >= 0.5); }

void A_IfVariable(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t operation = ArgInt(args, 2);
  if (args[0].kind != args[1].kind) {
    ReportActionError("Cannot compare arguments.");
    return;
  }
  Answer(result, args[0].IsReal() ? Compare(args[0].real, args[1].real, operation)
                                  : Compare(args[0].str, args[1].str, operation));
}

template <auto Value>
void A_IfGame(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  Answer(result, Compare<double>(Game.*Value, ArgReal(args, 0), ArgInt(args, 1)));
}

void A_IfNumber(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  RValue count;
  Call<"instance_number">(self, other, 1, args, count);
  Answer(result, Compare(count.real, ArgReal(args, 1), ArgInt(args, 2)));
}

void A_IfDice(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double sides = ArgReal(args, 0);
  if (sides <= 1) {
    Answer(result, true);
    return;
  }
  int64_t range = std::min<int64_t>(RoundToInt64(sides * 1000), UINT32_MAX);
  Answer(result, Random_Below(static_cast<uint32_t>(range)) < 1001);
}

// Whether the place (relative to self when relative) is free: of solids for
// objects 0, of every instance otherwise; action_if_collision (Free false)
// asks the opposite.
template <bool Free>
void A_IfPlace(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  const ECollisionAgainst against = ArgInt(args, 2) == 0 ? COLLISION_SOLID : COLLISION_ALL;
  const bool free = Collision_PlaceFree(self, Rel(self->x, ArgReal(args, 0)), Rel(self->y, ArgReal(args, 1)), against);
  Answer(result, free == Free);
}

// place_meeting (x, y, obj) from (obj, x, y), relative to self when relative.
void A_IfObject(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  RValue call[3] = {RValue(Rel(self->x, ArgReal(args, 1))), RValue(Rel(self->y, ArgReal(args, 2))), args[0]};
  Call<"place_meeting">(self, other, 3, call, result);
}

// Buttons 1 to 3: that button is held; anything else: none is.
void A_IfMouse(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const int32_t button = ArgInt(args, 0);
  CallWith<"mouse_check_button">(self, other, result, button >= 1 && button <= 3 ? button : 0);
}

template <int Step>
void A_IfNeighbourRoom(CInstance*, CInstance*, int, RValue*, RValue& result) {
  const std::vector<int32_t>& order = Room_Order();
  bool edge = order.empty() || (Step < 0 ? order.front() : order.back()) == RoomIndex;
  Answer(result, !edge);
}

// ---- score, lives, health ----

void A_SetScore(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Game.score = RoundToInt32(Rel(Game.score, ArgReal(args, 0)));
}
void A_SetLife(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Global_SetLives(RoundToInt32(Rel(Game.lives, ArgReal(args, 0))));
}
void A_SetHealth(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Global_SetHealth(Rel(Game.health, ArgReal(args, 0)));
}

// ---- code ----

void A_ExecuteScript(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (!CallScript(ArgInt(args, 0), self, other, result, args + 1, 5) && !RecordedError().empty()) {
    ReportActionError(RecordedError());
    ClearRecordedError();
  }
}

// Draws the room first when asked, then waits, the window staying responsive.
void A_Sleep(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (ArgBool(args, 1)) {
    if (CRoom* room = Room_Current()) Room_Draw(*room);
    D3D_Present();
    D3D_BeginFrame();
  }
  const int64_t until = Platform_Microseconds() + ArgInt64(args, 0) * 1000;
  for (int64_t now = Platform_Microseconds(); now < until; now = Platform_Microseconds()) {
    Platform_ProcessMessages();
    Platform_SleepMilliseconds(static_cast<int32_t>(std::min<int64_t>(10, (until - now + 999) / 1000)));
  }
}

// The variable's value as text at the point (relative to self when relative).
void A_DrawVariable(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  const double x = ArgReal(args, 1) + (Relative() && self ? self->x : 0);
  const double y = ArgReal(args, 2) + (Relative() && self ? self->y : 0);
  Text_Draw(x, y, ArgText(args, 0), -1, -1, RTextLook{});
}

// ---- caption, cursor, web page, screen ----

// Writes a built-in variable as a script assignment does, through its setter.
void SetBuiltinVariable(CInstance* self, std::string_view name, const RValue& value) {
  const int32_t id = BuiltinIndexOf(name);
  if (id >= 0) SetInstanceVariable(self, id, 0, value);
}

// (show score, score caption, show lives, lives caption, show health, health
// caption): the variables the window caption is made of.
void A_SetCaption(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  static constexpr std::string_view kNames[6] = {"show_score",    "caption_score", "show_lives",
                                                 "caption_lives", "show_health",   "caption_health"};
  for (int i = 0; i < 6; i++) SetBuiltinVariable(self, kNames[i], args[i]);
}

// (sprite, show): the cursor sprite, and the system cursor shown (the
// default shape) or hidden.
void A_SetCursor(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  Game.cursor_sprite = ArgInt(args, 0);
  constexpr double kCursorDefault = 0, kCursorNone = -1;
  CallWith<"window_set_cursor">(self, other, result, ArgBool(args, 1) ? kCursorDefault : kCursorNone);
}

// (address): the desktop opens it.
void A_Webpage(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (SecureMode) {
    ReportActionError("In secure mode you cannot open webpages.");
    return;
  }
  if (!Process_OpenWithDesktop(ArgString(args, 0), "")) ReportActionError("Failed to open the webpage.");
}

// (mode): 1 a window, 2 full screen, anything else switches between them.
void A_Fullscreen(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const int32_t mode = ArgInt(args, 0);
  bool full = mode == 2;
  if (mode != 1 && mode != 2) {
    RValue now;
    CallWith<"window_get_fullscreen">(self, other, now);
    full = now.real < 0.5;
  }
  CallWith<"window_set_fullscreen">(self, other, result, full ? 1.0 : 0.0);
}

// (back, border, new colour, other colour, font, size): the highscore table
// as highscore_show_ext shows it, offering the current score.
void A_HighscoreShow(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"highscore_show_ext">(self, other, result, static_cast<double>(Game.score), args[0], args[1], args[2],
                                 args[3], args[4], args[5]);
}

// ---- replacing resources ----

// Whether a resource may be replaced from `file`: it must exist, and so must
// the file.
bool Replaceable(bool exists, const std::string& file) {
  if (!exists) {
    ReportActionError("Trying to replace non-existing resource.");
    return false;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(Path_Resolve(file), error)) {
    ReportActionError("File does not exist.");
    return false;
  }
  return true;
}

// (sprite, file, images): sprite_replace keeping the sprite's own settings.
void A_ReplaceSprite(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const CSprite* sprite = Sprite_Get(ArgInt(args, 0));
  if (!Replaceable(sprite != nullptr, ArgString(args, 1))) return;
  CallWith<"sprite_replace">(self, other, result, args[0], args[1], args[2], double(sprite->precise),
                             double(sprite->transparent), double(sprite->smooth), double(sprite->preload),
                             double(sprite->xorigin), double(sprite->yorigin));
}

// (background, file): background_replace keeping the background's settings.
void A_ReplaceBackground(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const CBackground* back = Background_Get(ArgInt(args, 0));
  if (!Replaceable(back != nullptr, ArgString(args, 1))) return;
  CallWith<"background_replace">(self, other, result, args[0], args[1], double(back->transparent), double(back->smooth),
                                 double(back->preload));
}

// ---- drawing ----

bool DrawableSprite(int32_t sprite) {
  if (Sprite_Exists(sprite)) return true;
  ReportActionError("Trying to draw a non-existing sprite.");
  return false;
}

// (sprite, subimg, x, y) as draw_sprite.
void A_DrawSprite(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (!DrawableSprite(ArgInt(args, 0))) return;
  CallWith<"draw_sprite">(self, other, result, args[0], args[1], AtX(self, ArgReal(args, 2)),
                          AtY(self, ArgReal(args, 3)));
}

// (background, x, y, tiled): draw_background, or draw_background_tiled.
void A_DrawBackground(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (!Background_Exists(ArgInt(args, 0))) {
    ReportActionError("Trying to draw a non-existing background.");
    return;
  }
  const double x = AtX(self, ArgReal(args, 1)), y = AtY(self, ArgReal(args, 2));
  if (ArgBool(args, 3))
    CallWith<"draw_background_tiled">(self, other, result, args[0], x, y);
  else
    CallWith<"draw_background">(self, other, result, args[0], x, y);
}

// A built-in that takes the point x, y first (draw_text, draw_text_transformed):
// the point relative to self when relative, the other arguments as given.
template <RBuiltinName Name, int Count>
void A_DrawAtPoint(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  RValue call[MAX_ARGUMENTS];
  call[0].SetReal(AtX(self, ArgReal(args, 0)));
  call[1].SetReal(AtY(self, ArgReal(args, 1)));
  std::copy(args + 2, args + Count, call + 2);
  Call<Name>(self, other, Count, call, result);
}

// A built-in that takes two points first (x1, y1, x2, y2): both relative to
// self when relative, the other arguments as given.
template <RBuiltinName Name, int Count>
void A_DrawBetween(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  RValue call[MAX_ARGUMENTS];
  for (int i = 0; i < 4; i += 2) {
    call[i].SetReal(AtX(self, ArgReal(args, i)));
    call[i + 1].SetReal(AtY(self, ArgReal(args, i + 1)));
  }
  std::copy(args + 4, args + Count, call + 4);
  Call<Name>(self, other, Count, call, result);
}

// (x1, y1, x2, y2, colour 1, colour 2): a rectangle whose colour runs from
// the first to the second, left to right (Vertical false) or top to bottom.
template <bool Vertical>
void A_DrawGradient(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const RValue &c1 = args[4], &c2 = args[5];
  CallWith<"draw_rectangle_color">(self, other, result, AtX(self, ArgReal(args, 0)), AtY(self, ArgReal(args, 1)),
                                   AtX(self, ArgReal(args, 2)), AtY(self, ArgReal(args, 3)), c1, Vertical ? c1 : c2, c2,
                                   Vertical ? c2 : c1, 0.0);
}

// (x1, y1, x2, y2, colour 1, colour 2): a filled ellipse, colour 1 at the
// centre and colour 2 on the rim, as draw_ellipse_color.
void A_DrawEllipseGradient(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"draw_ellipse_color">(self, other, result, AtX(self, ArgReal(args, 0)), AtY(self, ArgReal(args, 1)),
                                 AtX(self, ArgReal(args, 2)), AtY(self, ArgReal(args, 3)), args[4], args[5], 0.0);
}

// (x, y, caption): the caption followed by the game value, as draw_text.
template <auto Value>
void A_DrawGameValue(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"draw_text">(self, other, result, AtX(self, ArgReal(args, 0)), AtY(self, ArgReal(args, 1)),
                        ArgText(args, 2) + std::to_string(Game.*Value));
}

// (x, y, sprite): image 0 of the sprite once per life, side by side.
void A_DrawLifeImages(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  const CSprite* sprite = Sprite_Get(ArgInt(args, 2));
  if (!DrawableSprite(ArgInt(args, 2))) return;
  const double x = AtX(self, ArgReal(args, 0)), y = AtY(self, ArgReal(args, 1));
  for (int32_t i = 0; i < Game.lives; i++)
    CallWith<"draw_sprite">(self, other, result, args[2], 0.0, x + double(i) * sprite->width, y);
}

// (x1, y1, x2, y2, back colour, bar colour): draw_healthbar of the health,
// filled from the left in the one bar colour, with back and border.
void A_DrawHealth(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"draw_healthbar">(self, other, result, AtX(self, ArgReal(args, 0)), AtY(self, ArgReal(args, 1)),
                             AtX(self, ArgReal(args, 2)), AtY(self, ArgReal(args, 3)), Game.health, args[4], args[5],
                             args[5], 0.0, 1.0, 1.0);
}

// (font, halign): the font and horizontal alignment of text drawing.
void A_Font(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CallWith<"draw_set_font">(self, other, result, args[0]);
  CallWith<"draw_set_halign">(self, other, result, args[1]);
}

const RFunctionDef kActionFunctions[] = {
    {"action_sleep", A_Sleep, 2},
    {"action_draw_variable", A_DrawVariable, 3},
    {"action_move", A_Move, 2},
    {"action_set_motion", A_SetMotion, 2},
    {"action_set_hspeed", A_SetHspeed, 1},
    {"action_set_vspeed", A_SetVspeed, 1},
    {"action_set_gravity", A_SetGravity, 2},
    {"action_set_friction", A_SetFriction, 1},
    {"action_move_to", A_MoveTo, 2},
    {"action_move_point", A_MovePoint, 3},
    {"action_move_start", A_MoveStart, 0},
    {"action_wrap", A_Wrap, 1},
    {"action_reverse_xdir", A_ReverseXdir, 0},
    {"action_reverse_ydir", A_ReverseYdir, 0},
    {"action_bounce", A_Bounce, 2},
    {"action_path_position", A_PathPosition, 1},
    {"action_path_speed", A_PathSpeed, 1},
    {"action_sprite_transform", A_SpriteTransform, 4},
    {"action_kill_object", A_Forward<"instance_destroy">, 0},
    {"action_create_object", A_CreateObject, 3},
    {"action_create_object_motion", A_CreateObjectMotion, 5},
    {"action_create_object_random", A_CreateObjectRandom, 6},
    {"action_change_object", A_ChangeObject, 2},
    {"action_another_room", A_Forward<"room_goto">, 1},
    {"action_current_room", A_Forward<"room_restart">, 0},
    {"action_previous_room", A_Forward<"room_goto_previous">, 0},
    {"action_next_room", A_Forward<"room_goto_next">, 0},
    {"action_if_previous_room", A_IfNeighbourRoom<-1>, 0},
    {"action_if_next_room", A_IfNeighbourRoom<1>, 0},
    {"action_set_alarm", A_SetAlarm, 2},
    {"action_set_timeline", A_SetTimeline, 2},
    {"action_set_timeline_position", A_SetTimelinePosition, 1},
    {"action_end_game", A_Forward<"game_end">, 0},
    {"action_restart_game", A_Forward<"game_restart">, 0},
    {"action_save_game", A_Forward<"game_save">, 1},
    {"action_load_game", A_Forward<"game_load">, 1},
    {"action_if", A_If, 1},
    {"action_if_number", A_IfNumber, 3},
    {"action_if_dice", A_IfDice, 1},
    {"action_if_empty", A_IfPlace<true>, 3},
    {"action_if_collision", A_IfPlace<false>, 3},
    {"action_if_object", A_IfObject, 3},
    {"action_execute_script", A_ExecuteScript, 6},
    {"action_inherited", A_Forward<"event_inherited">, 0},
    {"action_if_variable", A_IfVariable, 3},
    {"action_set_score", A_SetScore, 1},
    {"action_if_score", A_IfGame<&RGameGlobals::score>, 2},
    {"action_set_life", A_SetLife, 1},
    {"action_if_life", A_IfGame<&RGameGlobals::lives>, 2},
    {"action_set_health", A_SetHealth, 1},
    {"action_if_health", A_IfGame<&RGameGlobals::health>, 2},
    {"action_move_random", A_Forward<"move_random">, 2},
    {"action_snap", A_Forward<"move_snap">, 2},
    {"action_move_contact", A_MoveContact, 3},
    {"action_kill_position", A_KillPosition, 2},
    {"action_sprite_set", A_SpriteSet, 3},
    {"action_sprite_color", A_SpriteColor, 2},
    {"action_set_sprite", A_SetSprite, 2},
    {"action_if_mouse", A_IfMouse, 1},
    {"action_if_aligned", A_Forward<"place_snapped">, 2},
    {"action_set_caption", A_SetCaption, 6},
    {"action_set_cursor", A_SetCursor, 2},
    {"action_webpage", A_Webpage, 1},
    {"action_replace_sprite", A_ReplaceSprite, 3},
    {"action_replace_background", A_ReplaceBackground, 2},
    {"action_draw_sprite", A_DrawSprite, 4},
    {"action_draw_background", A_DrawBackground, 4},
    {"action_draw_text", A_DrawAtPoint<"draw_text", 3>, 3},
    {"action_draw_text_transformed", A_DrawAtPoint<"draw_text_transformed", 6>, 6},
    {"action_draw_rectangle", A_DrawBetween<"draw_rectangle", 5>, 5},
    {"action_draw_gradient_hor", A_DrawGradient<false>, 6},
    {"action_draw_gradient_vert", A_DrawGradient<true>, 6},
    {"action_draw_ellipse", A_DrawBetween<"draw_ellipse", 5>, 5},
    {"action_draw_ellipse_gradient", A_DrawEllipseGradient, 6},
    {"action_draw_line", A_DrawBetween<"draw_line", 4>, 4},
    {"action_draw_arrow", A_DrawBetween<"draw_arrow", 5>, 5},
    {"action_draw_score", A_DrawGameValue<&RGameGlobals::score>, 3},
    {"action_draw_life", A_DrawGameValue<&RGameGlobals::lives>, 3},
    {"action_draw_life_images", A_DrawLifeImages, 3},
    {"action_draw_health", A_DrawHealth, 6},
    {"action_color", A_Forward<"draw_set_color">, 1},
    {"action_font", A_Font, 2},
    {"action_fullscreen", A_Fullscreen, 1},
    {"action_snapshot", A_Forward<"screen_save">, 1},
    {"action_highscore_show", A_HighscoreShow, 6},
    // Kept for old games; they do nothing.
    {"action_path_old", A_Nothing, 4},
    {"action_draw_font", A_Nothing, 1},
    {"action_draw_font_old", A_Nothing, 6},
    {"action_fill_color", A_Nothing, 1},
    {"action_line_color", A_Nothing, 1},
    {"action_highscore", A_Nothing, 0},
};

}  // namespace

void Function_Action_Register() { RegisterFunctions(kActionFunctions); }
