// The game file reader over arbitrary bytes. The first byte picks the form:
// even, a bare game file (no prefix); odd, the plain sections of a main block
// (neither compressed nor scrambled, so that mutations reach every record
// reader). Whatever is accepted must write back into bytes that read again
// and write back the same.
#include <cstdint>
#include <cstdlib>

#include "data/DataNew_Main.h"

namespace {

bool ReadAll(CStream& in, RGameData& game, bool sections) {
  if (!sections) return ReadGameFile(in, game) == GAME_READ_OK;
  for (int32_t s = 0; s < SECTION_COUNT; s++)
    if (!ReadSection(in, game, static_cast<RGameSection>(s))) return false;
  return true;
}

bool ReadAndWrite(RBytes bytes, bool sections, RBytes& out) {
  CStream in(std::move(bytes));
  RGameData game;
  try {
    if (!ReadAll(in, game, sections)) return false;
  } catch (const CStreamError&) {
    return false;
  }
  CStream written;
  if (sections) {
    for (int32_t s = 0; s < SECTION_COUNT; s++) WriteSection(written, game, static_cast<RGameSection>(s));
  } else {
    WriteGameFile(written, game);
  }
  out = std::move(written.Bytes());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool sections = data[0] & 1;
  RBytes first, second;
  if (!ReadAndWrite(RBytes(data + 1, data + size), sections, first)) return 0;
  if (!ReadAndWrite(first, sections, second) || second != first) std::abort();
  return 0;
}
