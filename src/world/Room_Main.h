// Room_Main: the instances of the current room as the interpreter and the
// variable owners see them: the room's instance list in room order, the
// by-ancestor list of each object, and lookup by id.
//
// Lists are returned by reference and may grow while a caller walks them
// (a `with` body creating instances), so walkers take the count once and
// fetch the list again for every position.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "world/Room_Class.h"

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

// ---- The room table, the room order and the runtime copies ----

// Replaces the room table; slot i holds room i or null.
void Room_SetTable(std::vector<std::unique_ptr<CRoom>> rooms);
int32_t Room_TableSize();
bool Room_Exists(int32_t index);
// The resource at index, or null.
CRoom* Room_Resource(int32_t index);

// The room order: the game starts in its first room.
void Room_SetOrder(std::vector<int32_t> order);
const std::vector<int32_t>& Room_Order();
// The room before / after n in the order, or -1 (n first/last/not in it).
int32_t Room_OrderPrevious(int32_t n);
int32_t Room_OrderNext(int32_t n);

// Index of the current room (built-in `room`) and its runtime copy.
extern int32_t RoomIndex;
CRoom* Room_Current();
// Runtime copies by room index; an empty slot means not entered yet or not
// persistent.
std::vector<std::unique_ptr<CRoom>>& Room_RuntimeCopies();
void Room_SetCurrent(int32_t index, CRoom* room);
