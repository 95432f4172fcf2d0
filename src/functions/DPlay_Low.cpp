#include "functions/DPlay_Low.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kTypeReal = 0;
constexpr uint8_t kTypeString = 1;
constexpr size_t kHeader = 6;  // kind, id, value type

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

size_t DPlay_EncodeRecord(uint8_t kind, int32_t id, const RValue& value, uint8_t* buffer) {
  buffer[0] = kind;
  Put32(buffer + 1, static_cast<uint32_t>(id));
  if (value.IsString()) {
    const size_t n = std::min(value.str.size(), DPLAY_MAX_STRING);
    buffer[5] = kTypeString;
    Put32(buffer + 6, static_cast<uint32_t>(n));
    std::memcpy(buffer + 10, value.str.data(), n);
    return 10 + n;
  }
  buffer[5] = kTypeReal;
  const uint64_t bits = std::bit_cast<uint64_t>(value.real);
  Put32(buffer + 6, static_cast<uint32_t>(bits));
  Put32(buffer + 10, static_cast<uint32_t>(bits >> 32));
  return 14;
}

bool DPlay_DecodeRecord(std::span<const uint8_t> bytes, TMess& out) {
  if (bytes.size() < kHeader) return false;
  const uint8_t* p = bytes.data();
  if (p[0] != DPLAY_KIND_DATA && p[0] != DPLAY_KIND_MESSAGE) return false;
  out.kind = p[0];
  out.id = static_cast<int32_t>(Get32(p + 1));
  if (p[5] == kTypeString) {
    if (bytes.size() < 10) return false;
    const uint32_t n = Get32(p + 6);
    if (n > DPLAY_MAX_STRING || n != bytes.size() - 10) return false;
    out.value.SetString(std::string_view(reinterpret_cast<const char*>(p + 10), n));
    return true;
  }
  if (p[5] != kTypeReal || bytes.size() != 14) return false;
  const double real = std::bit_cast<double>(uint64_t{Get32(p + 6)} | uint64_t{Get32(p + 10)} << 32);
  // Scripts never hold an infinity or a not-a-number; one from the network
  // would fault the first arithmetic that touched it.
  if (!std::isfinite(real)) return false;
  out.value.SetReal(real);
  return true;
}

CMessageQueue::CMessageQueue() { records_.reserve(DPLAY_QUEUE_LIMIT); }

bool CMessageQueue::Append(TMess&& message) {
  if (records_.size() >= DPLAY_QUEUE_LIMIT) Compact();
  if (records_.size() >= DPLAY_QUEUE_LIMIT) return false;
  records_.push_back({std::move(message), false});
  return true;
}

bool CMessageQueue::Take(uint32_t player, TMess& out) {
  auto it = std::find_if(records_.begin() + static_cast<ptrdiff_t>(first_unread_), records_.end(),
                         [player](const REntry& e) { return Matches(e, player); });
  if (it == records_.end()) return false;
  out = it->message;
  it->read = true;
  while (first_unread_ < records_.size() && records_[first_unread_].read) first_unread_++;
  return true;
}

int32_t CMessageQueue::Count(uint32_t player) const {
  return static_cast<int32_t>(std::count_if(records_.begin() + static_cast<ptrdiff_t>(first_unread_), records_.end(),
                                            [player](const REntry& e) { return Matches(e, player); }));
}

void CMessageQueue::Clear(uint32_t player) {
  for (size_t i = first_unread_; i < records_.size(); i++)
    if (Matches(records_[i], player)) records_[i].read = true;
  Compact();
}

void CMessageQueue::Reset() {
  records_.clear();
  first_unread_ = 0;
}

void CMessageQueue::Compact() {
  std::erase_if(records_, [](const REntry& e) { return e.read; });
  first_unread_ = 0;
}
