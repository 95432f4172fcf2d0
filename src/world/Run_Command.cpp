#include "world/Run_Command.h"

#include <memory>
#include <string_view>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "data/Support_Stream.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Global.h"
#include "world/Run_State.h"

namespace {

// Layers and views are always written as eight.
constexpr int32_t kLayersWritten = ROOM_LAYERS;
constexpr int32_t kViewsWritten = ROOM_VIEWS;

// The fewest bytes each record can take (integers and booleans 4, reals 8,
// an empty string 4, an empty variable list 8). A count read from a file is
// checked against them before anything is made for it.
constexpr int64_t kSlotBytes = 4;
constexpr int64_t kLayerBytes = 6 * 4 + 7 * 8;
constexpr int64_t kViewBytes = 14 * 4 + 8;
constexpr int64_t kTileBytes = 7 * 4 + 7 * 8;
constexpr int64_t kInstanceBytes = 24 * 4 + 29 * 8 + 6 * 4 + 4 + 8;
constexpr int32_t kVariableListVersion = 440;

// A saved game that cannot be what it claims: it fails like one cut short.
[[noreturn]] void Damaged(const char* what) { throw CStreamError(what); }

// A count of records of at least `bytes` each that the rest of the stream
// can hold.
int32_t ReadCount(CStream& s, int64_t bytes) {
  int32_t n = s.ReadInteger();
  if (n < 0 || n > s.Remaining() / bytes) Damaged("count larger than the file");
  return n;
}

// A variable list that is whole: its version ours, and no id twice (the
// interpreter's lookups assume each id once).
void ReadVariables(CStream& s, CVariableList& list) {
  int64_t start = s.Position();
  if (s.ReadInteger() != kVariableListVersion) Damaged("variable list of another version");
  s.SetPosition(start);
  list.ReadFrom(s);
  for (int32_t i = 0; i < list.Count(); i++)
    if (list.Find(list.At(i).id, 0) != &list.At(i).value) Damaged("variable stored twice");
}

// ---- Instances ----

void WriteInstance(CStream& s, const CInstance& inst) {
  s.WriteInteger(inst.id);
  s.WriteInteger(inst.sprite_index);
  for (double v : {inst.image_index, inst.image_speed, inst.image_xscale, inst.image_yscale, inst.image_angle,
                   inst.image_alpha})
    s.WriteReal(v);
  s.WriteInteger(inst.image_blend);
  s.WriteInteger(inst.mask_index);
  s.WriteReal(inst.depth);
  s.WriteBoolean(inst.precise);
  for (double v : {inst.x, inst.y, inst.xstart, inst.ystart, inst.xprevious, inst.yprevious, inst.direction,
                   inst.speed, inst.friction, inst.gravity_direction, inst.gravity, inst.hspeed, inst.vspeed})
    s.WriteReal(v);
  for (int32_t v : {inst.bbox_left, inst.bbox_right, inst.bbox_top, inst.bbox_bottom}) s.WriteInteger(v);
  for (bool v : {inst.visible, inst.solid, inst.persistent}) s.WriteBoolean(v);
  s.WriteInteger(inst.object_index);
  for (int32_t alarm : inst.alarm) s.WriteInteger(alarm);
  s.WriteBoolean(inst.destroyed);
  s.WriteBoolean(inst.deactivated);
  s.WriteInteger(inst.path_index);
  for (double v : {inst.path_position, inst.path_positionprevious, inst.path_speed, inst.path_scale,
                   inst.path_orientation})
    s.WriteReal(v);
  s.WriteInteger(inst.path_endaction);
  s.WriteReal(inst.path_xstart);
  s.WriteReal(inst.path_ystart);
  s.WriteInteger(inst.timeline_index);
  s.WriteReal(inst.timeline_position);
  s.WriteReal(inst.timeline_speed);
  s.WriteString(inst.creation_code);
  inst.variables.WriteTo(s);
}

// Every field as stored, the bounding box included: an instance whose
// object was deleted or whose sprite no longer exists comes back as it was
// saved. An object past the table cannot have been this game's (and the
// room would grow a list for every index up to it).
void ReadInstance(CStream& s, CInstance& inst) {
  inst.id = s.ReadInteger();
  inst.sprite_index = s.ReadInteger();
  for (double* v : {&inst.image_index, &inst.image_speed, &inst.image_xscale, &inst.image_yscale, &inst.image_angle,
                    &inst.image_alpha})
    *v = s.ReadReal();
  inst.image_blend = s.ReadInteger();
  inst.mask_index = s.ReadInteger();
  inst.depth = s.ReadReal();
  inst.precise = s.ReadBoolean();
  for (double* v : {&inst.x, &inst.y, &inst.xstart, &inst.ystart, &inst.xprevious, &inst.yprevious, &inst.direction,
                    &inst.speed, &inst.friction, &inst.gravity_direction, &inst.gravity, &inst.hspeed, &inst.vspeed})
    *v = s.ReadReal();
  for (int32_t* v : {&inst.bbox_left, &inst.bbox_right, &inst.bbox_top, &inst.bbox_bottom}) *v = s.ReadInteger();
  for (bool* v : {&inst.visible, &inst.solid, &inst.persistent}) *v = s.ReadBoolean();
  inst.object_index = s.ReadInteger();
  if (inst.object_index >= Object_Count()) Damaged("instance of an object past the table");
  for (int32_t& alarm : inst.alarm) alarm = s.ReadInteger();
  inst.destroyed = s.ReadBoolean();
  inst.deactivated = s.ReadBoolean();
  inst.path_index = s.ReadInteger();
  for (double* v : {&inst.path_position, &inst.path_positionprevious, &inst.path_speed, &inst.path_scale,
                    &inst.path_orientation})
    *v = s.ReadReal();
  inst.path_endaction = s.ReadInteger();
  inst.path_xstart = s.ReadReal();
  inst.path_ystart = s.ReadReal();
  inst.timeline_index = s.ReadInteger();
  inst.timeline_position = s.ReadReal();
  inst.timeline_speed = s.ReadReal();
  inst.creation_code = s.ReadString();
  ReadVariables(s, inst.variables);
}

struct RInstanceFree {
  void operator()(CInstance* inst) const { Instance_Free(inst); }
};
using RInstanceHold = std::unique_ptr<CInstance, RInstanceFree>;

// Reads `count` instance records, handing each to `adopt` once it is whole.
template <class Adopt>
void ReadInstances(CStream& s, Adopt adopt) {
  int32_t count = ReadCount(s, kInstanceBytes);
  for (int32_t i = 0; i < count; i++) {
    RInstanceHold inst(Instance_New());
    ReadInstance(s, *inst);
    adopt(inst.release());
  }
}

void WriteInstances(CStream& s, const std::vector<CInstance*>& list) {
  s.WriteInteger(static_cast<int32_t>(list.size()));
  for (const CInstance* inst : list) WriteInstance(s, *inst);
}

// ---- Rooms ----

void WriteRoom(CStream& s, const CRoom& room) {
  s.WriteInteger(SAVEGAME_VERSION);
  s.WriteString(room.caption);
  s.WriteInteger(room.width);
  s.WriteInteger(room.height);
  s.WriteInteger(room.speed);
  s.WriteBoolean(room.persistent);
  s.WriteInteger(room.background_color);
  s.WriteBoolean(room.show_background_color);
  s.WriteString(room.creation_code);
  s.WriteInteger(kLayersWritten);
  for (const CBack& b : room.backgrounds) {
    s.WriteBoolean(b.visible);
    s.WriteBoolean(b.foreground);
    s.WriteInteger(b.index);
    s.WriteReal(b.x);
    s.WriteReal(b.y);
    s.WriteBoolean(b.tile_h);
    s.WriteBoolean(b.tile_v);
    for (double v : {b.xscale, b.yscale, b.hspeed, b.vspeed}) s.WriteReal(v);
    s.WriteInteger(b.blend);
    s.WriteReal(b.alpha);
  }
  s.WriteBoolean(room.views_enabled);
  s.WriteInteger(kViewsWritten);
  for (const CView& v : room.views) {
    s.WriteBoolean(v.visible);
    for (int32_t n : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport}) s.WriteInteger(n);
    s.WriteReal(v.angle);
    for (int32_t n : {v.hborder, v.vborder, v.hspeed, v.vspeed, v.object}) s.WriteInteger(n);
  }
  WriteInstances(s, room.Instances());
  WriteInstances(s, room.Deactivated());
  s.WriteInteger(static_cast<int32_t>(room.tiles.size()));
  for (const RTile& t : room.tiles) {
    s.WriteReal(t.x);
    s.WriteReal(t.y);
    for (int32_t n : {t.background, t.left, t.top, t.width, t.height}) s.WriteInteger(n);
    s.WriteReal(t.depth);
    s.WriteInteger(t.id);
    s.WriteReal(t.xscale);
    s.WriteReal(t.yscale);
    s.WriteInteger(t.blend);
    s.WriteReal(t.alpha);
    s.WriteBoolean(t.visible);
  }
}

// Layers and views past the eight a room has are read and dropped; those a
// record lacks keep their defaults.
void ReadRoom(CStream& s, CRoom& room) {
  if (s.ReadInteger() != SAVEGAME_VERSION) Damaged("room of another version");
  room.caption = s.ReadString();
  room.width = s.ReadInteger();
  room.height = s.ReadInteger();
  room.speed = s.ReadInteger();
  room.persistent = s.ReadBoolean();
  room.background_color = s.ReadInteger();
  room.show_background_color = s.ReadBoolean();
  room.creation_code = s.ReadString();
  int32_t layers = ReadCount(s, kLayerBytes);
  for (int32_t i = 0; i < layers; i++) {
    CBack b;
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = s.ReadReal();
    b.y = s.ReadReal();
    b.tile_h = s.ReadBoolean();
    b.tile_v = s.ReadBoolean();
    for (double* v : {&b.xscale, &b.yscale, &b.hspeed, &b.vspeed}) *v = s.ReadReal();
    b.blend = s.ReadInteger();
    b.alpha = s.ReadReal();
    if (i < ROOM_LAYERS) room.backgrounds[i] = b;
  }
  room.views_enabled = s.ReadBoolean();
  int32_t views = ReadCount(s, kViewBytes);
  for (int32_t i = 0; i < views; i++) {
    CView v;
    v.visible = s.ReadBoolean();
    for (int32_t* n : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport})
      *n = s.ReadInteger();
    v.angle = s.ReadReal();
    for (int32_t* n : {&v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object}) *n = s.ReadInteger();
    if (i < ROOM_VIEWS) room.views[i] = v;
  }
  ReadInstances(s, [&](CInstance* inst) { room.AdoptInstance(inst); });
  ReadInstances(s, [&](CInstance* inst) { room.AdoptDeactivated(inst); });
  // Destroyed instances were adopted like the others; the lists leave them out.
  room.RebuildLists();
  int32_t tiles = ReadCount(s, kTileBytes);
  room.tiles.resize(static_cast<size_t>(tiles));
  for (RTile& t : room.tiles) {
    t.x = s.ReadReal();
    t.y = s.ReadReal();
    for (int32_t* n : {&t.background, &t.left, &t.top, &t.width, &t.height}) *n = s.ReadInteger();
    t.depth = s.ReadReal();
    t.id = s.ReadInteger();
    t.xscale = s.ReadReal();
    t.yscale = s.ReadReal();
    t.blend = s.ReadInteger();
    t.alpha = s.ReadReal();
    t.visible = s.ReadBoolean();
  }
}

// ---- The whole file ----

// A saved game read aside; it replaces the play state only once all of it
// was read.
struct RSavedGame {
  int32_t room = 0;
  int32_t transition_kind = 0;
  int32_t score = 0;
  int32_t lives = 0;
  double health = 0;
  int32_t cursor_sprite = 0;
  int32_t cursor_image = 0;
  bool automatic_draw = true;
  RGlobalStore globals;
  std::vector<std::unique_ptr<CRoom>> rooms;
  int32_t last_instance_id = 0;
  int32_t last_tile_id = 0;
};

void WriteGame(CStream& s) {
  s.WriteInteger(SAVEGAME_VERSION);
  s.WriteInteger(GameId);
  s.WriteInteger(RoomIndex);
  s.WriteInteger(Game.transition_kind);
  s.WriteInteger(Game.score);
  s.WriteInteger(Game.lives);
  s.WriteReal(Game.health);
  s.WriteInteger(Game.cursor_sprite);
  s.WriteInteger(RunState.CursorImage);
  s.WriteBoolean(RunState.AutomaticDraw);
  WriteGlobals(s);
  const auto& rooms = Room_RuntimeCopies();
  s.WriteInteger(static_cast<int32_t>(rooms.size()));
  for (const auto& room : rooms) {
    s.WriteBoolean(room != nullptr);
    if (room) WriteRoom(s, *room);
  }
  s.WriteInteger(Instance_LastId);
  s.WriteInteger(Tile_LastId);
}

// The fields after the version and the game id.
void ReadGame(CStream& s, RSavedGame& g) {
  g.room = s.ReadInteger();
  g.transition_kind = s.ReadInteger();
  g.score = s.ReadInteger();
  g.lives = s.ReadInteger();
  g.health = s.ReadReal();
  g.cursor_sprite = s.ReadInteger();
  g.cursor_image = s.ReadInteger();
  g.automatic_draw = s.ReadBoolean();
  if (!ReadGlobalStore(s, g.globals)) Damaged("global variables of another version");
  int32_t count = ReadCount(s, kSlotBytes);
  g.rooms.resize(static_cast<size_t>(count));
  for (auto& room : g.rooms) {
    if (!s.ReadBoolean()) continue;
    room = std::make_unique<CRoom>();
    ReadRoom(s, *room);
  }
  g.last_instance_id = s.ReadInteger();
  g.last_tile_id = s.ReadInteger();
  // The game goes on in the saved room: without its copy there is nothing to play.
  if (g.room < 0 || g.room >= count || !g.rooms[g.room]) Damaged("no copy of the current room");
  if (s.Remaining() > 0) Damaged("bytes after the end");
}

void Install(RSavedGame& g) {
  Game.transition_kind = g.transition_kind;
  Game.score = g.score;
  Game.lives = g.lives;
  Game.health = g.health;
  Game.cursor_sprite = g.cursor_sprite;
  RunState.CursorImage = g.cursor_image;
  RunState.AutomaticDraw = g.automatic_draw;
  InstallGlobalStore(g.globals);
  // The old copies leave with `g`.
  Room_RuntimeCopies().swap(g.rooms);
  Room_SetCurrent(g.room, Room_RuntimeCopies()[g.room].get());
  Instance_LastId = g.last_instance_id;
  Tile_LastId = g.last_tile_id;
}

}  // namespace

std::string SaveGame_KeyFile() { return "_save" + std::to_string(GameId) + ".sav"; }

bool SaveGameToFile(const std::string& name) {
  if (SecureMode && Path_HasFolder(name)) {
    ReportActionError("In secure mode you cannot save game to file " + name);
    return false;
  }
  CStream out;
  WriteGame(out);
  const std::vector<uint8_t>& bytes = out.Bytes();
  std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!Path_ReplaceFile(Path_Resolve(name), data, true)) {
    ReportActionError("Failed to save game to file " + name);
    return false;
  }
  return true;
}

bool LoadGameFromFile(const std::string& name) {
  std::string path = Path_Resolve(name);
  if (!Path_IsFile(path)) return false;
  std::string content;
  if (!Path_ReadFile(path, content)) {
    ReportActionError("Failed to load game from file " + name);
    return false;
  }
  CStream in(std::vector<uint8_t>(content.begin(), content.end()));
  content = std::string();
  RSavedGame game;
  try {
    if (in.ReadInteger() != SAVEGAME_VERSION) {
      ReportActionError("Cannot load game saved with other version.");
      return false;
    }
    if (in.ReadInteger() != GameId) {
      ReportActionError("This is a save file for a different game!");
      return false;
    }
    ReadGame(in, game);
  } catch (const CStreamError&) {
    ReportActionError("Failed to load game from file " + name);
    return false;
  }
  Install(game);
  return true;
}
