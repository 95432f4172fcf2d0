#include "variables/Variable_BuiltIn.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "data/Option_Main.h"
#include "functions/Function_File.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "data/Replay_Log.h"
#include "world/Run_Clock.h"
#include "world/Run_Global.h"
#include "world/Run_State.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "step/IO_Main.h"
#include "step/Run_Step.h"

bool Action_ArgumentRelative = false;
int32_t View_Current = 0;

namespace {

// ---- conversions ----

int32_t ToInt(const RValue& v) { return RoundToInt32(v.real); }
// A boolean variable is true when the value rounds to 1 or more.
bool ToBool(const RValue& v) { return RoundToInt64(v.real) >= 1; }

void Put(RValue& out, double v) { out.SetReal(v); }
void Put(RValue& out, int32_t v) { out.SetReal(v); }
void Put(RValue& out, bool v) { out.SetReal(v ? 1 : 0); }
void Put(RValue& out, const std::string& v) { out.SetString(v); }

void Take(double& field, const RValue& v) { field = v.real; }
void Take(int32_t& field, const RValue& v) { field = ToInt(v); }
void Take(bool& field, const RValue& v) { field = ToBool(v); }
void Take(std::string& field, const RValue& v) { field = v.str; }

// ---- instance fields ----

template <auto Field>
bool GetField(CInstance* inst, int32_t, RValue& out) {
  Put(out, inst->*Field);
  return true;
}

template <auto Field>
double RealField(const CInstance* inst) {
  return static_cast<double>(inst->*Field);
}

template <auto Field>
bool SetField(CInstance* inst, int32_t, const RValue& v) {
  Take(inst->*Field, v);
  return true;
}

// Fields whose change has consequences go through the instance's setter.
template <auto Setter>
bool SetVia(CInstance* inst, int32_t, const RValue& v) {
  (inst->*Setter)(v.real);
  return true;
}

template <auto Setter>
bool SetViaInt(CInstance* inst, int32_t, const RValue& v) {
  (inst->*Setter)(ToInt(v));
  return true;
}

bool SetX(CInstance* inst, int32_t, const RValue& v) {
  inst->SetPosition(v.real, inst->y);
  return true;
}
bool SetY(CInstance* inst, int32_t, const RValue& v) {
  inst->SetPosition(inst->x, v.real);
  return true;
}

int32_t AlarmSlot(int32_t index) { return index >= 0 && index < INSTANCE_ALARMS ? index : 0; }
bool GetAlarm(CInstance* inst, int32_t index, RValue& out) {
  out.SetReal(inst->alarm[AlarmSlot(index)]);
  return true;
}
bool SetAlarm(CInstance* inst, int32_t index, const RValue& v) {
  inst->alarm[AlarmSlot(index)] = ToInt(v);
  return true;
}

bool GetImageSingle(CInstance* inst, int32_t, RValue& out) {
  out.SetReal(inst->image_speed != 0 ? -1 : inst->image_index);
  return true;
}
bool SetImageSingle(CInstance* inst, int32_t, const RValue& v) {
  if (v.real >= 0) {
    inst->image_index = v.real;
    inst->image_speed = 0;
  } else {
    inst->image_speed = 1;
  }
  return true;
}

bool GetImageNumber(CInstance* inst, int32_t, RValue& out) {
  out.SetReal(inst->ImageCount());
  return true;
}

// sprite_width, sprite_height, sprite_xoffset, sprite_yoffset: a measure of
// the sprite scaled by the instance; 0 without a sprite.
template <int32_t CSprite::*Measure, double RInstanceState::*Scale>
double RealSpriteMeasure(const CInstance* inst) {
  const CSprite* s = Sprite_Get(inst->sprite_index);
  return s ? s->*Measure * inst->*Scale : 0;
}

template <int32_t CSprite::*Measure, double RInstanceState::*Scale>
bool GetSpriteMeasure(CInstance* inst, int32_t, RValue& out) {
  out.SetReal(RealSpriteMeasure<Measure, Scale>(inst));
  return true;
}

// ---- values of the game (the instance is ignored) ----

template <auto* Value>
bool GetValue(CInstance*, int32_t, RValue& out) {
  Put(out, *Value);
  return true;
}

template <auto* Value>
bool SetValue(CInstance*, int32_t, const RValue& v) {
  Take(*Value, v);
  return true;
}

// A read-only field of the run state.
template <auto Member>
bool GetRun(CInstance*, int32_t, RValue& out) {
  Put(out, RunState.*Member);
  return true;
}

template <auto Member>
bool GetGame(CInstance*, int32_t, RValue& out) {
  Put(out, Game.*Member);
  return true;
}

template <auto Member>
bool SetGame(CInstance*, int32_t, const RValue& v) {
  Take(Game.*Member, v);
  return true;
}

// A read-only value computed by a function.
template <auto Fn>
bool GetComputed(CInstance*, int32_t, RValue& out) {
  Put(out, Fn());
  return true;
}

bool SetRoom(CInstance* self, int32_t, const RValue& v) {
  RValue args[MAX_ARGUMENTS];
  args[0].SetReal(ToInt(v));
  RValue result;
  static const int32_t room_goto = Function_BuiltinIdOf("room_goto");
  CallBuiltin(room_goto, self, self, 1, args, result);
  return true;
}

int32_t RoomFirst() { return Room_Order().empty() ? -1 : Room_Order().front(); }
int32_t RoomLast() { return Room_Order().empty() ? -1 : Room_Order().back(); }

bool SetTransitionSteps(CInstance*, int32_t, const RValue& v) {
  Game.transition_steps = std::max(1, ToInt(v));
  return true;
}

bool SetLives(CInstance*, int32_t, const RValue& v) {
  Global_SetLives(ToInt(v));
  return true;
}
bool SetHealth(CInstance*, int32_t, const RValue& v) {
  Global_SetHealth(v.real);
  return true;
}
bool SetShowScore(CInstance*, int32_t, const RValue& v) {
  Game.show_score = ToBool(v);
  Game.score_shown_by_game = true;
  return true;
}

int32_t InstanceCount() { return static_cast<int32_t>(Room_Instances().size()); }
bool GetInstanceId(CInstance*, int32_t index, RValue& out) {
  const std::vector<CInstance*>& list = Room_Instances();
  out.SetReal(index >= 0 && static_cast<size_t>(index) < list.size() ? list[index]->id : -4);
  return true;
}

// ---- the current room, its backgrounds and views ----

template <auto Member>
bool GetRoomField(CInstance*, int32_t, RValue& out) {
  CRoom* room = Room_Current();
  if (room) Put(out, room->*Member);
  else out.SetReal(0);
  return true;
}

template <auto Member>
double RealRoomField(const CInstance*) {
  const CRoom* room = Room_Current();
  return room ? static_cast<double>(room->*Member) : 0;
}

template <auto Member>
bool SetRoomField(CInstance*, int32_t, const RValue& v) {
  if (CRoom* room = Room_Current()) Take(room->*Member, v);
  return true;
}

// A row for a number of the current room.
template <auto Member>
constexpr RVariableDef RoomNumberRow(const char* name, BuiltinSetter setter) {
  return {name, GetRoomField<Member>, setter, RealRoomField<Member>};
}

bool SetRoomSpeed(CInstance*, int32_t, const RValue& v) {
  int32_t speed = ToInt(v);
  if (speed <= 0) {
    ReportActionError("Trying to set the room speed to a value <= 0.");
    return false;
  }
  if (CRoom* room = Room_Current()) room->speed = speed;
  return true;
}

int32_t LayerSlot(int32_t index) { return index >= 0 && index < ROOM_LAYERS ? index : 0; }

// Background layer i or view i of the current room, null without a room.
template <typename T>
T* RoomPart(int32_t index);
template <>
CBack* RoomPart<CBack>(int32_t index) {
  CRoom* room = Room_Current();
  return room ? &room->backgrounds[LayerSlot(index)] : nullptr;
}
template <>
CView* RoomPart<CView>(int32_t index) {
  CRoom* room = Room_Current();
  return room ? &room->views[LayerSlot(index)] : nullptr;
}

template <typename T, auto Member>
bool GetPart(CInstance*, int32_t index, RValue& out) {
  if (T* part = RoomPart<T>(index)) Put(out, part->*Member);
  else out.SetReal(0);
  return true;
}

template <typename T, auto Member>
bool SetPart(CInstance*, int32_t index, const RValue& v) {
  if (T* part = RoomPart<T>(index)) Take(part->*Member, v);
  return true;
}

template <auto Member>
constexpr RVariableDef BackDef(const char* name) {
  return {name, GetPart<CBack, Member>, SetPart<CBack, Member>};
}
template <auto Member>
constexpr RVariableDef ViewDef(const char* name) {
  return {name, GetPart<CView, Member>, SetPart<CView, Member>};
}

// The size of the background resource a layer shows; 0 when it names none.
template <int32_t CBackground::*Measure>
bool GetBackgroundSize(CInstance*, int32_t index, RValue& out) {
  const CBack* layer = RoomPart<CBack>(index);
  const CBackground* b = layer ? Background_Get(layer->index) : nullptr;
  out.SetReal(b ? b->*Measure : 0);
  return true;
}

// ---- input ----

template <auto Member, int32_t Low, int32_t High>
bool SetInputRange(CInstance*, int32_t, const RValue& v) {
  int32_t n = ToInt(v);
  if (n >= Low && n <= High) IO_Input.*Member = n;
  return true;
}

template <auto Member>
bool GetInput(CInstance*, int32_t, RValue& out) {
  Put(out, IO_Input.*Member);
  return true;
}

bool GetLastChar(CInstance*, int32_t, RValue& out) {
  out.SetString(std::string(1, static_cast<char>(IO_Input.keyboard_lastchar)));
  return true;
}
bool SetLastChar(CInstance*, int32_t, const RValue& v) {
  if (!v.str.empty()) IO_Input.keyboard_lastchar = static_cast<uint8_t>(v.str[0]);
  return true;
}
bool SetKeyboardString(CInstance*, int32_t, const RValue& v) {
  IO_Input.keyboard_string = v.str;
  return true;
}

// ---- clock and date ----

// 1 Sunday .. 7 Saturday.
int32_t WeekdayOf(const RLocalTime& t) {
  using namespace std::chrono;
  const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)}, day{static_cast<unsigned>(t.day)}};
  return static_cast<int32_t>(weekday{sys_days{date}}.c_encoding()) + 1;
}

double CurrentFps() {
  return Replay_Real(REPLAY_FPS, [] { return RunState.Fps; });
}

enum DatePart { kYear, kMonth, kDay, kWeekday, kHour, kMinute, kSecond };
template <DatePart P>
bool GetDate(CInstance*, int32_t, RValue& out) {
  const RLocalTime t = Clock_LocalTime();
  int32_t v = 0;
  switch (P) {
    case kYear: v = t.year; break;
    case kMonth: v = t.month; break;
    case kDay: v = t.day; break;
    case kWeekday: v = WeekdayOf(t); break;
    case kHour: v = t.hour; break;
    case kMinute: v = t.minute; break;
    case kSecond: v = t.second; break;
  }
  out.SetReal(v);
  return true;
}

// ---- event context, errors, directories ----

template <auto Member>
bool GetEvent(CInstance*, int32_t, RValue& out) {
  out.SetReal(EventContext.*Member);
  return true;
}

bool GetErrorOccurred(CInstance*, int32_t, RValue& out) {
  out.SetReal(Error_Occurred() ? 1 : 0);
  return true;
}
bool SetErrorOccurred(CInstance*, int32_t, const RValue& v) {
  Error_SetOccurred(IsTrue(v.real));
  return true;
}
bool GetErrorLast(CInstance*, int32_t, RValue& out) {
  out.SetString(Error_Last());
  return true;
}
bool SetErrorLast(CInstance*, int32_t, const RValue& v) {
  Error_SetLast(v.str);
  return true;
}

template <auto Fn>
bool GetText(CInstance*, int32_t, RValue& out) {
  out.SetString(Fn());
  return true;
}

using S = RInstanceState;

// A row for an instance field, plain to set unless a setter is given (null:
// read-only), and always a real.
template <auto Field>
constexpr RVariableDef FieldRow(const char* name, BuiltinSetter setter = SetField<Field>) {
  return {name, GetField<Field>, setter, RealField<Field>};
}

// A read-only row for a sprite measure.
template <int32_t CSprite::*Measure, double RInstanceState::*Scale>
constexpr RVariableDef MeasureRow(const char* name) {
  return {name, GetSpriteMeasure<Measure, Scale>, nullptr, RealSpriteMeasure<Measure, Scale>};
}

const RVariableDef kInstanceVariables[] = {
    FieldRow<&S::x>("x", SetX),
    FieldRow<&S::y>("y", SetY),
    FieldRow<&S::xprevious>("xprevious"),
    FieldRow<&S::yprevious>("yprevious"),
    FieldRow<&S::xstart>("xstart"),
    FieldRow<&S::ystart>("ystart"),
    FieldRow<&S::hspeed>("hspeed", SetVia<&CInstance::SetHspeed>),
    FieldRow<&S::vspeed>("vspeed", SetVia<&CInstance::SetVspeed>),
    FieldRow<&S::direction>("direction", SetVia<&CInstance::SetDirection>),
    FieldRow<&S::speed>("speed", SetVia<&CInstance::SetSpeed>),
    FieldRow<&S::friction>("friction"),
    FieldRow<&S::gravity>("gravity"),
    FieldRow<&S::gravity_direction>("gravity_direction"),
    FieldRow<&S::object_index>("object_index", nullptr),
    FieldRow<&S::id>("id", nullptr),
    {"alarm", GetAlarm, SetAlarm},
    FieldRow<&S::solid>("solid"),
    FieldRow<&S::visible>("visible"),
    FieldRow<&S::persistent>("persistent"),
    FieldRow<&S::depth>("depth", SetVia<&CInstance::SetDepth>),
    FieldRow<&S::bbox_left>("bbox_left", nullptr),
    FieldRow<&S::bbox_right>("bbox_right", nullptr),
    FieldRow<&S::bbox_top>("bbox_top", nullptr),
    FieldRow<&S::bbox_bottom>("bbox_bottom", nullptr),
    FieldRow<&S::sprite_index>("sprite_index", SetViaInt<&CInstance::SetSprite>),
    FieldRow<&S::image_index>("image_index"),
    {"image_single", GetImageSingle, SetImageSingle},
    {"image_number", GetImageNumber, nullptr},
    MeasureRow<&CSprite::width, &S::image_xscale>("sprite_width"),
    MeasureRow<&CSprite::height, &S::image_yscale>("sprite_height"),
    MeasureRow<&CSprite::xorigin, &S::image_xscale>("sprite_xoffset"),
    MeasureRow<&CSprite::yorigin, &S::image_yscale>("sprite_yoffset"),
    FieldRow<&S::image_xscale>("image_xscale", SetVia<&CInstance::SetXScale>),
    FieldRow<&S::image_yscale>("image_yscale", SetVia<&CInstance::SetYScale>),
    FieldRow<&S::image_angle>("image_angle", SetVia<&CInstance::SetAngle>),
    FieldRow<&S::image_alpha>("image_alpha"),
    FieldRow<&S::image_blend>("image_blend"),
    FieldRow<&S::image_speed>("image_speed"),
    FieldRow<&S::mask_index>("mask_index", SetViaInt<&CInstance::SetMask>),
    FieldRow<&S::path_index>("path_index", nullptr),
    FieldRow<&S::path_position>("path_position", SetVia<&CInstance::SetPathPosition>),
    FieldRow<&S::path_positionprevious>("path_positionprevious", SetVia<&CInstance::SetPathPositionPrevious>),
    FieldRow<&S::path_speed>("path_speed"),
    FieldRow<&S::path_scale>("path_scale"),
    FieldRow<&S::path_orientation>("path_orientation"),
    FieldRow<&S::path_endaction>("path_endaction"),
    FieldRow<&S::timeline_index>("timeline_index"),
    FieldRow<&S::timeline_position>("timeline_position"),
    FieldRow<&S::timeline_speed>("timeline_speed"),
};

const RVariableDef kRelativeVariable[] = {
    {"argument_relative", GetValue<&Action_ArgumentRelative>, nullptr},
};

const RVariableDef kGameVariables[] = {
    {"room", GetValue<&RoomIndex>, SetRoom},
    {"room_first", GetComputed<RoomFirst>, nullptr},
    {"room_last", GetComputed<RoomLast>, nullptr},
    {"transition_kind", GetGame<&RGameGlobals::transition_kind>, SetGame<&RGameGlobals::transition_kind>},
    {"transition_steps", GetGame<&RGameGlobals::transition_steps>, SetTransitionSteps},
    {"score", GetGame<&RGameGlobals::score>, SetGame<&RGameGlobals::score>},
    {"lives", GetGame<&RGameGlobals::lives>, SetLives},
    {"health", GetGame<&RGameGlobals::health>, SetHealth},
    {"game_id", GetValue<&GameId>, nullptr},
    {"working_directory", GetText<File_WorkingDirectory>, nullptr},
    {"temp_directory", GetText<File_TempDirectory>, nullptr},
    {"program_directory", GetText<File_ProgramDirectory>, nullptr},
    {"instance_count", GetComputed<InstanceCount>, nullptr},
    {"instance_id", GetInstanceId, nullptr},
    RoomNumberRow<&CRoom::width>("room_width", nullptr),
    RoomNumberRow<&CRoom::height>("room_height", nullptr),
    {"room_caption", GetRoomField<&CRoom::caption>, SetRoomField<&CRoom::caption>},
    RoomNumberRow<&CRoom::speed>("room_speed", SetRoomSpeed),
    {"room_persistent", GetRoomField<&CRoom::persistent>, SetRoomField<&CRoom::persistent>},
    {"background_color", GetRoomField<&CRoom::background_color>, SetRoomField<&CRoom::background_color>},
    {"background_showcolor", GetRoomField<&CRoom::show_background_color>,
     SetRoomField<&CRoom::show_background_color>},
    BackDef<&CBack::visible>("background_visible"),
    BackDef<&CBack::foreground>("background_foreground"),
    BackDef<&CBack::index>("background_index"),
    BackDef<&CBack::x>("background_x"),
    BackDef<&CBack::y>("background_y"),
    {"background_width", GetBackgroundSize<&CBackground::width>, nullptr},
    {"background_height", GetBackgroundSize<&CBackground::height>, nullptr},
    BackDef<&CBack::tile_h>("background_htiled"),
    BackDef<&CBack::tile_v>("background_vtiled"),
    BackDef<&CBack::xscale>("background_xscale"),
    BackDef<&CBack::yscale>("background_yscale"),
    BackDef<&CBack::hspeed>("background_hspeed"),
    BackDef<&CBack::vspeed>("background_vspeed"),
    BackDef<&CBack::blend>("background_blend"),
    BackDef<&CBack::alpha>("background_alpha"),
    {"view_enabled", GetRoomField<&CRoom::views_enabled>, SetRoomField<&CRoom::views_enabled>},
    {"view_current", GetValue<&View_Current>, nullptr},
    ViewDef<&CView::visible>("view_visible"),
    ViewDef<&CView::xview>("view_xview"),
    ViewDef<&CView::yview>("view_yview"),
    ViewDef<&CView::wview>("view_wview"),
    ViewDef<&CView::hview>("view_hview"),
    ViewDef<&CView::xport>("view_xport"),
    ViewDef<&CView::yport>("view_yport"),
    ViewDef<&CView::wport>("view_wport"),
    ViewDef<&CView::hport>("view_hport"),
    ViewDef<&CView::angle>("view_angle"),
    ViewDef<&CView::hborder>("view_hborder"),
    ViewDef<&CView::vborder>("view_vborder"),
    ViewDef<&CView::hspeed>("view_hspeed"),
    ViewDef<&CView::vspeed>("view_vspeed"),
    ViewDef<&CView::object>("view_object"),
    {"mouse_x", GetRun<&RRunState::MouseX>, nullptr},
    {"mouse_y", GetRun<&RRunState::MouseY>, nullptr},
    {"mouse_button", GetInput<&RInputState::mouse_button>, SetInputRange<&RInputState::mouse_button, 1, 3>},
    {"mouse_lastbutton", GetInput<&RInputState::mouse_lastbutton>,
     SetInputRange<&RInputState::mouse_lastbutton, 1, 3>},
    {"keyboard_key", GetInput<&RInputState::keyboard_key>, SetInputRange<&RInputState::keyboard_key, 0, 255>},
    {"keyboard_lastkey", GetInput<&RInputState::keyboard_lastkey>,
     SetInputRange<&RInputState::keyboard_lastkey, 0, 255>},
    {"keyboard_lastchar", GetLastChar, SetLastChar},
    {"keyboard_string", GetInput<&RInputState::keyboard_string>, SetKeyboardString},
    {"cursor_sprite", GetGame<&RGameGlobals::cursor_sprite>, SetGame<&RGameGlobals::cursor_sprite>},
    {"show_score", GetGame<&RGameGlobals::show_score>, SetShowScore},
    {"show_lives", GetGame<&RGameGlobals::show_lives>, SetGame<&RGameGlobals::show_lives>},
    {"show_health", GetGame<&RGameGlobals::show_health>, SetGame<&RGameGlobals::show_health>},
    {"caption_score", GetGame<&RGameGlobals::caption_score>, SetGame<&RGameGlobals::caption_score>},
    {"caption_lives", GetGame<&RGameGlobals::caption_lives>, SetGame<&RGameGlobals::caption_lives>},
    {"caption_health", GetGame<&RGameGlobals::caption_health>, SetGame<&RGameGlobals::caption_health>},
    {"fps", GetComputed<CurrentFps>, nullptr},
    {"current_time", GetComputed<Clock_CurrentTime>, nullptr},
    {"current_year", GetDate<kYear>, nullptr},
    {"current_month", GetDate<kMonth>, nullptr},
    {"current_day", GetDate<kDay>, nullptr},
    {"current_weekday", GetDate<kWeekday>, nullptr},
    {"current_hour", GetDate<kHour>, nullptr},
    {"current_minute", GetDate<kMinute>, nullptr},
    {"current_second", GetDate<kSecond>, nullptr},
    {"event_type", GetEvent<&REventContext::type>, nullptr},
    {"event_number", GetEvent<&REventContext::number>, nullptr},
    {"event_object", GetEvent<&REventContext::object>, nullptr},
    {"event_action", GetEvent<&REventContext::action>, nullptr},
    {"secure_mode", GetValue<&SecureMode>, nullptr},
    {"error_occurred", GetErrorOccurred, SetErrorOccurred},
    {"error_last", GetErrorLast, SetErrorLast},
};

void RegisterTable(std::span<const RVariableDef> table, const char* group) {
  for (const RVariableDef& def : table) RegisterVariable(def.name, def.getter, def.setter, group, def.real);
}

}  // namespace

void Variable_RegisterBuiltins() {
  RegisterTable(kInstanceVariables, "instance");
  RegisterTable(kRelativeVariable, "arguments");
  RegisterTable(EXEC_ARGUMENT_VARIABLES, "arguments");
  RegisterTable(kGameVariables, "game");
}
