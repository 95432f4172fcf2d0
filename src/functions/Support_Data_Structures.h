// Support_Data_Structures: the containers scripts build from values (stacks,
// queues, lists, maps, priority queues and grids), the one comparison they
// all share, their tables of ids and their text form.
//
// Positions and sizes are already integers here; the built-ins round them.
// Nothing in this module reports errors: the built-ins do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code/RValue.h"

// ---------------------------------------------------------------------------
// Comparison

// The precision under which two reals are equal; 1e-8 at start.
void DS_SetPrecision(double precision);
double DS_Precision();
// Negative, 0 or positive. Reals within the precision are equal (with a
// precision of 0, within a relative 1e-12); strings compare bytewise; a real
// is below any string.
int DS_Compare(const RValue& a, const RValue& b);

// ---------------------------------------------------------------------------
// Containers. Every result that finds nothing is a real 0.

// What reading a text form did: replaced the contents; left them unchanged
// because the header names another kind (or there is no header); or left them
// unchanged because the rest is truncated, not hexadecimal or inconsistent.
enum EDS_Read : int { DS_READ_OK, DS_READ_OTHER_KIND, DS_READ_DAMAGED };

class CDS_Stack {
 public:
  void Push(const RValue& v) { values_.push_back(v); }
  RValue Pop();
  RValue Top() const;
  int32_t Size() const { return static_cast<int32_t>(values_.size()); }
  void Clear();
  const std::vector<RValue>& Values() const { return values_; }  // bottom first

  // Appends the text form; Read replaces the contents from one. Every kind
  // has the same pair.
  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  std::vector<RValue> values_;
};

// A plain array with head and tail positions: dequeued slots keep their
// values until the queue compacts itself, and the text form carries every
// slot. The storage's length grows by 16 slots at a time (its allocation
// grows geometrically underneath).
class CDS_Queue {
 public:
  void Enqueue(const RValue& v);
  RValue Dequeue();
  RValue Head() const;
  RValue Tail() const;
  int32_t Size() const { return tail_ - head_; }
  void Clear();
  int32_t HeadIndex() const { return head_; }
  int32_t TailIndex() const { return tail_; }
  int32_t Capacity() const { return static_cast<int32_t>(slots_.size()); }

  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  int32_t head_ = 0, tail_ = 0;
  std::vector<RValue> slots_;  // size() is the storage's capacity
};

class CDS_List {
 public:
  void Add(const RValue& v) { values_.push_back(v); }
  void Insert(int32_t pos, const RValue& v);   // 0 <= pos <= size, else ignored
  void Replace(int32_t pos, const RValue& v);  // 0 <= pos < size, else ignored
  void Delete(int32_t pos);                    // 0 <= pos < size, else ignored
  int32_t FindIndex(const RValue& v) const;    // lowest equal index, or -1
  RValue FindValue(int32_t pos) const;
  // Ascending keeps equal values in order, descending reverses them: the
  // result of an insertion sort that swaps while the pair is out of order.
  void Sort(bool ascending);
  void Shuffle();
  int32_t Size() const { return static_cast<int32_t>(values_.size()); }
  void Clear();
  const std::vector<RValue>& Values() const { return values_; }

  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  std::vector<RValue> values_;
};

// Keys kept sorted ascending, duplicates allowed (a new key goes after its
// equals). The entries live in blocks of bounded size so that inserting and
// deleting cost a block, not the whole map; positions are counted across
// blocks.
class CDS_Map {
 public:
  void Add(const RValue& key, const RValue& v);
  void Replace(const RValue& key, const RValue& v);
  void Delete(const RValue& key);
  bool Exists(const RValue& key) const;
  RValue FindValue(const RValue& key) const;
  RValue FindPrevious(const RValue& key) const;
  RValue FindNext(const RValue& key) const;
  RValue FindFirst() const;
  RValue FindLast() const;
  int32_t Size() const { return count_; }
  void Clear();

  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  struct REntry {
    RValue key, value;
  };
  // Lowest position whose key is >= k, or -1; highest position whose key is
  // <= k, or -1.
  int32_t Lower(const RValue& k) const;
  int32_t Upper(const RValue& k) const;
  // The block holding a position (0 <= pos < count_) and the offset in it.
  void Locate(int32_t pos, size_t& block, size_t& offset) const;
  const REntry& At(int32_t pos) const;
  // The first position whose key fails `passes`, for a test that only keys
  // at the front pass; searched through the blocks' first keys, then within
  // one block.
  template <class P>
  int32_t PartitionPoint(P passes) const;
  // 1 when the key at b lies exactly below the key at a (a before b).
  int32_t Descent(int32_t a, int32_t b) const;
  void InsertAt(int32_t pos, REntry entry);
  void EraseAt(int32_t pos);
  void Rebuild(std::vector<REntry> entries);

  int32_t count_ = 0;
  std::vector<std::vector<REntry>> blocks_;
  std::vector<int32_t> starts_;  // position of each block's first entry
  std::vector<RValue> firsts_;   // each block's first key, kept apart for the search
  // Neighbouring keys out of exact order. Keys that lie within the precision
  // of each other can be added that way; while there are none, any binary
  // search gives the same positions as the halving one.
  int32_t descents_ = 0;
};

// Pairs of value and priority in an unsorted array; the least / greatest
// priority wins, the lowest position among equals. Two heaps of positions
// (ordered exactly, position breaking ties) find the winner without a scan
// whenever no priority lies within the precision of it without being equal.
class CDS_Priority {
 public:
  void Add(const RValue& v, const RValue& priority);
  void ChangePriority(const RValue& v, const RValue& priority);
  RValue FindPriority(const RValue& v) const;
  void DeleteValue(const RValue& v);
  RValue FindMin() const;
  RValue FindMax() const;
  RValue DeleteMin();
  RValue DeleteMax();
  int32_t Size() const { return static_cast<int32_t>(values_.size()); }
  void Clear();

  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  struct RHeap {
    bool max = false;
    std::vector<int32_t> items;  // positions of entries, heap ordered
    std::vector<int32_t> at;     // where each position sits in items
  };
  int32_t FindEntry(const RValue& v) const;
  int32_t Winner(const RHeap& heap) const;
  void RemoveEntry(int32_t pos);
  bool Before(const RHeap& heap, int32_t a, int32_t b) const;
  void SiftUp(RHeap& heap, size_t i);
  void SiftDown(RHeap& heap, size_t i);
  void Fix(RHeap& heap, size_t i);
  void RebuildHeaps();

  std::vector<RValue> values_, priorities_;
  int32_t nan_count_ = 0;  // priorities that are not-a-number reals
  RHeap min_, max_{true, {}, {}};
  mutable std::vector<size_t> scratch_;  // heap nodes still to visit
};

class CDS_Grid {
 public:
  // Every cell real 0. Sizes below 0 count as 0.
  CDS_Grid(int32_t width, int32_t height);
  void Resize(int32_t width, int32_t height);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  RValue& Cell(int32_t x, int32_t y) { return cells_[static_cast<size_t>(x) * height_ + y]; }
  const RValue& Cell(int32_t x, int32_t y) const { return cells_[static_cast<size_t>(x) * height_ + y]; }
  void Fill(const RValue& v);
  void Shuffle();

  void Write(std::string& out) const;
  EDS_Read Read(std::string_view text);

 private:
  int32_t width_ = 0, height_ = 0;
  std::vector<RValue> cells_;  // column by column
};

// The largest number of cells a grid may have.
constexpr int64_t DS_GRID_MAX_CELLS = int64_t{1} << 25;

// The update a grid operation applies to a cell.
enum EDS_GridOp : int { DS_OP_SET, DS_OP_ADD, DS_OP_MULTIPLY };
void DS_ApplyOp(EDS_GridOp op, RValue& cell, const RValue& v);

// A rectangle of cells, bounds included and already clipped to a grid.
struct RDS_Area {
  int32_t x1, y1, x2, y2;
  bool Empty() const { return x1 > x2 || y1 > y2; }
};
// The cells of the region between two corners, clipped to the grid.
RDS_Area DS_Region(const CDS_Grid& grid, int64_t x1, int64_t y1, int64_t x2, int64_t y2);
// The bounding box of a disk, clipped to the grid; a cell of it counts when
// DS_InDisk holds.
RDS_Area DS_DiskBox(const CDS_Grid& grid, double xm, double ym, double r);
inline bool DS_InDisk(int32_t x, int32_t y, double xm, double ym, double r) {
  double dx = x - xm, dy = y - ym;
  return r * r >= dx * dx + dy * dy;
}
// Applies source cells of a region (clipped to the source) to the destination
// at (xpos, ypos), in an order that makes overlapping copies within one grid
// read every cell before it is written.
void DS_GridRegionCopy(CDS_Grid& dest, const CDS_Grid& source, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                       int64_t xpos, int64_t ypos, EDS_GridOp op);

// ---------------------------------------------------------------------------
// Tables of ids, one per kind. An id is a slot; create takes the lowest free
// slot.

template <class T>
class CDS_Table {
 public:
  int32_t Add(std::unique_ptr<T> container) {
    while (first_free_ < slots_.size() && slots_[first_free_]) first_free_++;
    if (first_free_ == slots_.size()) slots_.emplace_back();
    slots_[first_free_] = std::move(container);
    return static_cast<int32_t>(first_free_++);
  }
  // The container of an id, or null.
  T* Find(int32_t id) const {
    return id >= 0 && static_cast<size_t>(id) < slots_.size() ? slots_[static_cast<size_t>(id)].get() : nullptr;
  }
  bool Remove(int32_t id) {
    if (Find(id) == nullptr) return false;
    slots_[static_cast<size_t>(id)].reset();
    if (static_cast<size_t>(id) < first_free_) first_free_ = static_cast<size_t>(id);
    return true;
  }
  void Clear() {
    slots_.clear();
    first_free_ = 0;
  }

 private:
  std::vector<std::unique_ptr<T>> slots_;
  size_t first_free_ = 0;  // no free slot below this one
};

extern CDS_Table<CDS_Stack> DS_Stacks;
extern CDS_Table<CDS_Queue> DS_Queues;
extern CDS_Table<CDS_List> DS_Lists;
extern CDS_Table<CDS_Map> DS_Maps;
extern CDS_Table<CDS_Priority> DS_Priorities;
extern CDS_Table<CDS_Grid> DS_Grids;

// Destroys every container and restores the default precision (program end;
// tests).
void DS_ClearAll();
