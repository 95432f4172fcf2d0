// Feeds arbitrary bytes to the load sequence as a game file: it must load or
// fail with a message, never crash, hang or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/Support_Stream.h"
#include "runner/Runner_Load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CStream stream(std::vector<uint8_t>(data, data + size));
  try {
    ReadGameData(stream);
  } catch (const CStreamError&) {
  }
  return 0;
}
