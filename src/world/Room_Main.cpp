#include "world/Room_Main.h"

#include <string>

#include "data/DataNew_Class.h"
#include "data/Resource_Names.h"
#include "world/Instance_Class.h"

namespace {

std::vector<std::unique_ptr<CRoom>> g_Rooms;
std::vector<int32_t> g_Order;
std::vector<std::unique_ptr<CRoom>> g_Runtime;
CRoom* g_Current = nullptr;
const std::vector<CInstance*> kNoInstances;

}  // namespace

int32_t RoomIndex = -1;

// ---- The current room's instances ----

const std::vector<CInstance*>& Room_Instances() { return g_Current ? g_Current->Instances() : kNoInstances; }

const std::vector<CInstance*>& Room_ObjectInstances(int32_t object) {
  return g_Current ? g_Current->AncestorInstances(object) : kNoInstances;
}

CInstance* Room_FindInstance(int32_t id) { return g_Current ? g_Current->FindInstance(id) : nullptr; }

bool Room_BackgroundExists(int32_t index) {
  return index >= 0 && index < Resource_Count(RESOURCE_BACKGROUND) && !Resource_Name(RESOURCE_BACKGROUND, index).empty();
}

// ---- The room table ----

void Room_Install(const RSlots<RRoomRecord>& records, std::vector<int32_t> order,
                  CRoom::BackgroundSize background_size) {
  std::vector<std::unique_ptr<CRoom>> rooms(records.size());
  for (size_t i = 0; i < records.size(); i++) {
    if (!records[i]) continue;
    rooms[i] = std::make_unique<CRoom>();
    rooms[i]->LoadFrom(*records[i], background_size);
  }
  Room_SetTable(std::move(rooms));
  Room_SetOrder(std::move(order));
}

void Room_SetTable(std::vector<std::unique_ptr<CRoom>> rooms) { g_Rooms = std::move(rooms); }
int32_t Room_TableSize() { return static_cast<int32_t>(g_Rooms.size()); }
bool Room_Exists(int32_t index) { return Room_Resource(index) != nullptr; }

CRoom* Room_Resource(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(g_Rooms.size())) return nullptr;
  return g_Rooms[index].get();
}

int32_t Room_Add() {
  int32_t index = Room_TableSize();
  g_Rooms.push_back(std::make_unique<CRoom>());
  Resource_SetName(RESOURCE_ROOM, index, "__newroom" + std::to_string(index));
  return index;
}

bool Room_Assign(int32_t target, int32_t source) {
  CRoom* from = Room_Resource(source);
  if (!from || target < 0 || target >= Room_TableSize()) return false;
  if (!g_Rooms[target]) g_Rooms[target] = std::make_unique<CRoom>();
  g_Rooms[target]->CopyFrom(*from);
  return true;
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

// ---- Runtime copies ----

CRoom* Room_Current() { return g_Current; }
std::vector<std::unique_ptr<CRoom>>& Room_RuntimeCopies() { return g_Runtime; }

void Room_SetCurrent(int32_t index, CRoom* room) {
  RoomIndex = index;
  g_Current = room;
}

namespace {

CVariableList& InstanceVariables(CInstance* inst) { return inst->variables; }
bool InstanceDestroyed(const CInstance* inst) { return inst->destroyed; }
CInstance* StandIn() {
  static CInstance stand_in = [] {
    CInstance inst;
    inst.id = 0;
    inst.object_index = 0;
    return inst;
  }();
  return &stand_in;
}

}  // namespace

void World_InstallAccess() {
  Code_SetWorld({InstanceVariables, InstanceDestroyed, Room_Instances, Room_ObjectInstances, Room_FindInstance, StandIn});
}
