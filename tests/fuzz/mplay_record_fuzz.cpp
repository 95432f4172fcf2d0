// Feeds arbitrary bytes to every reader of what other copies of a game send:
// the record, the greeting, the welcome and the answer to a search. Nothing
// may crash; a record that reads must write back to the same bytes, and the
// queue must keep its limit.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "functions/DPlay_Connect.h"
#include "functions/DPlay_Low.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  TMess record;
  if (DPlay_DecodeRecord(bytes, record)) {
    static uint8_t again[DPLAY_RECORD_BUFFER];
    const size_t n = DPlay_EncodeRecord(record.kind, record.id, record.value, again);
    if (n != size || std::memcmp(again, data, n) != 0) std::abort();
    static CMessageQueue queue;
    record.player = size;
    queue.Append(std::move(record));
    if (queue.Size() > DPLAY_QUEUE_LIMIT) std::abort();
    if (size % 3 == 0) queue.Take(0, record);
  }

  RHello hello;
  if (DPlay_ParseHello(bytes, hello) && hello.name.size() > DPLAY_MAX_NAME) std::abort();
  RWelcome welcome;
  if (DPlay_ParseWelcome(bytes, welcome)) {
    bool you = false;
    for (const RPlayerInfo& p : welcome.players) you = you || p.id == welcome.you;
    if (!you || welcome.players.size() > DPLAY_MAX_PEERS + 1) std::abort();
  }
  RSessionInfo session;
  RGameGuid game{};
  if (size > 21) std::memcpy(game.data(), data + 5, 16);
  DPlay_ParseProbeReply(bytes, game, session);
  return 0;
}
