// Code_World: what the language needs of the world it runs in. The
// interpreter and the variable stores reach instances and rooms only through
// these calls; the world installs them at start-up. Until it does (and in
// programs that compile code without running a game) there are no instances:
// the lists are empty, no id is found, and an instance's variables are a
// scratch store.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Tree.h"

class CInstance;

// Instance ids start here; smaller owner values name objects.
constexpr int32_t INSTANCE_ID_BASE = 100000;
class CVariableList;

struct RWorldAccess {
  // The instance's own variables.
  CVariableList& (*variables)(CInstance* inst);
  // Whether the instance was destroyed in this step (it is skipped).
  bool (*destroyed)(const CInstance* inst);
  // The instances of the current room, and those of an object and its
  // descendants, in creation order.
  const std::vector<CInstance*>& (*instances)();
  const std::vector<CInstance*>& (*object_instances)(int32_t object);
  // The live instance with this id, or null.
  CInstance* (*find)(int32_t id);
  // An instance (id 0, object 0) for code that runs before any room exists,
  // such as the value of a user constant.
  CInstance* (*stand_in)();
};

// The installed access (a copy of what World_InstallAccess gave).
extern RWorldAccess World;
void Code_SetWorld(const RWorldAccess& access);

// Runs fn(inst) for every live instance an owner names: an instance id (100000
// and up), `all`, or an object with its descendants. The count is taken once:
// instances created meanwhile are not visited. fn returns false to stop.
template <typename Fn>
void World_ForOwner(int32_t owner, Fn fn);

// ---- implementation of the template ----

template <typename Fn>
void World_ForOwner(int32_t owner, Fn fn) {
  if (owner >= INSTANCE_ID_BASE) {
    if (CInstance* inst = World.find(owner)) fn(inst);
    return;
  }
  auto list = [owner]() -> const std::vector<CInstance*>& {
    return owner == OWNER_ALL ? World.instances() : World.object_instances(owner);
  };
  size_t count = list().size();
  for (size_t i = 0; i < count; i++) {
    const std::vector<CInstance*>& now = list();
    if (i >= now.size()) break;
    if (!World.destroyed(now[i]) && !fn(now[i])) return;
  }
}
