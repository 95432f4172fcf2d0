#include "world/Room_Main.h"

#include <unordered_map>

#include "world/Instance_Class.h"

namespace {

std::vector<CInstance*> g_Instances;
std::unordered_map<int32_t, std::vector<CInstance*>> g_ByObject;
// The two remembered positions of the lookup by id: scripts tend to address
// the same one or two instances again and again.
size_t g_CacheA = 0;
size_t g_CacheB = 0;

bool LiveAt(size_t pos, int32_t id) {
  return pos < g_Instances.size() && g_Instances[pos]->id == id && !g_Instances[pos]->destroyed;
}

}  // namespace

const std::vector<CInstance*>& Room_Instances() { return g_Instances; }

const std::vector<CInstance*>& Room_ObjectInstances(int32_t object) {
  static const std::vector<CInstance*> kNone;
  auto it = g_ByObject.find(object);
  return it == g_ByObject.end() ? kNone : it->second;
}

CInstance* Room_FindInstance(int32_t id) {
  if (LiveAt(g_CacheA, id)) return g_Instances[g_CacheA];
  if (LiveAt(g_CacheB, id)) return g_Instances[g_CacheB];
  g_CacheB = g_CacheA;
  for (size_t i = g_Instances.size(); i-- > 0;) {
    if (g_Instances[i]->id == id) {
      g_CacheA = i;
      return g_Instances[i]->destroyed ? nullptr : g_Instances[i];
    }
  }
  return nullptr;
}

void Room_AddInstance(CInstance* inst) {
  g_Instances.push_back(inst);
  g_ByObject[inst->object_index].push_back(inst);
}

void Room_ClearInstances() {
  g_Instances.clear();
  g_ByObject.clear();
  g_CacheA = g_CacheB = 0;
}


namespace {

std::vector<std::unique_ptr<CRoom>> g_Rooms;
std::vector<int32_t> g_Order;
std::vector<std::unique_ptr<CRoom>> g_Runtime;
CRoom* g_Current = nullptr;

}  // namespace

int32_t RoomIndex = -1;

void Room_SetTable(std::vector<std::unique_ptr<CRoom>> rooms) { g_Rooms = std::move(rooms); }
int32_t Room_TableSize() { return static_cast<int32_t>(g_Rooms.size()); }
bool Room_Exists(int32_t index) { return Room_Resource(index) != nullptr; }

CRoom* Room_Resource(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(g_Rooms.size())) return nullptr;
  return g_Rooms[index].get();
}

void Room_SetOrder(std::vector<int32_t> order) { g_Order = std::move(order); }
const std::vector<int32_t>& Room_Order() { return g_Order; }

int32_t Room_OrderPrevious(int32_t n) {
  for (size_t i = 1; i < g_Order.size(); i++)
    if (g_Order[i] == n) return g_Order[i - 1];
  return -1;
}

int32_t Room_OrderNext(int32_t n) {
  for (size_t i = g_Order.size(); i-- > 1;)
    if (g_Order[i - 1] == n) return g_Order[i];
  return -1;
}

CRoom* Room_Current() { return g_Current; }
std::vector<std::unique_ptr<CRoom>>& Room_RuntimeCopies() { return g_Runtime; }

void Room_SetCurrent(int32_t index, CRoom* room) {
  RoomIndex = index;
  g_Current = room;
}
