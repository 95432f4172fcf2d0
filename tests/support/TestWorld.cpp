#include "support/TestWorld.h"

#include "runner/Builtins_Main.h"

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "runner/Run_Main.h"
#include "runner/Builtins_Main.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

RObjectRecord TestWorld_Object(const std::string& name, int32_t parent, std::vector<REventSpec> events) {
  RObjectRecord record;
  record.name = name;
  record.parent = parent;
  for (auto& [kind, number, code] : events) {
    RObjectEvent event{kind, number, {}};
    RActionRecord action;
    action.argValues = {code};
    event.event.actions.push_back(action);
    record.events.push_back(std::move(event));
  }
  return record;
}

RRoomInstance TestWorld_Instance(int32_t object, int32_t id, int32_t x, int32_t y, std::string code) {
  RRoomInstance inst;
  inst.object = object;
  inst.id = id;
  inst.x = x;
  inst.y = y;
  inst.creationCode = std::move(code);
  return inst;
}

bool TestWorld_Install(const RTestWorld& world) {
  Builtins_RegisterAll();
  Constant_RegisterBuiltins();
  TestWorld_Clear();
  Error_Reset();
  Settings = RSettings();
  Settings.DisplayErrors = false;
  Settings.WriteErrorLog = false;
  ResetGlobals();
  RSlots<RObjectRecord> objects;
  Resource_ClearNames(RESOURCE_OBJECT);
  for (size_t i = 0; i < world.objects.size(); i++) {
    objects.emplace_back(world.objects[i]);
    Resource_SetName(RESOURCE_OBJECT, static_cast<int32_t>(i), world.objects[i].name);
  }
  RSlots<RRoomRecord> rooms;
  Resource_ClearNames(RESOURCE_ROOM);
  std::vector<int32_t> order = world.order;
  for (size_t i = 0; i < world.rooms.size(); i++) {
    rooms.emplace_back(world.rooms[i]);
    Resource_SetName(RESOURCE_ROOM, static_cast<int32_t>(i), "room" + std::to_string(i));
    if (world.order.empty()) order.push_back(static_cast<int32_t>(i));
  }
  Object_Install(objects);
  Room_Install(rooms, order);
  Instance_LastId = world.last_instance_id;
  Run_SetLibraryInitCode(world.library_code);
  RunState.PendingRoom = REQUEST_NONE;
  return Object_CompileAll();
}

void TestWorld_Clear() {
  if (Room_Current()) EndGame();
  Room_SetCurrent(-1, nullptr);
  Room_RuntimeCopies().clear();
  Object_Install({});
  Room_Install({}, {});
  Run_SetLibraryInitCode({});
  BuildEventLists();
  RunState.PendingRoom = REQUEST_NONE;
}

std::string TestWorld_Log() {
  RValue v;
  return GetGlobal(VariableIdOf("log"), 0, v) ? v.str : std::string();
}

void TestWorld_ClearLog() { SetGlobal(VariableIdOf("log"), 0, RValue(std::string())); }

bool TestWorld_Run(const std::string& code, CInstance* self) {
  CCode program(code, false);
  if (!program.Compile()) return false;
  RValue result;
  return Execute(self, self, program, result);
}

RImageRecord TestWorld_SolidImage(int32_t w, int32_t h, uint32_t colour) {
  RImageRecord r;
  r.exists = true;
  r.width = w;
  r.height = h;
  for (int32_t i = 0; i < w * h; ++i)
    for (int shift = 0; shift < 32; shift += 8) r.pixels.push_back(static_cast<uint8_t>(colour >> shift));
  return r;
}
