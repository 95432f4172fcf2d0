// Building small worlds in memory for tests: objects whose events are code
// actions, rooms with instances, installed as the load sequence would, and
// a log that event code appends to (global.log).
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "data/DataNew_Class.h"

// One event of an object: kind, number and the code of its one code action.
using REventSpec = std::tuple<int32_t, int32_t, std::string>;

RObjectRecord TestWorld_Object(const std::string& name, int32_t parent, std::vector<REventSpec> events);
// A room instance at (x, y) with an id and a creation code.
RRoomInstance TestWorld_Instance(int32_t object, int32_t id, int32_t x = 0, int32_t y = 0, std::string code = "");

// An image record of one colour (0xAARRGGBB) for sprites and backgrounds.
RImageRecord TestWorld_SolidImage(int32_t w, int32_t h, uint32_t colour);

struct RTestWorld {
  std::vector<RObjectRecord> objects;
  std::vector<RRoomRecord> rooms;
  std::vector<int32_t> order;  // empty: every room in index order
  std::vector<std::string> library_code = {"global.log = ''"};
  int32_t last_instance_id = 100100;
};

// Registers the built-ins, resets errors and installs the world (objects
// compiled, rooms, order, ids, names); no game is started. False when the
// actions do not compile.
bool TestWorld_Install(const RTestWorld& world);
// Leaves any running game and empties the tables.
void TestWorld_Clear();
// The text of global.log ("" when unset).
std::string TestWorld_Log();
// Clears global.log.
void TestWorld_ClearLog();
// Runs a program with self and other the given instance (null: none); false
// on an error.
bool TestWorld_Run(const std::string& code, class CInstance* self = nullptr);
