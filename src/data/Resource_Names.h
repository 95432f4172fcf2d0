// Resource_Names: the names of every resource table, by kind. Each table's
// owner keeps its records; the names live here so that the compiler can turn
// a resource name into its index, in one fixed order of kinds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Kinds in the order the compiler tries them when a name is a constant.
enum RResourceKind : int32_t {
  RESOURCE_OBJECT,
  RESOURCE_SPRITE,
  RESOURCE_SOUND,
  RESOURCE_BACKGROUND,
  RESOURCE_PATH,
  RESOURCE_FONT,
  RESOURCE_TIMELINE,
  RESOURCE_SCRIPT,
  RESOURCE_ROOM,
  RESOURCE_KIND_COUNT
};

// Empties the name table of a kind.
void Resource_ClearNames(RResourceKind kind);
// Sets the name of slot `index`, growing the table; an empty slot has "".
void Resource_SetName(RResourceKind kind, int32_t index, std::string_view name);
// Number of slots of the kind.
int32_t Resource_Count(RResourceKind kind);
// The name of a slot, or "<undefined>" outside the table.
const std::string& Resource_Name(RResourceKind kind, int32_t index);
// The first slot with exactly that (non-empty) name, or -1.
int32_t Resource_IndexOf(RResourceKind kind, std::string_view name);
// The index of the first kind, in compiler order, that has the name.
bool Resource_ConstantOf(std::string_view name, int32_t& index);
