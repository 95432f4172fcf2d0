// DPlay_Low: the record that running copies of a game exchange (a message or
// a shared-data update, byte for byte as it travels), and the queue in which
// received messages wait until the game reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "code/RValue.h"

// Record kinds.
constexpr uint8_t DPLAY_KIND_DATA = 0;     // a shared-data update; id is the index
constexpr uint8_t DPLAY_KIND_MESSAGE = 1;  // a message; id is the message id
// Longest string a record carries; longer strings are cut to this.
constexpr size_t DPLAY_MAX_STRING = 32000;
// Size of the buffers records are built in; every record fits.
constexpr size_t DPLAY_RECORD_BUFFER = 33000;
// Messages the queue holds at most.
constexpr size_t DPLAY_QUEUE_LIMIT = 4000;

// One record: the player it came from (or, when sending, goes to; 0 for all),
// its kind, its id and its value.
struct TMess {
  uint32_t player = 0;
  uint8_t kind = 0;
  int32_t id = 0;
  RValue value;
};

// Writes the wire form of a record into `buffer` (DPLAY_RECORD_BUFFER bytes)
// and returns its length: kind (1 byte), id (int32), value type (1 byte: 1
// string, 0 real), then a string as its length (uint32) and bytes, or a real
// as an IEEE double; little-endian throughout.
size_t DPlay_EncodeRecord(uint8_t kind, int32_t id, const RValue& value, uint8_t* buffer);

// Reads a record sent by another copy. False, leaving `out` unspecified, when
// the bytes are not exactly one well-formed record: an unknown kind or value
// type, a string longer than allowed or than the bytes, a real that is not a
// finite number, or bytes left over. `out.player` is not touched.
bool DPlay_DecodeRecord(std::span<const uint8_t> bytes, TMess& out);

// Received messages in arrival order, each with a read flag. Messages are
// matched by sender: player 0 matches every sender.
class CMessageQueue {
 public:
  CMessageQueue();
  // Appends an unread message. A full queue is compacted first; when it is
  // still full the message is dropped and false returned.
  bool Append(TMess&& message);
  // Takes the first unread message from `player` into `out` and marks it
  // read; false when there is none.
  bool Take(uint32_t player, TMess& out);
  // The unread messages from `player`.
  int32_t Count(uint32_t player) const;
  // Marks every unread message from `player` read, then compacts.
  void Clear(uint32_t player);
  // Records held, read or not.
  size_t Size() const { return records_.size(); }
  // Empties the queue.
  void Reset();

 private:
  struct REntry {
    TMess message;
    bool read = false;
  };
  // Keeps the unread records in order and drops the read ones.
  void Compact();
  static bool Matches(const REntry& e, uint32_t player) {
    return !e.read && (player == 0 || e.message.player == player);
  }
  std::vector<REntry> records_;
  size_t first_unread_ = 0;
};
