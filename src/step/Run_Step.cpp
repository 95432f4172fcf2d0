#include "step/Run_Step.h"

#include <array>
#include <cmath>
#include <vector>

#include "data/Option_Main.h"
#include "functions/Particle_Main.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Room_Draw.h"
#include "platform/Platform_Input.h"
#include "world/Run_State.h"
#include "step/IO_Main.h"
#include "step/Path_Main.h"
#include "step/Run_Handle_Collision.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/TimeLine_Main.h"

namespace {

// The runner's function-key handler, run first in every step.
void (*g_FunctionKeys)() = nullptr;
// The debugger's refresh, run near the end of every step.
void (*g_DebugRefresh)() = nullptr;

// Other event numbers the step raises.
enum : int32_t {
  EV_OUTSIDE = 0,
  EV_BOUNDARY = 1,
  EV_ANIMATION_END = 7,
  EV_END_OF_PATH = 8,
  EV_CLOSE_BUTTON = 30,
  EV_OUTSIDE_VIEW0 = 40,
  EV_BOUNDARY_VIEW0 = 50,
};
// Mouse event numbers: positional per button from 0, no button 3, pressed
// per button from 4, released from 7, enter 10, leave 11, global pressed
// and released 12 and 13, global held per button from 50, global pressed
// from 53, released from 56, wheel up and down 60 and 61.
enum : int32_t {
  EV_MOUSE_NO_BUTTON = 3,
  EV_MOUSE_ENTER = 10,
  EV_MOUSE_LEAVE = 11,
  EV_MOUSE_GLOBAL_PRESS = 12,
  EV_MOUSE_GLOBAL_RELEASE = 13,
  EV_MOUSE_WHEEL_UP = 60,
  EV_MOUSE_WHEEL_DOWN = 61,
};
constexpr int32_t kFirstKey = 8;
constexpr int32_t kLastKey = 255;
// Joystick axis thresholds on the 0..65535 range.
constexpr int32_t kAxisLow = 20000;
constexpr int32_t kAxisHigh = 44000;

double g_PreviousMouseX = 0, g_PreviousMouseY = 0;

bool Pending() { return RunState.PendingRoom != REQUEST_NONE; }

// Calls fn(inst) for the live instances of each object listed for (kind,
// number): objects in ascending order, each object's own instances counted
// when its turn comes, so instances created meanwhile for a later object
// are reached and those for an earlier one are not. An event may create,
// destroy or deactivate instances, so the list is fetched afresh for every
// position and the count only ever shrinks.
template <class Fn>
void ForEventInstances(CRoom& room, int32_t kind, int32_t number, Fn&& fn) {
  for (int32_t object : Event_Objects(kind, number)) {
    size_t count = room.ObjectInstances(object).size();
    for (size_t i = 0; i < count; i++) {
      if (Pending()) return;
      const std::vector<CInstance*>& list = room.ObjectInstances(object);
      if (i >= list.size()) break;
      CInstance* inst = list[i];
      if (!inst->destroyed) fn(inst);
    }
  }
}

// Calls fn(inst) for every instance of the room's array as counted now,
// destroyed ones included.
template <class Fn>
void ForRoomInstances(CRoom& room, Fn&& fn) {
  size_t count = room.Instances().size();
  for (size_t i = 0; i < count && i < room.Instances().size(); i++) fn(room.Instances()[i]);
}

void Dispatch(CRoom& room, int32_t kind, int32_t number) {
  ForEventInstances(room, kind, number, [kind, number](CInstance* inst) { PerformEvent(inst, inst, kind, number); });
}

// The event for the listed instances that fn(inst) selects.
template <class Fn>
void DispatchIf(CRoom& room, int32_t kind, int32_t number, Fn&& selects) {
  ForEventInstances(room, kind, number, [&](CInstance* inst) {
    if (selects(inst)) PerformEvent(inst, inst, kind, number);
  });
}

void RememberPreviousPositions(CRoom& room) {
  ForRoomInstances(room, [](CInstance* inst) {
    inst->xprevious = inst->x;
    inst->yprevious = inst->y;
    inst->SetPathPositionPrevious(inst->path_position);
  });
}

void Alarms(CRoom& room) {
  for (int32_t a = 0; a < INSTANCE_ALARMS && !Pending(); a++) {
    ForEventInstances(room, EV_ALARM, a, [a](CInstance* inst) {
      if (inst->alarm[a] >= 0) inst->alarm[a]--;
      if (inst->alarm[a] == 0) PerformEvent(inst, inst, EV_ALARM, a);
    });
  }
}

// One keyboard round: the event per key the flags select, then the no-key
// or any-key event.
void KeyRound(CRoom& room, int32_t kind, const std::array<bool, 256>& a, const std::array<bool, 256>& b) {
  bool any = false;
  for (int32_t key = kFirstKey; key <= kLastKey && !Pending(); key++) {
    if (!a[key] && !b[key]) continue;
    any = true;
    Dispatch(room, kind, key);
  }
  Dispatch(room, kind, any ? 1 : 0);
}

void Keyboard(CRoom& room) {
  const RInputState& in = IO_Input;
  KeyRound(room, EV_KEYBOARD, in.key_down, in.key_pressed);
  KeyRound(room, EV_KEYPRESS, in.key_pressed, in.key_pressed);
  KeyRound(room, EV_KEYRELEASE, in.key_released, in.key_released);
}

// Joystick 1 uses mouse event numbers from 16, joystick 2 from 31: left,
// right, up, down, then buttons 1..8 from base + 5.
void Joysticks(CRoom& room) {
  static constexpr int32_t kBase[2] = {16, 31};
  for (int32_t j = 0; j < 2 && !Pending(); j++) {
    if (!IO_JoystickExists(j)) continue;
    int32_t x = IO_JoystickAxis(j, 0), y = IO_JoystickAxis(j, 1);
    const int32_t base = kBase[j];
    if (x < kAxisLow) Dispatch(room, EV_MOUSE, base);
    if (x > kAxisHigh) Dispatch(room, EV_MOUSE, base + 1);
    if (y < kAxisLow) Dispatch(room, EV_MOUSE, base + 2);
    if (y > kAxisHigh) Dispatch(room, EV_MOUSE, base + 3);
    for (int32_t b = 0; b < 8; b++)
      if (IO_JoystickButtonDown(j, b)) Dispatch(room, EV_MOUSE, base + 5 + b);
  }
}

void Mouse(CRoom& room) {
  g_PreviousMouseX = RunState.MouseX;
  g_PreviousMouseY = RunState.MouseY;
  int32_t mx = 0, my = 0;
  Window_ViewsMouseGet(mx, my);
  RunState.MouseX = mx;
  RunState.MouseY = my;
  const double px = g_PreviousMouseX, py = g_PreviousMouseY;
  auto under = [mx, my](const CInstance* inst) { return Collision_ContainsPoint(inst, mx, my, true); };

  const RInputState& in = IO_Input;
  bool any = false;
  for (int32_t b = 1; b <= 3; b++) {
    if (!in.mouse_down[b] && !in.mouse_pressed[b]) continue;
    any = true;
    DispatchIf(room, EV_MOUSE, b - 1, under);
    Dispatch(room, EV_MOUSE, 49 + b);
  }
  if (!any) DispatchIf(room, EV_MOUSE, EV_MOUSE_NO_BUTTON, under);
  for (int32_t b = 1; b <= 3; b++) {
    if (!in.mouse_pressed[b]) continue;
    DispatchIf(room, EV_MOUSE, 3 + b, under);
    Dispatch(room, EV_MOUSE, EV_MOUSE_GLOBAL_PRESS);
    Dispatch(room, EV_MOUSE, 52 + b);
  }
  for (int32_t b = 1; b <= 3; b++) {
    if (!in.mouse_released[b]) continue;
    DispatchIf(room, EV_MOUSE, 6 + b, under);
    Dispatch(room, EV_MOUSE, EV_MOUSE_GLOBAL_RELEASE);
    Dispatch(room, EV_MOUSE, 55 + b);
  }
  // The previous position is tested against the instance's current shape.
  DispatchIf(room, EV_MOUSE, EV_MOUSE_ENTER,
             [&](const CInstance* inst) { return under(inst) && !Collision_ContainsPoint(inst, px, py, true); });
  DispatchIf(room, EV_MOUSE, EV_MOUSE_LEAVE,
             [&](const CInstance* inst) { return !under(inst) && Collision_ContainsPoint(inst, px, py, true); });
  if (in.wheel_up) Dispatch(room, EV_MOUSE, EV_MOUSE_WHEEL_UP);
  if (in.wheel_down) Dispatch(room, EV_MOUSE, EV_MOUSE_WHEEL_DOWN);
}

// The last sprite shape asked for in a pass over the instances. Between
// two instances nothing changes a sprite unless an event runs, after which
// the pass calls Forget.
class CShapeMemo {
 public:
  const RSpriteShape* Of(int32_t sprite) {
    if (sprite != m_Sprite) {
      m_Sprite = sprite;
      m_Found = Instance_SpriteShape(sprite, m_Shape);
    }
    return m_Found ? &m_Shape : nullptr;
  }
  void Forget() {
    m_Sprite = kUnknown;
    m_Found = false;
  }

 private:
  // Not a sprite index; should an instance carry it all the same, the
  // answer kept with it (no shape) is the right one.
  static constexpr int32_t kUnknown = INT32_MIN;
  int32_t m_Sprite = kUnknown;
  bool m_Found = false;
  RSpriteShape m_Shape;
};

void Motion(CRoom& room) {
  CShapeMemo shapes;
  ForRoomInstances(room, [&shapes](CInstance* inst) {
    if (inst->friction != 0 || inst->gravity != 0) Collision_ApplyFrictionGravity(inst);
    if (inst->path_index >= 0 && Path_AdvanceInstance(inst)) {
      PerformEvent(inst, inst, EV_OTHER, EV_END_OF_PATH);
      shapes.Forget();
    }
    inst->SetPosition(inst->x + inst->hspeed, inst->y + inst->vspeed, shapes.Of(inst->ShapeIndex()));
  });
}

// The rectangle tests of the boundary events. An instance without a shape
// stands for its point.
struct RArea {
  double left, top, right, bottom;
};
bool PointIn(const CInstance* inst, const RArea& a) {
  return inst->x >= a.left && inst->x <= a.right && inst->y >= a.top && inst->y <= a.bottom;
}
// Overlaps the area, edges included.
bool Meets(const CInstance* inst, const RArea& a) {
  if (!inst->HasShape()) return PointIn(inst, a);
  return inst->bbox_right >= a.left && inst->bbox_left <= a.right && inst->bbox_bottom >= a.top &&
         inst->bbox_top <= a.bottom;
}
// Lies entirely within the area.
bool Within(const CInstance* inst, const RArea& a) {
  if (!inst->HasShape()) return PointIn(inst, a);
  return inst->bbox_left >= a.left && inst->bbox_right <= a.right && inst->bbox_top >= a.top &&
         inst->bbox_bottom <= a.bottom;
}

void BoundariesAndViews(CRoom& room) {
  const RArea whole{0, 0, static_cast<double>(room.width), static_cast<double>(room.height)};
  DispatchIf(room, EV_OTHER, EV_OUTSIDE, [&](const CInstance* inst) { return !Meets(inst, whole); });
  DispatchIf(room, EV_OTHER, EV_BOUNDARY, [&](const CInstance* inst) { return !Within(inst, whole); });
  if (!room.views_enabled) return;
  for (int32_t v = 0; v < ROOM_VIEWS && !Pending(); v++) {
    const CView& view = room.views[v];
    if (!view.visible) continue;
    const RArea area{static_cast<double>(view.xview), static_cast<double>(view.yview),
                     static_cast<double>(view.xview) + view.wview, static_cast<double>(view.yview) + view.hview};
    DispatchIf(room, EV_OTHER, EV_OUTSIDE_VIEW0 + v, [&](const CInstance* inst) { return !Meets(inst, area); });
    DispatchIf(room, EV_OTHER, EV_BOUNDARY_VIEW0 + v, [&](const CInstance* inst) { return !Within(inst, area); });
  }
}

void Animation(CRoom& room) {
  // Every instance of the array animates, one destroyed earlier in the
  // step (by a draw or animation end event) included.
  CShapeMemo shapes;
  int32_t object = INT32_MIN;  // the last object asked about, and its answer
  bool has_end = false;
  ForRoomInstances(room, [&](CInstance* inst) {
    inst->image_index += inst->image_speed;
    const RSpriteShape* shape = shapes.Of(inst->sprite_index);
    const int32_t images = shape ? shape->images : 0;
    // Against a whole number, floor(i) >= n exactly when i >= n.
    if (inst->image_index >= images) {
      inst->image_index -= images;
      if (inst->object_index != object) {
        object = inst->object_index;
        has_end = HasEvent(object, EV_OTHER, EV_ANIMATION_END);
      }
      if (has_end) {
        PerformEvent(inst, inst, EV_OTHER, EV_ANIMATION_END);
        // The event may change sprites and events.
        shapes.Forget();
        object = INT32_MIN;
        has_end = false;
      }
    }
  });
}

void BeginStep(CRoom& room) { Dispatch(room, EV_STEP, 1); }
void TimeLines(CRoom&) { TimeLine_StepInstances(); }
void StepEvent(CRoom& room) { Dispatch(room, EV_STEP, 0); }
void Collisions(CRoom&) { Collision_StepPhase(); }
void EndStep(CRoom& room) { Dispatch(room, EV_STEP, 2); }

using Phase = void (*)(CRoom&);
constexpr Phase kPhasesBeforeMotion[] = {BeginStep, TimeLines, Alarms, Keyboard, Joysticks, Mouse, StepEvent};
constexpr Phase kPhasesAfterMotion[] = {BoundariesAndViews, Collisions, EndStep};

}  // namespace

void Step_SetFunctionKeys(void (*handler)()) { g_FunctionKeys = handler; }
void Step_SetDebugRefresh(void (*refresh)()) { g_DebugRefresh = refresh; }

void DoStep() {
  if (!Room_Current()) return;
  // The game information and splash windows inside the game window do not
  // exist yet; only a lost focus can freeze the game.
  if (Settings.FreezeOnLoseFocus && !Window_IsActive()) return;

  if (g_FunctionKeys) g_FunctionKeys();
  // Taken after the keys: loading a saved game (F6) replaces every room.
  CRoom& room = *Room_Current();
  if (IO_Input.close_button) {
    IO_Input.close_button = false;
    PerformEventForAll(EV_OTHER, EV_CLOSE_BUTTON);
  }
  RememberPreviousPositions(room);

  // A request made in these phases ends the step after the phase; one made
  // in the motion phase lets the boundary phase run, raising nothing.
  for (Phase phase : kPhasesBeforeMotion) {
    phase(room);
    if (Pending()) return;
  }
  Motion(room);
  for (Phase phase : kPhasesAfterMotion) {
    phase(room);
    if (Pending()) return;
  }

  // From here the step always completes; events still raised do nothing
  // once a draw or animation end event has made a request.
  Particle_UpdateSystems();
  room.RemoveDestroyed();
  if (RunState.AutomaticDraw) Room_Draw(room);
  room.ScrollBackgrounds();
  Animation(room);
  RunState.CursorImage++;
  if (g_DebugRefresh && DebugMode) g_DebugRefresh();
  IO_ClearStepFlags();
}
