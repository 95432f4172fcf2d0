#include "functions/Support_Data_Structures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "variables/Function_Math.h"

CDS_Table<CDS_Stack> DS_Stacks;
CDS_Table<CDS_Queue> DS_Queues;
CDS_Table<CDS_List> DS_Lists;
CDS_Table<CDS_Map> DS_Maps;
CDS_Table<CDS_Priority> DS_Priorities;
CDS_Table<CDS_Grid> DS_Grids;

namespace {

constexpr double DEFAULT_PRECISION = 0.00000001;
double g_Precision = DEFAULT_PRECISION;

// The shared comparison; the exported DS_Compare calls it, and the
// containers call it directly so that it inlines into their searches.
inline int Compare(const RValue& a, const RValue& b) {
  if (a.kind != b.kind) return a.kind == VALUE_REAL ? -1 : 1;
  if (a.kind == VALUE_STRING) {
    int c = a.str.compare(b.str);
    return (c > 0) - (c < 0);
  }
  double tolerance = g_Precision;
  if (tolerance == 0) tolerance = std::max(std::min(std::fabs(a.real), std::fabs(b.real)) * 1e-12, 1e-12);
  if (std::fabs(a.real - b.real) <= tolerance) return 0;
  return a.real < b.real ? -1 : 1;
}

// The exact order behind the sorting and the priority heaps: reals before
// strings, reals by value with not-a-numbers last (so the order stays strict
// and weak), strings bytewise. DS_Compare agrees with it except for values
// within the precision of each other, which callers detect.
bool ExactLess(const RValue& a, const RValue& b) {
  if (a.kind != b.kind) return a.kind == VALUE_REAL;
  if (a.kind == VALUE_STRING) return a.str < b.str;
  if (std::isnan(a.real)) return false;
  return std::isnan(b.real) || a.real < b.real;
}
bool ExactEqual(const RValue& a, const RValue& b) { return !ExactLess(a, b) && !ExactLess(b, a); }

// Whether two values next to each other in exact order (a before b) compare
// the way the exact order says, both ways round.
bool Consistent(const RValue& a, const RValue& b) {
  if (ExactEqual(a, b)) return Compare(a, b) == 0 && Compare(b, a) == 0;
  return Compare(a, b) < 0 && Compare(b, a) > 0;
}

// ---------------------------------------------------------------------------
// Text form: a little-endian byte stream, two uppercase hex digits a byte.

enum : int32_t {
  HEADER_STACK = 101,
  HEADER_QUEUE = 201,
  HEADER_LIST = 301,
  HEADER_MAP = 401,
  HEADER_PRIORITY = 501,
  HEADER_GRID = 601
};
// The fewest bytes a value takes: kind, real and length.
constexpr int64_t MIN_VALUE_BYTES = 16;

void PutByte(std::string& out, uint8_t b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.push_back(kHex[b >> 4]);
  out.push_back(kHex[b & 15]);
}
void PutBytes(std::string& out, uint64_t bits, int count) {
  for (int i = 0; i < count; i++) PutByte(out, static_cast<uint8_t>(bits >> (8 * i)));
}
void PutInt(std::string& out, int32_t v) { PutBytes(out, static_cast<uint32_t>(v), 4); }
void PutValue(std::string& out, const RValue& v) {
  uint64_t bits;
  std::memcpy(&bits, &v.real, 8);
  PutInt(out, v.kind);
  PutBytes(out, bits, 8);
  PutInt(out, static_cast<int32_t>(v.str.size()));
  for (char c : v.str) PutByte(out, static_cast<uint8_t>(c));
}
void PutValues(std::string& out, const std::vector<RValue>& values) {
  for (const RValue& v : values) PutValue(out, v);
}
// A guess of the text length, so that writing grows the string once or twice.
size_t TextSize(size_t values) { return 16 + values * 2 * MIN_VALUE_BYTES; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the byte stream of a text form. Every read fails once the text runs
// out or holds a character that is no hexadecimal digit; counts are checked
// against what the text can still hold before anything is allocated.
class RHexReader {
 public:
  explicit RHexReader(std::string_view text) : text_(text) {}

  bool Bytes(uint64_t& bits, int count) {
    bits = 0;
    for (int i = 0; i < count; i++) {
      if (text_.size() - pos_ < 2) return false;
      int hi = HexDigit(text_[pos_]), lo = HexDigit(text_[pos_ + 1]);
      if (hi < 0 || lo < 0) return false;
      pos_ += 2;
      bits |= static_cast<uint64_t>(hi * 16 + lo) << (8 * i);
    }
    return true;
  }
  bool Int(int32_t& v) {
    uint64_t bits;
    if (!Bytes(bits, 4)) return false;
    v = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return true;
  }
  // A count of items of at least `item_bytes` bytes each that the rest of
  // the text can hold.
  bool Count(int32_t& n, int64_t item_bytes) { return Int(n) && n >= 0 && n <= BytesLeft() / item_bytes; }
  bool Value(RValue& v) {
    uint64_t bits;
    int32_t length;
    if (!Int(v.kind) || (v.kind != VALUE_REAL && v.kind != VALUE_STRING) || !Bytes(bits, 8) ||
        !Count(length, 1))
      return false;
    std::memcpy(&v.real, &bits, 8);
    v.str.resize(static_cast<size_t>(length));
    for (char& c : v.str) {
      if (!Bytes(bits, 1)) return false;
      c = static_cast<char>(bits);
    }
    return true;
  }
  bool Values(std::vector<RValue>& values, int32_t count) {
    values.resize(static_cast<size_t>(count));
    for (RValue& v : values)
      if (!Value(v)) return false;
    return true;
  }
  int64_t BytesLeft() const { return static_cast<int64_t>((text_.size() - pos_) / 2); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Reads the header; anything but the kind's number (or no header at all)
// leaves the container alone.
bool HeaderIs(RHexReader& in, int32_t header) {
  int32_t found;
  return in.Int(found) && found == header;
}

// A stream of `count` followed by that many values.
EDS_Read ReadCounted(std::string_view text, int32_t header, std::vector<RValue>& values) {
  RHexReader in(text);
  if (!HeaderIs(in, header)) return DS_READ_OTHER_KIND;
  int32_t count;
  std::vector<RValue> read;
  if (!in.Count(count, MIN_VALUE_BYTES) || !in.Values(read, count)) return DS_READ_DAMAGED;
  values = std::move(read);
  return DS_READ_OK;
}
void WriteCounted(std::string& out, int32_t header, const std::vector<RValue>& values) {
  out.reserve(out.size() + TextSize(values.size()));
  PutInt(out, header);
  PutInt(out, static_cast<int32_t>(values.size()));
  PutValues(out, values);
}

}  // namespace

// ---------------------------------------------------------------------------
// Comparison

void DS_SetPrecision(double precision) { g_Precision = std::fabs(precision); }
double DS_Precision() { return g_Precision; }

int DS_Compare(const RValue& a, const RValue& b) { return Compare(a, b); }

// ---------------------------------------------------------------------------
// Stack

RValue CDS_Stack::Pop() {
  if (values_.empty()) return RValue();
  RValue v = std::move(values_.back());
  values_.pop_back();
  return v;
}

RValue CDS_Stack::Top() const { return values_.empty() ? RValue() : values_.back(); }

void CDS_Stack::Clear() { values_ = {}; }

void CDS_Stack::Write(std::string& out) const { WriteCounted(out, HEADER_STACK, values_); }

EDS_Read CDS_Stack::Read(std::string_view text) { return ReadCounted(text, HEADER_STACK, values_); }

// ---------------------------------------------------------------------------
// Queue

void CDS_Queue::Enqueue(const RValue& v) {
  if (tail_ == Capacity()) slots_.resize(static_cast<size_t>(tail_) + 16);
  slots_[static_cast<size_t>(tail_++)] = v;
}

RValue CDS_Queue::Dequeue() {
  RValue v;
  if (tail_ > head_) v = slots_[static_cast<size_t>(head_++)];
  // Compacting only once head has passed half the values keeps dequeues
  // amortised constant. The slots behind the new tail keep their old values:
  // the text form shows them.
  if (head_ > 16 && head_ > tail_ / 2) {
    std::copy(slots_.begin() + head_, slots_.begin() + tail_, slots_.begin());
    tail_ -= head_;
    head_ = 0;
  }
  return v;
}

RValue CDS_Queue::Head() const { return tail_ > head_ ? slots_[static_cast<size_t>(head_)] : RValue(); }

RValue CDS_Queue::Tail() const { return tail_ > head_ ? slots_[static_cast<size_t>(tail_ - 1)] : RValue(); }

void CDS_Queue::Clear() {
  head_ = tail_ = 0;
  slots_ = {};
}

void CDS_Queue::Write(std::string& out) const {
  out.reserve(out.size() + TextSize(slots_.size()));
  PutInt(out, HEADER_QUEUE);
  PutInt(out, tail_);
  PutInt(out, head_);
  PutInt(out, Capacity());
  PutValues(out, slots_);
}

EDS_Read CDS_Queue::Read(std::string_view text) {
  RHexReader in(text);
  if (!HeaderIs(in, HEADER_QUEUE)) return DS_READ_OTHER_KIND;
  int32_t tail, head, capacity;
  std::vector<RValue> slots;
  if (!in.Int(tail) || !in.Int(head) || !in.Count(capacity, MIN_VALUE_BYTES) || head < 0 || head > tail ||
      tail > capacity || !in.Values(slots, capacity))
    return DS_READ_DAMAGED;
  tail_ = tail;
  head_ = head;
  slots_ = std::move(slots);
  return DS_READ_OK;
}

// ---------------------------------------------------------------------------
// List

void CDS_List::Insert(int32_t pos, const RValue& v) {
  if (pos >= 0 && pos <= Size()) values_.insert(values_.begin() + pos, v);
}

void CDS_List::Replace(int32_t pos, const RValue& v) {
  if (pos >= 0 && pos < Size()) values_[static_cast<size_t>(pos)] = v;
}

void CDS_List::Delete(int32_t pos) {
  if (pos >= 0 && pos < Size()) values_.erase(values_.begin() + pos);
}

int32_t CDS_List::FindIndex(const RValue& v) const {
  for (size_t i = 0; i < values_.size(); i++)
    if (Compare(values_[i], v) == 0) return static_cast<int32_t>(i);
  return -1;
}

RValue CDS_List::FindValue(int32_t pos) const {
  return pos >= 0 && pos < Size() ? values_[static_cast<size_t>(pos)] : RValue();
}

void CDS_List::Sort(bool ascending) {
  size_t n = values_.size();
  // When the comparison agrees with the exact order on every neighbouring
  // pair, the values fall into classes of equals and the insertion sort's
  // result is the stable sort (ascending) or its reverse (descending, which
  // moves each value past its equals). Values lying within the precision of
  // each other without being equal make the comparison intransitive; only
  // the insertion sort itself gives its result then.
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [this](uint32_t a, uint32_t b) { return ExactLess(values_[a], values_[b]); });
  bool consistent = true;
  for (size_t i = 1; i < n && consistent; i++) consistent = Consistent(values_[order[i - 1]], values_[order[i]]);
  if (!consistent) {
    for (size_t i = 1; i < n; i++)
      for (size_t k = i; k >= 1; k--) {
        if ((Compare(values_[k - 1], values_[k]) > 0) != ascending) break;
        std::swap(values_[k - 1], values_[k]);
      }
    return;
  }
  if (!ascending) std::reverse(order.begin(), order.end());
  std::vector<RValue> sorted;
  sorted.reserve(n);
  for (uint32_t i : order) sorted.push_back(std::move(values_[i]));
  values_ = std::move(sorted);
}

void CDS_List::Shuffle() {
  uint32_t n = static_cast<uint32_t>(values_.size());
  for (uint64_t t = 0; t < uint64_t{n} * 8; t++) {
    uint32_t i = Random_Below(n);
    uint32_t j = Random_Below(n);
    std::swap(values_[i], values_[j]);
  }
}

void CDS_List::Clear() { values_ = {}; }

void CDS_List::Write(std::string& out) const { WriteCounted(out, HEADER_LIST, values_); }

EDS_Read CDS_List::Read(std::string_view text) { return ReadCounted(text, HEADER_LIST, values_); }

// ---------------------------------------------------------------------------
// Map

namespace {
// Blocks split when they reach twice this size and are rebuilt at this size.
constexpr size_t MAP_BLOCK = 128;
}  // namespace

void CDS_Map::Locate(int32_t pos, size_t& block, size_t& offset) const {
  block = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), pos) - starts_.begin()) - 1;
  offset = static_cast<size_t>(pos - starts_[block]);
}

const CDS_Map::REntry& CDS_Map::At(int32_t pos) const {
  size_t block, offset;
  Locate(pos, block, offset);
  return blocks_[block][offset];
}

// While keys are out of exact order: the halving narrows the range down to 8
// entries and the scan finishes; a scan that finds nothing in the range goes
// on to the end, which only matters when the order is inconsistent.
template <class P>
int32_t CDS_Map::PartitionPoint(P passes) const {
  size_t block = static_cast<size_t>(std::partition_point(firsts_.begin(), firsts_.end(), passes) - firsts_.begin());
  if (block == 0) return 0;
  const std::vector<REntry>& entries = blocks_[--block];
  auto in_block = std::partition_point(entries.begin(), entries.end(), [&](const REntry& e) { return passes(e.key); });
  return starts_[block] + static_cast<int32_t>(in_block - entries.begin());
}

int32_t CDS_Map::Descent(int32_t a, int32_t b) const { return ExactLess(At(b).key, At(a).key); }

int32_t CDS_Map::Lower(const RValue& k) const {
  if (descents_ == 0) {
    int32_t pos = PartitionPoint([&](const RValue& key) { return Compare(key, k) < 0; });
    return pos < count_ ? pos : -1;
  }
  int32_t lo = 0, hi = count_ - 1;
  while (hi - lo + 1 > 8) {
    int32_t mid = lo + (hi - lo) / 2;
    if (Compare(At(mid).key, k) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (count_ == 0) return -1;
  size_t block, offset;
  Locate(lo, block, offset);
  for (int32_t pos = lo; pos < count_; pos++) {
    if (offset == blocks_[block].size()) block++, offset = 0;
    if (Compare(blocks_[block][offset++].key, k) >= 0) return pos;
  }
  return -1;
}

int32_t CDS_Map::Upper(const RValue& k) const {
  if (descents_ == 0) return PartitionPoint([&](const RValue& key) { return Compare(key, k) <= 0; }) - 1;
  int32_t lo = 0, hi = count_ - 1;
  while (hi - lo + 1 > 8) {
    int32_t mid = lo + (hi - lo) / 2;
    if (Compare(At(mid).key, k) > 0)
      hi = mid - 1;
    else
      lo = mid;
  }
  if (count_ == 0) return -1;
  size_t block, offset;
  Locate(hi, block, offset);
  for (int32_t pos = hi; pos >= 0; pos--) {
    if (Compare(blocks_[block][offset].key, k) <= 0) return pos;
    if (offset == 0) {
      if (block == 0) break;
      offset = blocks_[--block].size();
    }
    offset--;
  }
  return -1;
}

void CDS_Map::InsertAt(int32_t pos, REntry entry) {
  if (blocks_.empty()) {
    blocks_.emplace_back();
    starts_.push_back(0);
    firsts_.emplace_back();
  }
  if (pos > 0 && pos < count_) descents_ -= Descent(pos - 1, pos);
  size_t block, offset;
  if (pos == count_) {
    block = blocks_.size() - 1;
    offset = blocks_[block].size();
  } else {
    Locate(pos, block, offset);
  }
  std::vector<REntry>& entries = blocks_[block];
  entries.insert(entries.begin() + static_cast<ptrdiff_t>(offset), std::move(entry));
  if (offset == 0) firsts_[block] = entries.front().key;
  count_++;
  for (size_t b = block + 1; b < starts_.size(); b++) starts_[b]++;
  if (entries.size() >= 2 * MAP_BLOCK) {
    std::vector<REntry> upper(std::make_move_iterator(entries.begin() + MAP_BLOCK),
                              std::make_move_iterator(entries.end()));
    entries.resize(MAP_BLOCK);
    auto at = static_cast<ptrdiff_t>(block) + 1;
    firsts_.insert(firsts_.begin() + at, upper.front().key);
    blocks_.insert(blocks_.begin() + at, std::move(upper));
    starts_.insert(starts_.begin() + at, starts_[block] + static_cast<int32_t>(MAP_BLOCK));
  }
  if (pos > 0) descents_ += Descent(pos - 1, pos);
  if (pos + 1 < count_) descents_ += Descent(pos, pos + 1);
}

void CDS_Map::EraseAt(int32_t pos) {
  if (pos > 0) descents_ -= Descent(pos - 1, pos);
  if (pos + 1 < count_) descents_ -= Descent(pos, pos + 1);
  size_t block, offset;
  Locate(pos, block, offset);
  std::vector<REntry>& entries = blocks_[block];
  entries.erase(entries.begin() + static_cast<ptrdiff_t>(offset));
  count_--;
  for (size_t b = block + 1; b < starts_.size(); b++) starts_[b]--;
  auto at = static_cast<ptrdiff_t>(block);
  if (entries.empty()) {
    blocks_.erase(blocks_.begin() + at);
    starts_.erase(starts_.begin() + at);
    firsts_.erase(firsts_.begin() + at);
  } else if (offset == 0) {
    firsts_[block] = entries.front().key;
  }
  if (pos > 0 && pos < count_) descents_ += Descent(pos - 1, pos);
}

void CDS_Map::Rebuild(std::vector<REntry> entries) {
  blocks_.clear();
  starts_.clear();
  firsts_.clear();
  count_ = static_cast<int32_t>(entries.size());
  descents_ = 0;
  for (size_t i = 1; i < entries.size(); i++) descents_ += ExactLess(entries[i].key, entries[i - 1].key);
  for (size_t first = 0; first < entries.size(); first += MAP_BLOCK) {
    size_t last = std::min(entries.size(), first + MAP_BLOCK);
    firsts_.push_back(entries[first].key);
    blocks_.emplace_back(std::make_move_iterator(entries.begin() + static_cast<ptrdiff_t>(first)),
                         std::make_move_iterator(entries.begin() + static_cast<ptrdiff_t>(last)));
    starts_.push_back(static_cast<int32_t>(first));
  }
}

void CDS_Map::Add(const RValue& key, const RValue& v) { InsertAt(Upper(key) + 1, REntry{key, v}); }

void CDS_Map::Replace(const RValue& key, const RValue& v) {
  int32_t pos = Lower(key);
  if (pos < 0) return;
  size_t block, offset;
  Locate(pos, block, offset);
  REntry& entry = blocks_[block][offset];
  if (Compare(entry.key, key) == 0) entry.value = v;
}

void CDS_Map::Delete(const RValue& key) {
  int32_t pos = Lower(key);
  if (pos >= 0 && Compare(At(pos).key, key) == 0) EraseAt(pos);
}

bool CDS_Map::Exists(const RValue& key) const {
  int32_t pos = Lower(key);
  return pos >= 0 && Compare(At(pos).key, key) == 0;
}

RValue CDS_Map::FindValue(const RValue& key) const {
  int32_t pos = Lower(key);
  if (pos >= 0 && Compare(At(pos).key, key) == 0) return At(pos).value;
  return RValue();
}

RValue CDS_Map::FindPrevious(const RValue& key) const {
  int32_t pos = Lower(key);
  if (pos < 0) return FindLast();
  return pos > 0 ? At(pos - 1).key : RValue();
}

RValue CDS_Map::FindNext(const RValue& key) const {
  int32_t pos = Upper(key) + 1;
  return pos < count_ ? At(pos).key : RValue();
}

RValue CDS_Map::FindFirst() const { return count_ > 0 ? blocks_.front().front().key : RValue(); }

RValue CDS_Map::FindLast() const { return count_ > 0 ? blocks_.back().back().key : RValue(); }

void CDS_Map::Clear() {
  blocks_ = {};
  starts_ = {};
  firsts_ = {};
  count_ = 0;
  descents_ = 0;
}

void CDS_Map::Write(std::string& out) const {
  out.reserve(out.size() + TextSize(2 * static_cast<size_t>(count_)));
  PutInt(out, HEADER_MAP);
  PutInt(out, count_);
  for (const auto& block : blocks_)
    for (const REntry& e : block) PutValue(out, e.key);
  for (const auto& block : blocks_)
    for (const REntry& e : block) PutValue(out, e.value);
}

// The keys are taken in the order the text gives them, sorted or not, as a
// stored form is the container's own fields.
EDS_Read CDS_Map::Read(std::string_view text) {
  RHexReader in(text);
  if (!HeaderIs(in, HEADER_MAP)) return DS_READ_OTHER_KIND;
  int32_t count;
  std::vector<RValue> keys, values;
  if (!in.Count(count, 2 * MIN_VALUE_BYTES) || !in.Values(keys, count) || !in.Values(values, count))
    return DS_READ_DAMAGED;
  std::vector<REntry> entries(keys.size());
  for (size_t i = 0; i < keys.size(); i++) entries[i] = REntry{std::move(keys[i]), std::move(values[i])};
  Rebuild(std::move(entries));
  return DS_READ_OK;
}

// ---------------------------------------------------------------------------
// Priority queue

bool CDS_Priority::Before(const RHeap& heap, int32_t a, int32_t b) const {
  const RValue& pa = priorities_[static_cast<size_t>(a)];
  const RValue& pb = priorities_[static_cast<size_t>(b)];
  if (heap.max ? ExactLess(pb, pa) : ExactLess(pa, pb)) return true;
  return a < b && ExactEqual(pa, pb);
}

void CDS_Priority::SiftUp(RHeap& heap, size_t i) {
  while (i > 0) {
    size_t parent = (i - 1) / 2;
    if (!Before(heap, heap.items[i], heap.items[parent])) break;
    std::swap(heap.items[i], heap.items[parent]);
    heap.at[static_cast<size_t>(heap.items[i])] = static_cast<int32_t>(i);
    heap.at[static_cast<size_t>(heap.items[parent])] = static_cast<int32_t>(parent);
    i = parent;
  }
}

void CDS_Priority::SiftDown(RHeap& heap, size_t i) {
  size_t n = heap.items.size();
  for (;;) {
    size_t best = i, left = 2 * i + 1, right = left + 1;
    if (left < n && Before(heap, heap.items[left], heap.items[best])) best = left;
    if (right < n && Before(heap, heap.items[right], heap.items[best])) best = right;
    if (best == i) return;
    std::swap(heap.items[i], heap.items[best]);
    heap.at[static_cast<size_t>(heap.items[i])] = static_cast<int32_t>(i);
    heap.at[static_cast<size_t>(heap.items[best])] = static_cast<int32_t>(best);
    i = best;
  }
}

void CDS_Priority::Fix(RHeap& heap, size_t i) {
  int32_t item = heap.items[i];
  SiftUp(heap, i);
  SiftDown(heap, static_cast<size_t>(heap.at[static_cast<size_t>(item)]));
}

void CDS_Priority::RebuildHeaps() {
  for (RHeap* heap : {&min_, &max_}) {
    heap->items.resize(values_.size());
    heap->at.resize(values_.size());
    std::iota(heap->items.begin(), heap->items.end(), 0);
    for (size_t i = heap->items.size() / 2; i-- > 0;) SiftDown(*heap, i);
    for (size_t i = 0; i < heap->items.size(); i++) heap->at[static_cast<size_t>(heap->items[i])] = static_cast<int32_t>(i);
  }
}

int32_t CDS_Priority::FindEntry(const RValue& v) const {
  for (size_t i = 0; i < values_.size(); i++)
    if (Compare(values_[i], v) == 0) return static_cast<int32_t>(i);
  return -1;
}

// The entry a scan from position 0 would pick, replacing its candidate only
// on a strictly smaller (greater) priority. The heap's top gives the same
// entry when every priority within the precision of the top's equals it
// exactly; the search for such priorities stops at the first heap nodes
// clearly beyond, since their subtrees lie further still.
int32_t CDS_Priority::Winner(const RHeap& heap) const {
  if (values_.empty()) return -1;
  int32_t top = heap.items[0];
  const RValue& best = priorities_[static_cast<size_t>(top)];
  int beyond = heap.max ? -1 : 1;
  // A not-a-number compares greater than everything, itself included, and
  // turns the scan's result into one of position only.
  bool clear = nan_count_ == 0;
  scratch_.clear();
  scratch_.push_back(0);
  while (clear && !scratch_.empty()) {
    size_t i = scratch_.back();
    scratch_.pop_back();
    const RValue& p = priorities_[static_cast<size_t>(heap.items[i])];
    if (ExactEqual(p, best)) {
      clear = Compare(p, best) == 0 && Compare(best, p) == 0;
      for (size_t child = 2 * i + 1; child <= 2 * i + 2 && child < heap.items.size(); child++) scratch_.push_back(child);
    } else {
      clear = Compare(p, best) == beyond && Compare(best, p) == -beyond;
    }
  }
  if (clear) return top;
  int32_t winner = 0;
  for (size_t i = 1; i < priorities_.size(); i++)
    if (Compare(priorities_[i], priorities_[static_cast<size_t>(winner)]) == -beyond)
      winner = static_cast<int32_t>(i);
  return winner;
}

namespace {
bool IsNan(const RValue& v) { return v.IsReal() && std::isnan(v.real); }
}  // namespace

void CDS_Priority::Add(const RValue& v, const RValue& priority) {
  int32_t pos = Size();
  values_.push_back(v);
  priorities_.push_back(priority);
  nan_count_ += IsNan(priority);
  for (RHeap* heap : {&min_, &max_}) {
    heap->items.push_back(pos);
    heap->at.push_back(static_cast<int32_t>(heap->items.size() - 1));
    SiftUp(*heap, heap->items.size() - 1);
  }
}

void CDS_Priority::ChangePriority(const RValue& v, const RValue& priority) {
  int32_t pos = FindEntry(v);
  if (pos < 0) return;
  RValue& p = priorities_[static_cast<size_t>(pos)];
  nan_count_ += IsNan(priority) - IsNan(p);
  p = priority;
  for (RHeap* heap : {&min_, &max_}) Fix(*heap, static_cast<size_t>(heap->at[static_cast<size_t>(pos)]));
}

RValue CDS_Priority::FindPriority(const RValue& v) const {
  int32_t pos = FindEntry(v);
  return pos >= 0 ? priorities_[static_cast<size_t>(pos)] : RValue();
}

// The last entry takes the removed one's place.
void CDS_Priority::RemoveEntry(int32_t pos) {
  size_t last = values_.size() - 1, p = static_cast<size_t>(pos);
  nan_count_ -= IsNan(priorities_[p]);
  for (RHeap* heap : {&min_, &max_}) {
    size_t i = static_cast<size_t>(heap->at[p]), end = heap->items.size() - 1;
    if (i != end) {
      heap->items[i] = heap->items[end];
      heap->at[static_cast<size_t>(heap->items[i])] = static_cast<int32_t>(i);
      heap->items.pop_back();
      Fix(*heap, i);
    } else {
      heap->items.pop_back();
    }
  }
  if (p != last) {
    values_[p] = std::move(values_[last]);
    priorities_[p] = std::move(priorities_[last]);
    for (RHeap* heap : {&min_, &max_}) {
      size_t i = static_cast<size_t>(heap->at[last]);
      heap->items[i] = pos;
      heap->at[p] = static_cast<int32_t>(i);
      Fix(*heap, i);
    }
  }
  values_.pop_back();
  priorities_.pop_back();
  min_.at.pop_back();
  max_.at.pop_back();
}

void CDS_Priority::DeleteValue(const RValue& v) {
  int32_t pos = FindEntry(v);
  if (pos >= 0) RemoveEntry(pos);
}

RValue CDS_Priority::FindMin() const {
  int32_t pos = Winner(min_);
  return pos >= 0 ? values_[static_cast<size_t>(pos)] : RValue();
}

RValue CDS_Priority::FindMax() const {
  int32_t pos = Winner(max_);
  return pos >= 0 ? values_[static_cast<size_t>(pos)] : RValue();
}

RValue CDS_Priority::DeleteMin() {
  int32_t pos = Winner(min_);
  if (pos < 0) return RValue();
  RValue v = values_[static_cast<size_t>(pos)];
  RemoveEntry(pos);
  return v;
}

RValue CDS_Priority::DeleteMax() {
  int32_t pos = Winner(max_);
  if (pos < 0) return RValue();
  RValue v = values_[static_cast<size_t>(pos)];
  RemoveEntry(pos);
  return v;
}

void CDS_Priority::Clear() {
  values_ = {};
  priorities_ = {};
  nan_count_ = 0;
  min_.items = {};
  min_.at = {};
  max_.items = {};
  max_.at = {};
}

void CDS_Priority::Write(std::string& out) const {
  out.reserve(out.size() + TextSize(2 * values_.size()));
  PutInt(out, HEADER_PRIORITY);
  PutInt(out, Size());
  PutValues(out, priorities_);
  PutValues(out, values_);
}

EDS_Read CDS_Priority::Read(std::string_view text) {
  RHexReader in(text);
  if (!HeaderIs(in, HEADER_PRIORITY)) return DS_READ_OTHER_KIND;
  int32_t count;
  std::vector<RValue> priorities, values;
  if (!in.Count(count, 2 * MIN_VALUE_BYTES) || !in.Values(priorities, count) || !in.Values(values, count))
    return DS_READ_DAMAGED;
  values_ = std::move(values);
  priorities_ = std::move(priorities);
  nan_count_ = static_cast<int32_t>(std::count_if(priorities_.begin(), priorities_.end(), IsNan));
  RebuildHeaps();
  return DS_READ_OK;
}

// ---------------------------------------------------------------------------
// Grid

CDS_Grid::CDS_Grid(int32_t width, int32_t height) { Resize(width, height); }

void CDS_Grid::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (height == height_) {
    cells_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  } else {
    std::vector<RValue> cells(static_cast<size_t>(width) * static_cast<size_t>(height));
    int32_t keep_w = std::min(width, width_), keep_h = std::min(height, height_);
    for (int32_t x = 0; x < keep_w; x++)
      for (int32_t y = 0; y < keep_h; y++)
        cells[static_cast<size_t>(x) * static_cast<size_t>(height) + static_cast<size_t>(y)] = std::move(Cell(x, y));
    cells_ = std::move(cells);
  }
  width_ = width;
  height_ = height;
}

void CDS_Grid::Fill(const RValue& v) { std::fill(cells_.begin(), cells_.end(), v); }

void CDS_Grid::Shuffle() {
  uint64_t times = static_cast<uint64_t>(cells_.size()) * 8;
  for (uint64_t t = 0; t < times; t++) {
    uint32_t x1 = Random_Below(static_cast<uint32_t>(width_));
    uint32_t x2 = Random_Below(static_cast<uint32_t>(width_));
    uint32_t y1 = Random_Below(static_cast<uint32_t>(height_));
    uint32_t y2 = Random_Below(static_cast<uint32_t>(height_));
    std::swap(Cell(static_cast<int32_t>(x1), static_cast<int32_t>(y1)),
              Cell(static_cast<int32_t>(x2), static_cast<int32_t>(y2)));
  }
}

void CDS_Grid::Write(std::string& out) const {
  out.reserve(out.size() + TextSize(cells_.size()));
  PutInt(out, HEADER_GRID);
  PutInt(out, width_);
  PutInt(out, height_);
  PutValues(out, cells_);
}

EDS_Read CDS_Grid::Read(std::string_view text) {
  RHexReader in(text);
  if (!HeaderIs(in, HEADER_GRID)) return DS_READ_OTHER_KIND;
  int32_t width, height;
  std::vector<RValue> cells;
  if (!in.Int(width) || !in.Int(height) || width < 0 || height < 0 || width > DS_GRID_MAX_CELLS ||
      height > DS_GRID_MAX_CELLS || int64_t{width} * height > DS_GRID_MAX_CELLS ||
      int64_t{width} * height > in.BytesLeft() / MIN_VALUE_BYTES ||
      !in.Values(cells, width * height))
    return DS_READ_DAMAGED;
  width_ = width;
  height_ = height;
  cells_ = std::move(cells);
  return DS_READ_OK;
}

void DS_ApplyOp(EDS_GridOp op, RValue& cell, const RValue& v) {
  switch (op) {
    case DS_OP_SET:
      cell = v;
      break;
    case DS_OP_ADD:
      if (cell.IsReal() && v.IsReal())
        cell.real = CheckReal(cell.real + v.real);
      else if (cell.IsString() && v.IsString())
        cell.str += v.str;
      else
        cell = v;
      break;
    case DS_OP_MULTIPLY:
      if (cell.IsReal() && v.IsReal()) cell.real = CheckReal(cell.real * v.real);
      break;
  }
}

namespace {
// A range [min(a, b), max(a, b)] clipped to [0, size - 1].
void ClipRange(int64_t a, int64_t b, int32_t size, int32_t& first, int32_t& last) {
  first = static_cast<int32_t>(std::max<int64_t>(0, std::min(a, b)));
  last = static_cast<int32_t>(std::min<int64_t>(int64_t{size} - 1, std::max(a, b)));
}
}  // namespace

RDS_Area DS_Region(const CDS_Grid& grid, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  RDS_Area area;
  ClipRange(x1, x2, grid.Width(), area.x1, area.x2);
  ClipRange(y1, y2, grid.Height(), area.y1, area.y2);
  return area;
}

RDS_Area DS_DiskBox(const CDS_Grid& grid, double xm, double ym, double r) {
  // Clipped as reals first: the bounds of a far-off disk need not fit an int.
  auto clip = [](double lo, double hi, int32_t size, int32_t& first, int32_t& last) {
    lo = std::floor(lo);
    hi = std::ceil(hi);
    if (!(lo <= hi) || hi < 0 || lo > size - 1.0) {
      first = 0;
      last = -1;
      return;
    }
    first = static_cast<int32_t>(std::max(0.0, lo));
    last = static_cast<int32_t>(std::min(size - 1.0, hi));
  };
  RDS_Area area;
  clip(xm - r, xm + r, grid.Width(), area.x1, area.x2);
  clip(ym - r, ym + r, grid.Height(), area.y1, area.y2);
  return area;
}

void DS_GridRegionCopy(CDS_Grid& dest, const CDS_Grid& source, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                       int64_t xpos, int64_t ypos, EDS_GridOp op) {
  RDS_Area from = DS_Region(source, x1, y1, x2, y2);
  int64_t fx1 = from.x1, fy1 = from.y1, fx2 = from.x2, fy2 = from.y2;
  if (xpos < 0) fx1 -= xpos, xpos = 0;
  if (ypos < 0) fy1 -= ypos, ypos = 0;
  fx2 = std::min(fx2, fx1 + dest.Width() - 1 - xpos);
  fy2 = std::min(fy2, fy1 + dest.Height() - 1 - ypos);
  if (fx1 > fx2 || fy1 > fy2) return;
  // Visiting from the end that moves away from the destination reads each
  // cell of an overlapping copy before it is overwritten.
  int64_t nx = fx2 - fx1, ny = fy2 - fy1;
  bool x_back = fx1 < xpos, y_back = fy1 < ypos;
  for (int64_t i = 0; i <= nx; i++) {
    int64_t dx = x_back ? nx - i : i;
    for (int64_t j = 0; j <= ny; j++) {
      int64_t dy = y_back ? ny - j : j;
      DS_ApplyOp(op, dest.Cell(static_cast<int32_t>(xpos + dx), static_cast<int32_t>(ypos + dy)),
                 source.Cell(static_cast<int32_t>(fx1 + dx), static_cast<int32_t>(fy1 + dy)));
    }
  }
}

// ---------------------------------------------------------------------------

void DS_ClearAll() {
  DS_Stacks.Clear();
  DS_Queues.Clear();
  DS_Lists.Clear();
  DS_Maps.Clear();
  DS_Priorities.Clear();
  DS_Grids.Clear();
  g_Precision = DEFAULT_PRECISION;
}
