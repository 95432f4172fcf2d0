// Function_Action: the action_ built-ins that the standard actions call.
// Most read argument_relative: when set, the values given are added to the
// current ones. Actions that only forward to a built-in of another module
// call it through the registry.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "code/Code_Error.h"
#include "code/Script_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Room_Draw.h"
#include "platform/Platform.h"
#include "world/Run_Global.h"
#include "step/Run_Handle_Collision.h"
#include "variables/Code_Function.h"
#include "variables/Function_Math.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

bool Relative() { return Action_ArgumentRelative; }
// The value given, or the current one plus it when relative.
double Rel(double current, double given) { return Relative() ? current + given : given; }

// ---- forwarding to built-ins of other modules ----

enum Target {
  kInstanceDestroy,
  kInstanceChange,
  kInstanceNumber,
  kRoomGoto,
  kRoomGotoPrevious,
  kRoomGotoNext,
  kRoomRestart,
  kGameEnd,
  kGameRestart,
  kEventInherited,
  kPlaceMeeting,
  kGameSave,
  kGameLoad,
  kTargetCount
};
constexpr std::array<const char*, kTargetCount> kTargetNames{
    "instance_destroy", "instance_change", "instance_number",   "room_goto", "room_goto_previous",
    "room_goto_next",   "room_restart",    "game_end",          "game_restart", "event_inherited",
    "place_meeting",    "game_save",       "game_load"};

// Registry ids looked up once, at the first forwarded call (every module
// has registered by then).
int32_t TargetId(Target t) {
  static const std::array<int32_t, kTargetCount> ids = [] {
    std::array<int32_t, kTargetCount> found{};
    for (size_t i = 0; i < kTargetCount; i++) found[i] = Function_BuiltinIdOf(kTargetNames[i]);
    return found;
  }();
  return ids[t];
}

void Call(Target t, CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  CallBuiltin(TargetId(t), self, other, argc, args, result);
}

// An action that is exactly a built-in of another module.
template <Target T>
void A_Forward(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  Call(T, self, other, argc, args, result);
}

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
  RSpriteShape shape;
  bool sprite = Instance_SpriteShape(self->sprite_index, shape);
  double w = sprite ? (shape.right - shape.left + 1) * self->image_xscale : 0;
  double h = sprite ? (shape.bottom - shape.top + 1) * self->image_yscale : 0;
  double x = self->x, y = self->y;
  if (dir == 0 || dir == 2) WrapAxis(x, self->hspeed, room->width, w);
  if (dir == 1 || dir == 2) WrapAxis(y, self->vspeed, room->height, h);
  self->SetPosition(x, y);
}

// move_bounce with adv = precise, against every instance when against is 1.
void A_Bounce(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  Collision_MoveBounce(self, ArgBool(args, 0), ArgInt(args, 1) == 1 ? COLLISION_ALL : COLLISION_SOLID);
}

// ---- looks ----

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

void A_ChangeObject(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  args[1].SetReal(ArgInt(args, 1) > 0.5 ? 1 : 0);
  Call(kInstanceChange, self, other, 2, args, result);
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
  Call(kInstanceNumber, self, other, 1, args, count);
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
  Call(kPlaceMeeting, self, other, 3, call, result);
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
    {"action_kill_object", A_Forward<kInstanceDestroy>, 0},
    {"action_create_object", A_CreateObject, 3},
    {"action_create_object_motion", A_CreateObjectMotion, 5},
    {"action_create_object_random", A_CreateObjectRandom, 6},
    {"action_change_object", A_ChangeObject, 2},
    {"action_another_room", A_Forward<kRoomGoto>, 1},
    {"action_current_room", A_Forward<kRoomRestart>, 0},
    {"action_previous_room", A_Forward<kRoomGotoPrevious>, 0},
    {"action_next_room", A_Forward<kRoomGotoNext>, 0},
    {"action_if_previous_room", A_IfNeighbourRoom<-1>, 0},
    {"action_if_next_room", A_IfNeighbourRoom<1>, 0},
    {"action_set_alarm", A_SetAlarm, 2},
    {"action_set_timeline", A_SetTimeline, 2},
    {"action_set_timeline_position", A_SetTimelinePosition, 1},
    {"action_end_game", A_Forward<kGameEnd>, 0},
    {"action_restart_game", A_Forward<kGameRestart>, 0},
    {"action_save_game", A_Forward<kGameSave>, 1},
    {"action_load_game", A_Forward<kGameLoad>, 1},
    {"action_if", A_If, 1},
    {"action_if_number", A_IfNumber, 3},
    {"action_if_dice", A_IfDice, 1},
    {"action_if_empty", A_IfPlace<true>, 3},
    {"action_if_collision", A_IfPlace<false>, 3},
    {"action_if_object", A_IfObject, 3},
    {"action_execute_script", A_ExecuteScript, 6},
    {"action_inherited", A_Forward<kEventInherited>, 0},
    {"action_if_variable", A_IfVariable, 3},
    {"action_set_score", A_SetScore, 1},
    {"action_if_score", A_IfGame<&RGameGlobals::score>, 2},
    {"action_set_life", A_SetLife, 1},
    {"action_if_life", A_IfGame<&RGameGlobals::lives>, 2},
    {"action_set_health", A_SetHealth, 1},
    {"action_if_health", A_IfGame<&RGameGlobals::health>, 2},
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
