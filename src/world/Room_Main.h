// Room_Main: the instances of the current room as the interpreter and the
// variable owners see them: the room's instance list in room order, the
// by-ancestor list of each object, and lookup by id.
//
// Lists are returned by reference and may grow while a caller walks them
// (a `with` body creating instances), so walkers take the count once and
// fetch the list again for every position.
#pragma once

#include <cstdint>
#include <vector>

class CInstance;

// The current room's instances in room order (destroyed ones included).
const std::vector<CInstance*>& Room_Instances();
// The instances of an object and of its descendants, in the room's order;
// an empty list for an index that names no object.
const std::vector<CInstance*>& Room_ObjectInstances(int32_t object);
// The live (not destroyed) instance with that id, or null.
CInstance* Room_FindInstance(int32_t id);

// Building the list: appends an instance (the room does not own it here) and
// empties the list. Objects have no parents yet, so an object's by-ancestor
// list holds its own instances.
void Room_AddInstance(CInstance* inst);
void Room_ClearInstances();
