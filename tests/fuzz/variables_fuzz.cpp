// Stored variable lists (saved games, data structures) come from files: any
// bytes read as a list or fail with a stream error, and a list written and
// read again writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/Support_Stream.h"
#include "variables/Variable_Class.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CStream in(std::vector<uint8_t>(data, data + size));
  CVariableList list;
  try {
    list.ReadFrom(in);
  } catch (const CStreamError&) {
    return 0;
  }
  if (list.Count() == 0) return 0;
  CStream out;
  list.WriteTo(out);
  out.SetPosition(0);
  CVariableList again;
  again.ReadFrom(out);
  CStream twice;
  again.WriteTo(twice);
  if (twice.Bytes() != out.Bytes()) __builtin_trap();
  // Every stored element reads back.
  RValue v;
  for (int32_t i = 0; i < list.Count(); i++)
    if (!list.Get(list.At(i).id, 0, v)) __builtin_trap();
  return 0;
}
