#include "world/Room_Class.h"

#include <algorithm>

#include "data/DataNew_Class.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"

int32_t Tile_LastId = TILE_ID_BASE;

CRoom::~CRoom() { ClearInstances(); }

void CRoom::Reset() {
  ClearInstances();
  caption.clear();
  speed = 30;
  width = 640;
  height = 480;
  persistent = false;
  background_color = 0xC0C0C0;
  show_background_color = true;
  backgrounds.fill(CBack{});
  views_enabled = false;
  views.fill(CView{});
  creation_code.clear();
  tiles.clear();
  m_LastTile = -1;
}

void CRoom::LoadFrom(const RRoomRecord& r, BackgroundSize background_size) {
  Reset();
  caption = r.caption;
  width = r.width;
  height = r.height;
  speed = r.speed;
  persistent = r.persistent;
  background_color = r.backgroundColor;
  show_background_color = r.drawBackgroundColor;
  creation_code = r.creationCode;
  size_t layers = std::min<size_t>(r.backgrounds.size(), ROOM_LAYERS);
  for (size_t i = 0; i < layers; i++) {
    const RRoomBackground& b = r.backgrounds[i];
    CBack& back = backgrounds[i];
    back.visible = b.visible;
    back.foreground = b.foreground;
    back.index = b.background;
    back.x = b.x;
    back.y = b.y;
    back.tile_h = b.tileH;
    back.tile_v = b.tileV;
    back.hspeed = b.hspeed;
    back.vspeed = b.vspeed;
    int32_t w = 0, h = 0;
    if (b.stretch && background_size && background_size(b.background, w, h)) {
      if (w > 0) back.xscale = static_cast<double>(width) / w;
      if (h > 0) back.yscale = static_cast<double>(height) / h;
    }
  }
  views_enabled = r.viewsEnabled;
  size_t count = std::min<size_t>(r.views.size(), ROOM_VIEWS);
  for (size_t i = 0; i < count; i++) {
    const RRoomView& v = r.views[i];
    views[i] = CView{v.visible, v.viewX, v.viewY, v.viewW, v.viewH, v.portX, v.portY, v.portW, v.portH,
                     0.0,       v.hborder, v.vborder, v.hspeed, v.vspeed, v.follow};
  }
  for (const RRoomInstance& ri : r.instances) {
    CInstance* inst = CreateInstance(ri.id, ri.object, ri.x, ri.y);
    inst->creation_code = ri.creationCode;
  }
  tiles.reserve(r.tiles.size());
  for (const RRoomTile& rt : r.tiles) {
    RTile t;
    t.x = rt.x;
    t.y = rt.y;
    t.background = rt.background;
    t.left = rt.left;
    t.top = rt.top;
    t.width = rt.width;
    t.height = rt.height;
    t.depth = rt.depth;
    t.id = rt.id;
    tiles.push_back(t);
  }
}

void CRoom::CopyFrom(const CRoom& s) {
  if (this == &s) return;
  ClearInstances();
  caption = s.caption;
  speed = s.speed;
  width = s.width;
  height = s.height;
  persistent = s.persistent;
  background_color = s.background_color;
  show_background_color = s.show_background_color;
  backgrounds = s.backgrounds;
  views_enabled = s.views_enabled;
  views = s.views;
  creation_code = s.creation_code;
  tiles = s.tiles;
  m_LastTile = -1;
  m_Instances.reserve(s.m_Instances.size());
  for (const CInstance* source : s.m_Instances) {
    CInstance* inst = Instance_New();
    inst->CopyFrom(*source);
    m_Instances.push_back(inst);
    NoteDestroyed(inst);
  }
  RebuildLists();
}

// ---- Instances ----

CInstance* CRoom::FindInstance(int32_t id) const {
  if (m_IdTable.empty()) return nullptr;
  size_t mask = m_IdTable.size() - 1;
  for (size_t h = static_cast<uint32_t>(id) * 2654435761u & mask;; h = (h + 1) & mask) {
    CInstance* inst = m_IdTable[h];
    if (!inst) return nullptr;
    if (inst->id == id) return inst->destroyed ? nullptr : inst;
  }
}

void CRoom::IndexId(CInstance* inst) {
  if ((m_IdCount + 1) * 2 > m_IdTable.size()) GrowIdTable();
  size_t mask = m_IdTable.size() - 1;
  for (size_t h = static_cast<uint32_t>(inst->id) * 2654435761u & mask;; h = (h + 1) & mask) {
    CInstance*& slot = m_IdTable[h];
    if (!slot) {
      slot = inst;
      m_IdCount++;
      return;
    }
    // A later instance with the same id (a carried or changed instance
    // replacing one marked destroyed) takes the slot over.
    if (slot->id == inst->id) {
      slot = inst;
      return;
    }
  }
}

void CRoom::GrowIdTable() {
  std::vector<CInstance*> old;
  old.swap(m_IdTable);
  m_IdTable.assign(std::max<size_t>(16, old.size() * 2), nullptr);
  m_IdCount = 0;
  for (CInstance* inst : old)
    if (inst) IndexId(inst);
}

void CRoom::Index(CInstance* inst) {
  int32_t object = inst->object_index;
  if (object >= 0 && object < INSTANCE_ID_BASE) {
    size_t needed = static_cast<size_t>(std::max(object + 1, Object_Count()));
    if (m_ByObject.size() < needed) {
      m_ByObject.resize(needed);
      m_ByAncestor.resize(needed);
    }
    m_ByObject[object].push_back(inst);
    m_ByAncestor[object].push_back(inst);
    const CObject* obj = Object_Get(object);
    Object_WalkChain(obj ? obj->parent : -1, [&](int32_t index) {
      if (static_cast<size_t>(index) < m_ByAncestor.size()) m_ByAncestor[index].push_back(inst);
      return false;
    });
  }
  IndexId(inst);
}

void CRoom::RebuildLists() {
  // Callers rebuild after changing the array behind the room's back.
  m_OrderUnknown = true;
  for (auto& list : m_ByObject) list.clear();
  for (auto& list : m_ByAncestor) list.clear();
  std::fill(m_IdTable.begin(), m_IdTable.end(), nullptr);
  m_IdCount = 0;
  for (CInstance* inst : m_Instances)
    if (!inst->destroyed) Index(inst);
}

CInstance* CRoom::CreateInstance(int32_t id, int32_t object, double x, double y) {
  CInstance* inst = Instance_New();
  inst->Create(id, object, x, y);
  return AdoptInstance(inst);
}

void CRoom::NoteDestroyed(const CInstance* inst) {
  if (inst->destroyed) m_RemovedAt = kScanDue;
}

CInstance* CRoom::AdoptInstance(CInstance* inst) {
  m_Instances.push_back(inst);
  m_OrderUnknown = true;
  NoteDestroyed(inst);
  Index(inst);
  return inst;
}

namespace {

// Moves the instances for which `leave` holds out of `list` into `out` (in
// order), compacting the rest in place; false when none left.
template <class Leave>
bool Extract(std::vector<CInstance*>& list, std::vector<CInstance*>& out, Leave leave) {
  size_t kept = 0;
  for (CInstance* inst : list) {
    if (leave(inst))
      out.push_back(inst);
    else
      list[kept++] = inst;
  }
  bool any = kept != list.size();
  list.resize(kept);
  return any;
}

}  // namespace

void CRoom::RemoveDestroyed() {
  if (Instance_DestroyMarks() == m_RemovedAt) return;
  m_RemovedAt = Instance_DestroyMarks();
  m_Scratch.clear();
  if (!Extract(m_Instances, m_Scratch, [](const CInstance* inst) { return inst->destroyed; })) return;
  for (CInstance* inst : m_Scratch) Instance_Free(inst);
  m_Scratch.clear();
  // Removal keeps the order: what was sorted stays sorted.
  const bool order_unknown = m_OrderUnknown;
  RebuildLists();
  m_OrderUnknown = order_unknown;
}

void CRoom::ApplyActivation() {
  // Both moves at once: the newly woken go to the end of the active array,
  // the newly deactivated to the end of the waiting one.
  m_Scratch.clear();
  bool woken = Extract(m_Deactivated, m_Scratch, [](const CInstance* inst) { return !inst->deactivated; });
  size_t first_asleep = m_Scratch.size();
  bool asleep = Extract(m_Instances, m_Scratch, [](const CInstance* inst) { return inst->deactivated; });
  if (!woken && !asleep) return;
  m_OrderUnknown = true;
  m_Instances.insert(m_Instances.end(), m_Scratch.begin(), m_Scratch.begin() + first_asleep);
  m_Deactivated.insert(m_Deactivated.end(), m_Scratch.begin() + first_asleep, m_Scratch.end());
  m_Scratch.clear();
  RebuildLists();
}

void CRoom::ClearInstances() {
  for (CInstance* inst : m_Instances) Instance_Free(inst);
  for (CInstance* inst : m_Deactivated) Instance_Free(inst);
  m_Instances.clear();
  m_Deactivated.clear();
  RebuildLists();
}

namespace {

// Stable insertion sort into decreasing depth, skipped when already sorted.
template <class T, class Depth>
void SortByDepth(std::vector<T>& items, Depth depth) {
  auto deeper = [&](const T& a, const T& b) { return depth(a) > depth(b); };
  if (std::is_sorted(items.begin(), items.end(), deeper)) return;
  for (size_t i = 1; i < items.size(); i++) {
    T item = std::move(items[i]);
    size_t j = i;
    for (; j > 0 && deeper(item, items[j - 1]); j--) items[j] = std::move(items[j - 1]);
    items[j] = std::move(item);
  }
}

}  // namespace

void CRoom::SortInstancesByDepth() {
  if (!m_OrderUnknown && m_SortedAt == Instance_DepthChanges()) return;
  SortByDepth(m_Instances, [](const CInstance* inst) { return inst->depth; });
  m_OrderUnknown = false;
  m_SortedAt = Instance_DepthChanges();
}

void CRoom::SortTilesByDepth() {
  SortByDepth(tiles, [](const RTile& t) { return t.depth; });
  m_LastTile = -1;
}

void CRoom::ScrollBackgrounds() {
  for (CBack& back : backgrounds) {
    back.x += back.hspeed;
    back.y += back.vspeed;
  }
}

// ---- Tiles ----

int32_t CRoom::FindTile(int32_t id) {
  if (m_LastTile >= 0 && static_cast<size_t>(m_LastTile) < tiles.size() && tiles[m_LastTile].id == id)
    return m_LastTile;
  for (size_t i = 0; i < tiles.size(); i++) {
    if (tiles[i].id == id) return m_LastTile = static_cast<int32_t>(i);
  }
  return -1;
}

int32_t CRoom::AddTile(const RTile& tile) {
  tiles.push_back(tile);
  tiles.back().id = ++Tile_LastId;
  return static_cast<int32_t>(tiles.size()) - 1;
}

void CRoom::DeleteTileAt(int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= tiles.size()) return;
  tiles.erase(tiles.begin() + position);
  m_LastTile = -1;
}
