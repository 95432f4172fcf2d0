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
