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

constexpr int32_t kVariableListVersion = 440;
// A room slot's presence flag; an empty variable list (version and count).
constexpr int64_t kSlotBytes = 4;
constexpr int64_t kEmptyVariablesBytes = 8;

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

// ---- Records ----

// The fixed fields of each record are listed once, in file order, and walked
// by a writer or a reader, so that the two cannot disagree on the layout.
struct RWrite {
  CStream& s;
  void operator()(const int32_t& v) { s.WriteInteger(v); }
  void operator()(const double& v) { s.WriteReal(v); }
  void operator()(const bool& v) { s.WriteBoolean(v); }
  void operator()(const std::string& v) { s.WriteString(v); }
};
struct RRead {
  CStream& s;
  void operator()(int32_t& v) { v = s.ReadInteger(); }
  void operator()(double& v) { v = s.ReadReal(); }
  void operator()(bool& v) { v = s.ReadBoolean(); }
  void operator()(std::string& v) { v = s.ReadString(); }
};

// Each walk takes the record as const (writing) or not (reading).
template <class Io, class Fields, class... More>
void Walk(Io& io, Fields& first, More&... more) {
  io(first);
  if constexpr (sizeof...(more) > 0) Walk(io, more...);
}

// Everything of an instance but its variables, the bounding box included:
// an instance whose object was deleted or whose sprite no longer exists
// comes back as it was saved.
template <class Io, class Inst>
void InstanceFields(Io& io, Inst& i) {
  Walk(io, i.id, i.sprite_index, i.image_index, i.image_speed, i.image_xscale, i.image_yscale, i.image_angle,
       i.image_alpha, i.image_blend, i.mask_index, i.depth, i.precise, i.x, i.y, i.xstart, i.ystart, i.xprevious,
       i.yprevious, i.direction, i.speed, i.friction, i.gravity_direction, i.gravity, i.hspeed, i.vspeed,
       i.bbox_left, i.bbox_right, i.bbox_top, i.bbox_bottom, i.visible, i.solid, i.persistent, i.object_index);
  for (auto& alarm : i.alarm) io(alarm);
  Walk(io, i.destroyed, i.deactivated, i.path_index, i.path_position, i.path_positionprevious, i.path_speed,
       i.path_scale, i.path_orientation, i.path_endaction, i.path_xstart, i.path_ystart, i.timeline_index,
       i.timeline_position, i.timeline_speed, i.creation_code);
}

template <class Io, class Room>
void RoomFields(Io& io, Room& r) {
  Walk(io, r.caption, r.width, r.height, r.speed, r.persistent, r.background_color, r.show_background_color,
       r.creation_code);
}

template <class Io, class Back>
void LayerFields(Io& io, Back& b) {
  Walk(io, b.visible, b.foreground, b.index, b.x, b.y, b.tile_h, b.tile_v, b.xscale, b.yscale, b.hspeed, b.vspeed,
       b.blend, b.alpha);
}

template <class Io, class View>
void ViewFields(Io& io, View& v) {
  Walk(io, v.visible, v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport, v.angle, v.hborder,
       v.vborder, v.hspeed, v.vspeed, v.object);
}

template <class Io, class Tile>
void TileFields(Io& io, Tile& t) {
  Walk(io, t.x, t.y, t.background, t.left, t.top, t.width, t.height, t.depth, t.id, t.xscale, t.yscale, t.blend,
       t.alpha, t.visible);
}

// Counts the bytes a walk writes, every string empty: the fewest a record
// takes. A count read from a file is checked against it before anything is
// made for it.
struct RSize {
  int64_t bytes = 0;
  void operator()(const int32_t&) { bytes += 4; }
  void operator()(const double&) { bytes += 8; }
  void operator()(const bool&) { bytes += 4; }
  void operator()(const std::string&) { bytes += 4; }
};
template <class Record, class Fields>
int64_t FewestBytes(Fields fields) {
  RSize size;
  fields(size, Record{});
  return size.bytes;
}
const int64_t kLayerBytes = FewestBytes<CBack>([](auto& io, const auto& r) { LayerFields(io, r); });
const int64_t kViewBytes = FewestBytes<CView>([](auto& io, const auto& r) { ViewFields(io, r); });
const int64_t kTileBytes = FewestBytes<RTile>([](auto& io, const auto& r) { TileFields(io, r); });
const int64_t kInstanceBytes =
    FewestBytes<CInstance>([](auto& io, const auto& r) { InstanceFields(io, r); }) + kEmptyVariablesBytes;

void WriteInstances(CStream& s, const std::vector<CInstance*>& list) {
  RWrite io{s};
  s.WriteInteger(static_cast<int32_t>(list.size()));
  for (const CInstance* inst : list) {
    InstanceFields(io, *inst);
    inst->variables.WriteTo(s);
  }
}

struct RInstanceFree {
  void operator()(CInstance* inst) const { Instance_Free(inst); }
};

// Reads a count of instance records, handing each to `adopt` once it is
// whole. An object past the table cannot have been this game's (and the
// room would grow a list for every index up to it).
template <class Adopt>
void ReadInstances(CStream& s, Adopt adopt) {
  RRead io{s};
  int32_t count = ReadCount(s, kInstanceBytes);
  for (int32_t i = 0; i < count; i++) {
    std::unique_ptr<CInstance, RInstanceFree> inst(Instance_New());
    InstanceFields(io, *inst);
    if (inst->object_index >= Object_Count()) Damaged("instance of an object past the table");
    ReadVariables(s, inst->variables);
    adopt(inst.release());
  }
}

void WriteRoom(CStream& s, const CRoom& room) {
  RWrite io{s};
  s.WriteInteger(SAVEGAME_VERSION);
  RoomFields(io, room);
  s.WriteInteger(kLayersWritten);
  for (const CBack& b : room.backgrounds) LayerFields(io, b);
  s.WriteBoolean(room.views_enabled);
  s.WriteInteger(kViewsWritten);
  for (const CView& v : room.views) ViewFields(io, v);
  WriteInstances(s, room.Instances());
  WriteInstances(s, room.Deactivated());
  s.WriteInteger(static_cast<int32_t>(room.tiles.size()));
  for (const RTile& t : room.tiles) TileFields(io, t);
}

// Layers and views past the eight a room has are read and dropped; those a
// record lacks keep their defaults.
void ReadRoom(CStream& s, CRoom& room) {
  RRead io{s};
  if (s.ReadInteger() != SAVEGAME_VERSION) Damaged("room of another version");
  RoomFields(io, room);
  int32_t layers = ReadCount(s, kLayerBytes);
  for (int32_t i = 0; i < layers; i++) {
    CBack b;
    LayerFields(io, b);
    if (i < ROOM_LAYERS) room.backgrounds[i] = b;
  }
  room.views_enabled = s.ReadBoolean();
  int32_t views = ReadCount(s, kViewBytes);
  for (int32_t i = 0; i < views; i++) {
    CView v;
    ViewFields(io, v);
    if (i < ROOM_VIEWS) room.views[i] = v;
  }
  ReadInstances(s, [&](CInstance* inst) { room.AdoptInstance(inst); });
  ReadInstances(s, [&](CInstance* inst) { room.AdoptDeactivated(inst); });
  // Destroyed instances were adopted like the others; the lists leave them out.
  room.RebuildLists();
  room.tiles.resize(static_cast<size_t>(ReadCount(s, kTileBytes)));
  for (RTile& t : room.tiles) TileFields(io, t);
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
