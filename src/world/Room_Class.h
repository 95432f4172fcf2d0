// Room_Class: CRoom, a room as a resource and as the runtime copy that is
// played: its settings, background layers, views, tiles and the instances it
// owns with their per-object lists.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct RRoomRecord;
class CInstance;

// A background layer.
struct CBack {
  bool visible = false;
  bool foreground = false;
  int32_t index = -1;
  double x = 0, y = 0;
  bool tile_h = true, tile_v = true;
  double hspeed = 0, vspeed = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
};

// A view: the part of the room shown and where in the window region.
struct CView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  double angle = 0;
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1;
  int32_t object = -1;  // object index, or an instance id from 100000 up
};

// A tile: a rectangle of a background drawn at a depth.
struct RTile {
  double x = 0, y = 0;
  int32_t background = -1;
  int32_t left = 0, top = 0, width = 0, height = 0;
  double depth = 0;
  int32_t id = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
  bool visible = true;
};

constexpr int32_t ROOM_LAYERS = 8;
constexpr int32_t ROOM_VIEWS = 8;

// The last tile id handed out; tiles added at run time count on from it.
// Starts at TILE_ID_BASE.
constexpr int32_t TILE_ID_BASE = 10000000;
extern int32_t Tile_LastId;

class CRoom {
 public:
  std::string caption;
  int32_t speed = 30;
  int32_t width = 640;
  int32_t height = 480;
  bool persistent = false;
  int32_t background_color = 0xC0C0C0;
  bool show_background_color = true;
  std::array<CBack, ROOM_LAYERS> backgrounds{};
  bool views_enabled = false;
  std::array<CView, ROOM_VIEWS> views{};
  std::string creation_code;
  std::vector<RTile> tiles;

  CRoom() = default;
  ~CRoom();
  CRoom(const CRoom&) = delete;
  CRoom& operator=(const CRoom&) = delete;

  // Takes every field of a room record; its instances are created with their
  // stored ids and creation codes (no event runs). Background sizes for the
  // stretch flag come from `background_size` (false: no such background).
  using BackgroundSize = bool (*)(int32_t background, int32_t& w, int32_t& h);
  void LoadFrom(const RRoomRecord& record, BackgroundSize background_size);
  // Every field, layer, view and tile, and a copy of every instance with its
  // id, variables and creation code; the lists are rebuilt.
  void CopyFrom(const CRoom& source);
  // Defaults, no instances, no tiles.
  void Reset();

  // ---- Instances ----

  // The active instances in room order (destroyed ones until removed).
  const std::vector<CInstance*>& Instances() const { return m_Instances; }
  const std::vector<CInstance*>& Deactivated() const { return m_Deactivated; }
  // Active instances whose object is exactly `object`, in room order.
  const std::vector<CInstance*>& ObjectInstances(int32_t object) const { return ListOf(m_ByObject, object); }
  // Active instances of `object` and of its descendants, in room order.
  const std::vector<CInstance*>& AncestorInstances(int32_t object) const { return ListOf(m_ByAncestor, object); }
  // The live active instance with that id, or null.
  CInstance* FindInstance(int32_t id) const;

  // A new instance of an object at a point (no event runs), appended.
  CInstance* CreateInstance(int32_t id, int32_t object, double x, double y);
  // Appends an instance the room then owns.
  CInstance* AdoptInstance(CInstance* inst);
  // Appends an instance the room then owns to the deactivated array, as it
  // was when its room was saved; the lists are the caller's to rebuild.
  void AdoptDeactivated(CInstance* inst) {
    m_Deactivated.push_back(inst);
    NoteDestroyed(inst);
  }
  // Frees the instances marked destroyed, keeping the others' order. Only
  // marks made through Instance_MarkDestroyed are seen: without a new one
  // since the last removal nothing is scanned.
  void RemoveDestroyed();
  // Moves instances between the active and deactivated arrays as their
  // marks say; activated ones go to the end of the active array.
  void ApplyActivation();
  // Frees every instance, active and deactivated.
  void ClearInstances();
  // Stable order of decreasing depth, instances and tiles alike. The
  // instances are kept sorted: they are looked at again only after an
  // instance joined the array or some depth changed (CInstance::SetDepth).
  void SortInstancesByDepth();
  void SortTilesByDepth();
  // Every layer moves by its speed (once per step).
  void ScrollBackgrounds();
  // Rebuilds the per-object lists and the id index from the active array.
  void RebuildLists();

  // ---- Tiles ----

  // Position of the tile with that id, or -1; tries the last one found first.
  int32_t FindTile(int32_t id);
  // Appends a visible tile with a new id; its position.
  int32_t AddTile(const RTile& tile);
  // Removes the tile at a position, keeping the others' order.
  void DeleteTileAt(int32_t position);

 private:
  static const std::vector<CInstance*>& ListOf(const std::vector<std::vector<CInstance*>>& lists, int32_t object) {
    static const std::vector<CInstance*> kNone;
    return object >= 0 && static_cast<size_t>(object) < lists.size() ? lists[object] : kNone;
  }
  // An instance that arrives already marked (a copy, a saved game) makes
  // the next removal scan.
  void NoteDestroyed(const CInstance* inst);
  // Appends to the per-object lists and the id index.
  void Index(CInstance* inst);
  void IndexId(CInstance* inst);
  void GrowIdTable();

  std::vector<CInstance*> m_Instances;
  std::vector<CInstance*> m_Deactivated;
  std::vector<std::vector<CInstance*>> m_ByObject;
  std::vector<std::vector<CInstance*>> m_ByAncestor;
  // Open-addressed id index over the active instances (null = empty slot);
  // rebuilt with the lists, so it never points at a freed instance.
  std::vector<CInstance*> m_IdTable;
  size_t m_IdCount = 0;
  // Reused by removal and (de)activation, which games run every step.
  std::vector<CInstance*> m_Scratch;
  // Instance_DestroyMarks() at the last removal scan; kScanDue when an
  // instance arrived marked.
  static constexpr uint64_t kScanDue = UINT64_MAX;
  uint64_t m_RemovedAt = 0;
  // The active array may be out of depth order: an instance joined it since
  // the last sort, or Instance_DepthChanges() has moved on from m_SortedAt.
  bool m_OrderUnknown = true;
  uint64_t m_SortedAt = 0;
  int32_t m_LastTile = -1;
};
