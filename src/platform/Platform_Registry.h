// Platform_Registry: the registry, a persistent store of named values under
// hierarchical keys, kept in one SQLite database shared by every game of the
// user: $XDG_DATA_HOME/velmora/registry.sqlite (default
// ~/.local/share/velmora/). Each write is one transaction, so several running
// games writing at once lose nothing and a crash leaves the earlier or the
// new value. Keys ("Software\Velmora\12") and value names compare without
// regard to letter case; empty key components and leading "\" do not count.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The roots keys live under.
enum RRegistryRoot : int32_t {
  REGISTRY_CURRENT_USER = 0,
  REGISTRY_LOCAL_MACHINE = 1,
  REGISTRY_CLASSES_ROOT = 2,
  REGISTRY_USERS = 3,
};

// The kinds of a stored value.
enum RRegistryKind : int32_t {
  REGISTRY_STRING = 1,
  REGISTRY_REAL = 2,     // a double (8 bytes)
  REGISTRY_INTEGER = 3,  // a 32-bit number, as preferences are stored
};

struct RRegistryValue {
  RRegistryKind kind = REGISTRY_STRING;
  std::string text;
  double real = 0;
  int64_t integer = 0;
};

// Whether a key exists (it was created by a write of a value under it or
// under one of its sub-keys).
bool Registry_KeyExists(RRegistryRoot root, std::string_view key);
// Reads a value; false when the key, the value or the store is missing.
bool Registry_Read(RRegistryRoot root, std::string_view key, std::string_view name, RRegistryValue& value);
// Writes a value, creating the key and its parents. False when the store
// cannot be opened or written.
bool Registry_Write(RRegistryRoot root, std::string_view key, std::string_view name, const RRegistryValue& value);

// Closes the store; the next call opens it again, from the path the
// environment names then.
void Registry_Close();
