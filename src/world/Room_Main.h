// Room_Main: the room table with its order, the runtime copies of the rooms
// visited, and the current room's instances as the interpreter, the variable
// owners and the built-ins see them.
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
#include "data/DataNew_Class.h"

// ---- The current room's instances (empty when no room is current) ----

// Active instances in room order (destroyed ones included until removed).
const std::vector<CInstance*>& Room_Instances();
// Active instances of an object and of its descendants, in room order.
const std::vector<CInstance*>& Room_ObjectInstances(int32_t object);
// The live active instance with that id, or null.
CInstance* Room_FindInstance(int32_t id);

// Gives the language these lists and the instances' variables (program
// start, before any code runs).
void World_InstallAccess();

// Whether a background exists, for tiles and layers. Until the background
// table arrives, the loaded names tell which slots hold one.
bool Room_BackgroundExists(int32_t index);

// ---- The room table and the room order (names in the resource names) ----

// Replaces the table with rooms made from the records, and the order.
// Stretched background layers take their scales from `background_size`
// (null: no background has a size, and every layer keeps scale 1).
void Room_Install(const RSlots<RRoomRecord>& records, std::vector<int32_t> order,
                  CRoom::BackgroundSize background_size = nullptr);
// Replaces the table (slot i holds room i or null).
void Room_SetTable(std::vector<std::unique_ptr<CRoom>> rooms);
int32_t Room_TableSize();
bool Room_Exists(int32_t index);
// The resource at index, or null.
CRoom* Room_Resource(int32_t index);
// A new default room named "__newroom" + index, outside the room order.
int32_t Room_Add();
// Room `target` (created when its slot is empty) becomes a copy of `source`;
// false when source does not exist or target is not a valid index.
bool Room_Assign(int32_t target, int32_t source);

void Room_SetOrder(std::vector<int32_t> order);
const std::vector<int32_t>& Room_Order();
// The room before / after n in the order, or -1 (n first/last/not in it).
int32_t Room_OrderPrevious(int32_t n);
int32_t Room_OrderNext(int32_t n);

// ---- Runtime copies and the current room ----

// Index of the current room (built-in `room`) and its runtime copy.
extern int32_t RoomIndex;
CRoom* Room_Current();
// Runtime copies by room index; an empty slot means not entered yet or not
// persistent.
std::vector<std::unique_ptr<CRoom>>& Room_RuntimeCopies();
void Room_SetCurrent(int32_t index, CRoom* room);
