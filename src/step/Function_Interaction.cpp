// Function_Interaction: built-ins that create, find, count, change and
// (de)activate instances, test places and shapes, move instances to
// contact, bounce, snap and wrap them, the room change requests, and the
// tiles of the current room.
#include <algorithm>
#include <cmath>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Tree.h"
#include "world/Run_Clock.h"
#include "world/Run_State.h"
#include "step/Run_Handle_Collision.h"
#include "variables/Code_Function.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

// ---------------------------------------------------------------------------
// Instance selectors

// Whether a deactivated instance is named by a selector.
bool Selects(CInstance* self, CInstance* other, int32_t selector, const CInstance* inst) {
  switch (selector) {
    case OWNER_SELF: return inst == self;
    case OWNER_OTHER: return inst == other;
    case OWNER_ALL: return true;
    default:
      if (selector >= INSTANCE_ID_BASE) return inst->id == selector;
      return inst->object_index == selector || Object_IsAncestor(inst->object_index, selector);
  }
}

void SetId(RValue& result, const CInstance* inst) { result.SetReal(inst ? inst->id : OWNER_NOONE); }

// ---------------------------------------------------------------------------
// Creating, changing and destroying

// A new instance with a new id carrying every field of `source`; with
// `keep_id` (instance_change) the source's id replaces the new one, which
// is then consumed.
CInstance* CopyInstance(const CInstance& source, bool keep_id) {
  CInstance* inst = Instance_New();
  inst->Create(Instance_NewId(), source.object_index, source.x, source.y);
  int32_t id = inst->id;
  inst->CopyFrom(source);
  if (!keep_id) inst->id = id;
  return inst;
}

void DestroyInstance(CInstance* inst) {
  if (inst->destroyed) return;
  PerformEvent(inst, inst, EV_DESTROY, 0);
  Instance_MarkDestroyed(inst);
}

void ChangeInstance(CInstance* inst, int32_t object, bool perform) {
  if (perform) PerformEvent(inst, inst, EV_DESTROY, 0);
  CInstance* changed = CopyInstance(*inst, true);
  changed->SetObject(object);
  Instance_MarkDestroyed(inst);
  Room_Current()->AdoptInstance(changed);
  if (perform) PerformEvent(changed, changed, EV_CREATE, 0);
}

void F_InstanceCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t object = ArgInt(args, 2);
  result.SetReal(OWNER_NOONE);
  if (!Object_Exists(object)) {
    ReportActionError("Creating instance for non-existing object: " + std::to_string(object));
    return;
  }
  CRoom* room = Room_Current();
  if (!room) return;
  CInstance* inst = room->CreateInstance(Instance_NewId(), object, ArgReal(args, 0), ArgReal(args, 1));
  result.SetReal(inst->id);
  PerformEvent(inst, inst, EV_CREATE, 0);
}

void F_InstanceCopy(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  CRoom* room = Room_Current();
  if (!self || !room) return;
  CInstance* inst = room->AdoptInstance(CopyInstance(*self, false));
  result.SetReal(inst->id);
  if (ArgBool(args, 0)) PerformEvent(inst, inst, EV_CREATE, 0);
}

void F_InstanceDestroy(CInstance* self, CInstance*, int, RValue*, RValue&) {
  if (self) DestroyInstance(self);
}

void F_InstanceChange(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t object = ArgInt(args, 0);
  if (!Object_Exists(object)) {
    ReportActionError("Asking to change into non-existing object: " + std::to_string(object));
    return;
  }
  if (self && !self->destroyed && Room_Current()) ChangeInstance(self, object, ArgBool(args, 1));
}

void F_InstanceSprite(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t sprite = ArgInt(args, 0);
  RSpriteShape shape;
  if (!Instance_SpriteShape(sprite, shape)) {
    ReportActionError("Setting instance to non-existing sprite: " + std::to_string(sprite));
    return;
  }
  if (self) self->SetSprite(sprite);
}

// ---------------------------------------------------------------------------
// Finding and counting

void F_InstanceExists(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  bool found = false;
  Collision_ForSelected(self, other, ArgInt(args, 0), [&](CInstance*) { return !(found = true); });
  result.SetReal(found ? 1 : 0);
}

void F_InstanceNumber(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  int32_t count = 0;
  Collision_ForSelected(self, other, ArgInt(args, 0), [&](CInstance*) { return ++count, true; });
  result.SetReal(count);
}

void F_InstanceFind(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  int32_t selector = ArgInt(args, 0);
  int32_t n = ArgInt(args, 1);
  CInstance* found = nullptr;
  if (selector != OWNER_SELF && selector != OWNER_OTHER && n >= 0) {
    Collision_ForSelected(self, other, selector, [&](CInstance* inst) {
      if (n-- > 0) return true;
      found = inst;
      return false;
    });
  }
  SetId(result, found);
}

// The selected instance nearest to (or furthest from) a point; ties go to
// the first. Self, other and instance ids select nothing here.
template <bool Furthest>
void F_InstanceDistance(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  double px = ArgReal(args, 0), py = ArgReal(args, 1);
  int32_t selector = ArgInt(args, 2);
  CInstance* best = nullptr;
  // Instances 100000 or more away are never the nearest.
  double best_distance = Furthest ? -1 : 100000;
  if (selector != OWNER_SELF && selector != OWNER_OTHER && selector < INSTANCE_ID_BASE) {
    Collision_ForSelected(self, other, selector, [&](CInstance* inst) {
      double d = std::hypot(inst->x - px, inst->y - py);
      if (Furthest ? d > best_distance : d < best_distance) {
        best_distance = d;
        best = inst;
      }
      return true;
    });
  }
  SetId(result, best);
}

// ---------------------------------------------------------------------------
// Places, positions and shapes

// ForSelected for the finding functions, where self and other select no
// instance.
template <class Fn>
void ForFound(CInstance* self, CInstance* other, int32_t selector, Fn fn) {
  if (selector != OWNER_SELF && selector != OWNER_OTHER) Collision_ForSelected(self, other, selector, fn);
}

// The first instance ForEach offers for which test(inst) holds, or null.
template <class ForEach, class Test>
CInstance* FirstWhere(ForEach for_each, Test test) {
  CInstance* found = nullptr;
  for_each([&](CInstance* inst) {
    if (!test(inst)) return true;
    found = inst;
    return false;
  });
  return found;
}

// place_free (solids) and place_empty (all instances).
template <ECollisionAgainst Against>
void F_PlaceFree(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  if (self) result.SetReal(Collision_PlaceFree(self, ArgReal(args, 0), ArgReal(args, 1), Against) ? 1 : 0);
}

// instance_place: the first instance the selector finds colliding with self
// at (x, y).
CInstance* FoundAt(CInstance* self, CInstance* other, const RValue* args) {
  if (!self) return nullptr;
  const int32_t selector = ArgInt(args, 2);
  return Collision_WithSelfAt(self, ArgReal(args, 0), ArgReal(args, 1), [&] {
    auto each = [&](auto fn) { ForFound(self, other, selector, fn); };
    return FirstWhere(each, [&](CInstance* inst) { return Collision_Collides(self, inst, true); });
  });
}

void F_PlaceMeeting(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (self) result.SetReal(Collision_PlaceMeeting(self, other, ArgReal(args, 0), ArgReal(args, 1), ArgInt(args, 2)));
}
void F_InstancePlace(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  SetId(result, FoundAt(self, other, args));
}

bool ContainsArgPoint(const CInstance* inst, const RValue* args) {
  return Collision_ContainsPoint(inst, ArgReal(args, 0), ArgReal(args, 1), true);
}

void F_InstancePosition(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  auto each = [&](auto fn) { ForFound(self, other, ArgInt(args, 2), fn); };
  SetId(result, FirstWhere(each, [&](CInstance* inst) { return ContainsArgPoint(inst, args); }));
}
void F_PositionEmpty(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  auto each = [&](auto fn) { Collision_ForSelected(self, other, OWNER_ALL, fn); };
  result.SetReal(FirstWhere(each, [&](CInstance* inst) { return ContainsArgPoint(inst, args); }) ? 0 : 1);
}
void F_PositionMeeting(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  auto each = [&](auto fn) { Collision_ForSelected(self, other, ArgInt(args, 2), fn); };
  result.SetReal(FirstWhere(each, [&](CInstance* inst) { return ContainsArgPoint(inst, args); }) ? 1 : 0);
}
void F_PositionDestroy(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  Collision_ForSelected(self, other, OWNER_ALL, [&](CInstance* inst) {
    if (ContainsArgPoint(inst, args)) DestroyInstance(inst);
    return true;
  });
}
void F_PositionChange(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  const int32_t object = ArgInt(args, 2);
  const bool perform = ArgBool(args, 3);
  if (!Object_Exists(object)) {
    ReportActionError("Asking to change into non-existing object: " + std::to_string(object));
    return;
  }
  Collision_ForSelected(self, other, OWNER_ALL, [&](CInstance* inst) {
    if (ContainsArgPoint(inst, args)) ChangeInstance(inst, object, perform);
    return true;
  });
}

// The shapes of the collision_ family.
enum EShape { SHAPE_POINT, SHAPE_RECTANGLE, SHAPE_ELLIPSE, SHAPE_CIRCLE, SHAPE_LINE };

// collision_point (x, y, ...), collision_circle (xc, yc, r, ...) and the
// others (x1, y1, x2, y2, ...), each followed by obj, prec and notme.
template <EShape Shape>
void F_Collision(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  constexpr int kCoords = Shape == SHAPE_POINT ? 2 : Shape == SHAPE_CIRCLE ? 3 : 4;
  double x1 = ArgReal(args, 0), y1 = ArgReal(args, 1), x2 = x1, y2 = y1;
  if (Shape == SHAPE_CIRCLE) {
    const double r = ArgReal(args, 2);
    x1 -= r, y1 -= r, x2 += r, y2 += r;
  } else if (kCoords == 4) {
    x2 = ArgReal(args, 2), y2 = ArgReal(args, 3);
  }
  const bool precise = ArgBool(args, kCoords + 1), notme = ArgBool(args, kCoords + 2);
  auto meets = [&](const CInstance* inst) {
    if (notme && inst == self) return false;
    switch (Shape) {
      case SHAPE_POINT: return Collision_ContainsPoint(inst, x1, y1, precise);
      case SHAPE_RECTANGLE: return Collision_MeetsRectangle(inst, x1, y1, x2, y2, precise);
      case SHAPE_ELLIPSE:
      case SHAPE_CIRCLE: return Collision_MeetsEllipse(inst, x1, y1, x2, y2, precise);
      case SHAPE_LINE: return Collision_MeetsLine(inst, x1, y1, x2, y2, precise);
    }
    return false;
  };
  auto each = [&](auto fn) { ForFound(self, other, ArgInt(args, kCoords), fn); };
  SetId(result, FirstWhere(each, meets));
}

void F_DistanceToPoint(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  if (self) result.SetReal(Collision_DistanceToPoint(self, ArgReal(args, 0), ArgReal(args, 1)));
}

void F_DistanceToObject(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  double best = 1000000;
  if (self) {
    Collision_ForSelected(self, other, ArgInt(args, 0), [&](CInstance* inst) {
      if (inst != self) best = std::min(best, Collision_DistanceBetween(self, inst));
      return true;
    });
  }
  result.SetReal(best);
}

// ---------------------------------------------------------------------------
// Motion

// x within 0.001 of a multiple of the snap (a snap <= 0 accepts anything).
bool Snapped(double v, double snap) { return snap <= 0 || std::fabs(v - snap * std::nearbyint(v / snap)) < 0.001; }
double SnapNearest(double v, double snap) { return snap > 0 ? snap * std::nearbyint(v / snap) : v; }

void F_PlaceSnapped(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  if (self) result.SetReal(Snapped(self->x, ArgReal(args, 0)) && Snapped(self->y, ArgReal(args, 1)) ? 1 : 0);
}
void F_MoveSnap(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) self->SetPosition(SnapNearest(self->x, ArgReal(args, 0)), SnapNearest(self->y, ArgReal(args, 1)));
}
void F_MoveRandom(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) Collision_MoveRandom(self, ArgReal(args, 0), ArgReal(args, 1));
}

void F_MoveTowardsPoint(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (!self) return;
  self->SetHspeed(ArgReal(args, 0) - self->x);
  self->SetVspeed(ArgReal(args, 1) - self->y);
  self->SetSpeed(ArgReal(args, 2));
}

template <ECollisionAgainst Against>
void F_MoveContact(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) Collision_MoveContact(self, ArgReal(args, 0), ArgReal(args, 1), Against);
}
template <ECollisionAgainst Against>
void F_MoveOutside(CInstance* self, CInstance*, int, RValue* args, RValue& result) {
  if (self) result.SetReal(Collision_MoveOutside(self, ArgReal(args, 0), ArgReal(args, 1), Against) ? 1 : 0);
}
// Out of a solid it is in, or else up to the nearest one.
void F_MoveContactEither(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (!self) return;
  if (Collision_PlaceFree(self, self->x, self->y, COLLISION_SOLID))
    Collision_MoveContact(self, ArgReal(args, 0), -1, COLLISION_SOLID);
  else
    Collision_MoveOutside(self, ArgReal(args, 0), -1, COLLISION_SOLID);
}
template <ECollisionAgainst Against>
void F_MoveBounce(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) Collision_MoveBounce(self, ArgBool(args, 0), Against);
}

// One coordinate wrapped round a room extent with a margin.
double Wrap(double v, double extent, double margin) {
  if (v < -margin) v += extent + 2 * margin;
  if (v > extent + margin) v -= extent + 2 * margin;
  return v;
}
void F_MoveWrap(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  CRoom* room = Room_Current();
  if (!self || !room) return;
  const double margin = ArgReal(args, 2);
  const double x = ArgBool(args, 0) ? Wrap(self->x, room->width, margin) : self->x;
  const double y = ArgBool(args, 1) ? Wrap(self->y, room->height, margin) : self->y;
  self->SetPosition(x, y);
}

void F_MotionSet(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (!self) return;
  self->SetDirection(ArgReal(args, 0));
  self->SetSpeed(ArgReal(args, 1));
}
void F_MotionAdd(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) self->AddMotion(ArgReal(args, 0), ArgReal(args, 1));
}

// ---------------------------------------------------------------------------
// Deactivation

// Whether an instance lies in the rectangle [left, left + width] x [top,
// top + height]: its box overlaps it, or without a shape its position is in it.
bool InRegion(const CInstance* inst, const RValue* args) {
  double left = ArgReal(args, 0), top = ArgReal(args, 1);
  double right = left + ArgReal(args, 2), bottom = top + ArgReal(args, 3);
  if (inst->HasShape())
    return inst->bbox_left <= right && inst->bbox_right >= left && inst->bbox_top <= bottom &&
           inst->bbox_bottom >= top;
  return inst->x >= left && inst->x <= right && inst->y >= top && inst->y <= bottom;
}

// Marks active instances (deactivate) or unmarks deactivated ones
// (activate) for which `pick` holds, then applies the marks to the room.
template <class Pick>
void MarkAndApply(bool deactivate, Pick pick) {
  CRoom* room = Room_Current();
  if (!room) return;
  for (CInstance* inst : deactivate ? room->Instances() : room->Deactivated())
    if (!inst->destroyed && pick(inst)) inst->deactivated = deactivate;
  room->ApplyActivation();
}

void F_DeactivateAll(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  bool notme = ArgBool(args, 0);
  MarkAndApply(true, [&](CInstance* inst) { return !(notme && inst == self); });
}

void F_DeactivateObject(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  int32_t selector = ArgInt(args, 0);
  MarkAndApply(true, [&](CInstance* inst) { return Selects(self, other, selector, inst); });
}

void F_DeactivateRegion(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  bool inside = ArgBool(args, 4), notme = ArgBool(args, 5);
  MarkAndApply(true, [&](CInstance* inst) { return InRegion(inst, args) == inside && !(notme && inst == self); });
}

void F_ActivateAll(CInstance*, CInstance*, int, RValue*, RValue&) {
  MarkAndApply(false, [](CInstance*) { return true; });
}

void F_ActivateObject(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  int32_t selector = ArgInt(args, 0);
  MarkAndApply(false, [&](CInstance* inst) { return Selects(self, other, selector, inst); });
}

void F_ActivateRegion(CInstance*, CInstance*, int, RValue* args, RValue&) {
  bool inside = ArgBool(args, 4);
  MarkAndApply(false, [&](CInstance* inst) { return InRegion(inst, args) == inside; });
}

// ---------------------------------------------------------------------------
// Room changes and game requests

void RequestRoom(int32_t index) {
  if (!Room_Exists(index)) {
    ReportActionError("Unexisting room number: " + std::to_string(index), true);
    RunState.PendingRoom = REQUEST_ERROR_STOP;
    return;
  }
  RunState.PendingRoom = index;
}

void F_RoomGoto(CInstance*, CInstance*, int, RValue* args, RValue&) { RequestRoom(ArgInt(args, 0)); }

// room_goto_previous (Step -1) and room_goto_next (Step 1).
template <int Step>
void F_RoomGotoNeighbour(CInstance*, CInstance*, int, RValue*, RValue&) {
  int32_t target = Step < 0 ? Room_OrderPrevious(RoomIndex) : Room_OrderNext(RoomIndex);
  if (target < 0) {
    ReportActionError(Step < 0 ? "Moving to previous room before the first room."
                               : "Moving to next room after the last room.",
                      true);
    RunState.PendingRoom = REQUEST_ERROR_STOP;
    return;
  }
  RequestRoom(target);
}

void F_RoomRestart(CInstance*, CInstance*, int, RValue*, RValue&) { RequestRoom(RoomIndex); }

// Window messages go on being processed while the game sleeps.
void F_Sleep(CInstance*, CInstance*, int, RValue* args, RValue&) { WaitMicroseconds(ArgInt64(args, 0) * 1000); }

template <int32_t Request>
void F_GameRequest(CInstance*, CInstance*, int, RValue*, RValue&) {
  RunState.PendingRoom = Request;
}

// ---------------------------------------------------------------------------
// Tiles of the current room

// The tile with the id in argument 0, or null after "Tile does not exist.".
RTile* TileArg(const RValue* args) {
  CRoom* room = Room_Current();
  int32_t pos = room ? room->FindTile(ArgInt(args, 0)) : -1;
  if (pos < 0) {
    ReportActionError("Tile does not exist.");
    return nullptr;
  }
  return &room->tiles[pos];
}

// A new visible tile from (background, left, top, width, height, x, y,
// depth) arguments starting at `first`; false after "Background does not
// exist.".
bool TileFromArgs(const RValue* args, int first, RTile& tile) {
  tile.background = ArgInt(args, first);
  if (!Room_BackgroundExists(tile.background)) {
    ReportActionError("Background does not exist.");
    return false;
  }
  tile.left = ArgInt(args, first + 1);
  tile.top = ArgInt(args, first + 2);
  tile.width = ArgInt(args, first + 3);
  tile.height = ArgInt(args, first + 4);
  tile.x = ArgReal(args, first + 5);
  tile.y = ArgReal(args, first + 6);
  tile.depth = ArgReal(args, first + 7);
  return true;
}

void F_TileAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RTile tile;
  CRoom* room = Room_Current();
  if (!room || !TileFromArgs(args, 0, tile)) return;
  result.SetReal(room->tiles[room->AddTile(tile)].id);
}

// room_tile_add (Ext false) and room_tile_add_ext: a tile added to a room
// resource; its position in the room's list.
template <bool Ext>
void F_RoomTileAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CRoom* room = Room_Resource(ArgInt(args, 0));
  RTile tile;
  if (!room || !TileFromArgs(args, 1, tile)) return;
  if (Ext) {
    tile.xscale = ArgReal(args, 9);
    tile.yscale = ArgReal(args, 10);
    tile.alpha = ArgReal(args, 11);
  }
  result.SetReal(room->AddTile(tile));
}

void F_RoomTileClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CRoom* room = Room_Resource(ArgInt(args, 0))) room->tiles.clear();
}

void F_TileDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RTile* tile = TileArg(args)) Room_Current()->DeleteTileAt(static_cast<int32_t>(tile - Room_Current()->tiles.data()));
}

void F_TileExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CRoom* room = Room_Current();
  result.SetReal(room && room->FindTile(ArgInt(args, 0)) >= 0 ? 1 : 0);
}

// Getters of one tile field.
template <auto Field>
void F_TileGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (RTile* tile = TileArg(args)) result.SetReal(static_cast<double>(tile->*Field));
}

// Setters of one tile field from argument 1, converted to the field's kind.
void Store(bool& field, const RValue* args) { field = ArgBool(args, 1); }
void Store(int32_t& field, const RValue* args) { field = ArgInt(args, 1); }
void Store(double& field, const RValue* args) { field = ArgReal(args, 1); }

template <auto Field>
void F_TileSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RTile* tile = TileArg(args)) Store(tile->*Field, args);
}

void F_TileSetRegion(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RTile* t = TileArg(args)) {
    t->left = ArgInt(args, 1);
    t->top = ArgInt(args, 2);
    t->width = ArgInt(args, 3);
    t->height = ArgInt(args, 4);
  }
}
void F_TileSetPosition(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RTile* t = TileArg(args)) {
    t->x = ArgReal(args, 1);
    t->y = ArgReal(args, 2);
  }
}
void F_TileSetScale(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RTile* t = TileArg(args)) {
    t->xscale = ArgReal(args, 1);
    t->yscale = ArgReal(args, 2);
  }
}

// Whether a point lies in a tile: right and bottom edges count only when
// `edges` (the deleting functions include them, the finding ones do not).
bool TileContains(const RTile& t, double px, double py, bool edges) {
  if (px < t.x || py < t.y) return false;
  return edges ? px <= t.x + t.width && py <= t.y + t.height : px < t.x + t.width && py < t.y + t.height;
}

// Calls fn(position) for each tile of the current room for which `pick`
// holds, from the last, so that fn may delete it.
template <class Pick, class Fn>
void ForTiles(Pick pick, Fn fn) {
  CRoom* room = Room_Current();
  if (!room) return;
  for (size_t i = room->tiles.size(); i-- > 0;)
    if (pick(room->tiles[i])) fn(static_cast<int32_t>(i));
}

// The id of the first tile for which `pick` holds, else -1.
template <class Pick>
void FirstTile(RValue& result, Pick pick) {
  int32_t found = -1;
  ForTiles(pick, [&](int32_t pos) { found = Room_Current()->tiles[pos].id; });
  result.SetReal(found);
}

void DeleteTiles(auto pick) {
  ForTiles(pick, [](int32_t pos) { Room_Current()->DeleteTileAt(pos); });
}

void F_TileFind(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double px = ArgReal(args, 0), py = ArgReal(args, 1);
  bool foreground = ArgBool(args, 2);
  FirstTile(result, [&](const RTile& t) { return TileContains(t, px, py, false) && (t.depth < 0) == foreground; });
}

void F_TileDeleteAt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double px = ArgReal(args, 0), py = ArgReal(args, 1);
  bool foreground = ArgBool(args, 2);
  DeleteTiles([&](const RTile& t) {
    return TileContains(t, px, py, true) && (foreground ? t.depth <= 0 : t.depth >= 0);
  });
}

void F_TileLayerShow(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0);
  ForTiles([&](const RTile& t) { return t.depth == depth; }, [](int32_t pos) { Room_Current()->tiles[pos].visible = true; });
}

void F_TileLayerHide(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0);
  ForTiles([&](const RTile& t) { return t.depth == depth; }, [](int32_t pos) { Room_Current()->tiles[pos].visible = false; });
}

void F_TileLayerDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0);
  DeleteTiles([&](const RTile& t) { return t.depth == depth; });
}

void F_TileLayerShift(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0), dx = ArgReal(args, 1), dy = ArgReal(args, 2);
  ForTiles([&](const RTile& t) { return t.depth == depth; }, [&](int32_t pos) {
    RTile& t = Room_Current()->tiles[pos];
    t.x += dx;
    t.y += dy;
  });
}

void F_TileLayerFind(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double depth = ArgReal(args, 0), px = ArgReal(args, 1), py = ArgReal(args, 2);
  FirstTile(result, [&](const RTile& t) { return t.depth == depth && TileContains(t, px, py, false); });
}

void F_TileLayerDeleteAt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0), px = ArgReal(args, 1), py = ArgReal(args, 2);
  DeleteTiles([&](const RTile& t) { return t.depth == depth && TileContains(t, px, py, false); });
}

void F_TileLayerDepth(CInstance*, CInstance*, int, RValue* args, RValue&) {
  double depth = ArgReal(args, 0), to = ArgReal(args, 1);
  ForTiles([&](const RTile& t) { return t.depth == depth; }, [&](int32_t pos) { Room_Current()->tiles[pos].depth = to; });
}

constexpr RFunctionDef kInteractionFunctions[] = {
    {"instance_create", F_InstanceCreate, 3},
    {"instance_copy", F_InstanceCopy, 1},
    {"instance_destroy", F_InstanceDestroy, 0},
    {"instance_change", F_InstanceChange, 2},
    {"instance_sprite", F_InstanceSprite, 1},
    {"instance_exists", F_InstanceExists, 1},
    {"instance_number", F_InstanceNumber, 1},
    {"instance_find", F_InstanceFind, 2},
    {"instance_nearest", F_InstanceDistance<false>, 3},
    {"instance_furthest", F_InstanceDistance<true>, 3},
    {"instance_position", F_InstancePosition, 3},
    {"instance_place", F_InstancePlace, 3},
    {"position_empty", F_PositionEmpty, 2},
    {"position_meeting", F_PositionMeeting, 3},
    {"position_destroy", F_PositionDestroy, 2},
    {"position_change", F_PositionChange, 4},
    {"place_free", F_PlaceFree<COLLISION_SOLID>, 2},
    {"place_empty", F_PlaceFree<COLLISION_ALL>, 2},
    {"place_meeting", F_PlaceMeeting, 3},
    {"place_snapped", F_PlaceSnapped, 2},
    {"move_snap", F_MoveSnap, 2},
    {"move_random", F_MoveRandom, 2},
    {"move_towards_point", F_MoveTowardsPoint, 3},
    {"move_contact_solid", F_MoveContact<COLLISION_SOLID>, 2},
    {"move_contact_all", F_MoveContact<COLLISION_ALL>, 2},
    {"move_contact", F_MoveContactEither, 1},
    {"move_outside_solid", F_MoveOutside<COLLISION_SOLID>, 2},
    {"move_outside_all", F_MoveOutside<COLLISION_ALL>, 2},
    {"move_bounce_solid", F_MoveBounce<COLLISION_SOLID>, 1},
    {"move_bounce", F_MoveBounce<COLLISION_SOLID>, 1},
    {"move_bounce_all", F_MoveBounce<COLLISION_ALL>, 1},
    {"move_wrap", F_MoveWrap, 3},
    {"motion_set", F_MotionSet, 2},
    {"motion_add", F_MotionAdd, 2},
    {"distance_to_point", F_DistanceToPoint, 2},
    {"distance_to_object", F_DistanceToObject, 1},
    {"collision_point", F_Collision<SHAPE_POINT>, 5},
    {"collision_rectangle", F_Collision<SHAPE_RECTANGLE>, 7},
    {"collision_circle", F_Collision<SHAPE_CIRCLE>, 6},
    {"collision_ellipse", F_Collision<SHAPE_ELLIPSE>, 7},
    {"collision_line", F_Collision<SHAPE_LINE>, 7},
    {"instance_deactivate_all", F_DeactivateAll, 1},
    {"instance_deactivate_object", F_DeactivateObject, 1},
    {"instance_deactivate_region", F_DeactivateRegion, 6},
    {"instance_activate_all", F_ActivateAll, 0},
    {"instance_activate_object", F_ActivateObject, 1},
    {"instance_activate_region", F_ActivateRegion, 5},
    {"room_goto", F_RoomGoto, 1},
    {"room_goto_previous", F_RoomGotoNeighbour<-1>, 0},
    {"room_goto_next", F_RoomGotoNeighbour<1>, 0},
    {"room_restart", F_RoomRestart, 0},
    {"game_end", F_GameRequest<REQUEST_END>, 0},
    {"game_restart", F_GameRequest<REQUEST_RESTART>, 0},
    {"sleep", F_Sleep, 1},
    {"room_tile_add", F_RoomTileAdd<false>, 9},
    {"room_tile_add_ext", F_RoomTileAdd<true>, 12},
    {"room_tile_clear", F_RoomTileClear, 1},
    {"tile_add", F_TileAdd, 8},
    {"tile_delete", F_TileDelete, 1},
    {"tile_exists", F_TileExists, 1},
    {"tile_get_x", F_TileGet<&RTile::x>, 1},
    {"tile_get_y", F_TileGet<&RTile::y>, 1},
    {"tile_get_left", F_TileGet<&RTile::left>, 1},
    {"tile_get_top", F_TileGet<&RTile::top>, 1},
    {"tile_get_width", F_TileGet<&RTile::width>, 1},
    {"tile_get_height", F_TileGet<&RTile::height>, 1},
    {"tile_get_depth", F_TileGet<&RTile::depth>, 1},
    {"tile_get_visible", F_TileGet<&RTile::visible>, 1},
    {"tile_get_xscale", F_TileGet<&RTile::xscale>, 1},
    {"tile_get_yscale", F_TileGet<&RTile::yscale>, 1},
    {"tile_get_blend", F_TileGet<&RTile::blend>, 1},
    {"tile_get_alpha", F_TileGet<&RTile::alpha>, 1},
    {"tile_get_background", F_TileGet<&RTile::background>, 1},
    {"tile_set_visible", F_TileSet<&RTile::visible>, 2},
    {"tile_set_background", F_TileSet<&RTile::background>, 2},
    {"tile_set_region", F_TileSetRegion, 5},
    {"tile_set_position", F_TileSetPosition, 3},
    {"tile_set_depth", F_TileSet<&RTile::depth>, 2},
    {"tile_set_scale", F_TileSetScale, 3},
    {"tile_set_blend", F_TileSet<&RTile::blend>, 2},
    {"tile_set_alpha", F_TileSet<&RTile::alpha>, 2},
    {"tile_find", F_TileFind, 3},
    {"tile_delete_at", F_TileDeleteAt, 3},
    {"tile_layer_hide", F_TileLayerHide, 1},
    {"tile_layer_show", F_TileLayerShow, 1},
    {"tile_layer_delete", F_TileLayerDelete, 1},
    {"tile_layer_shift", F_TileLayerShift, 3},
    {"tile_layer_find", F_TileLayerFind, 3},
    {"tile_layer_delete_at", F_TileLayerDeleteAt, 3},
    {"tile_layer_depth", F_TileLayerDepth, 2},
};

}  // namespace

void Function_Interaction_Register() { RegisterFunctions(kInteractionFunctions); }
