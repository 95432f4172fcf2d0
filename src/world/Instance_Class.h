// Instance_Class: CInstance, one instance of an object in the running room.
// The interpreter and the variable stores need only the fields below; the
// motion, drawing and event state join them here.
#pragma once

#include <cstdint>

#include "variables/Variable_Class.h"

class CInstance {
 public:
  // Unique id, from 100000 upwards.
  int32_t id = 0;
  // The object this is an instance of.
  int32_t object_index = -1;
  // Marked for removal; skipped by `with`, owners and lookups by id until
  // the room frees it.
  bool destroyed = false;
  // The instance's own variables.
  CVariableList variables;
};
