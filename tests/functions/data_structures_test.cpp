// The ds_* built-ins, called by name: ids, the shared comparison, each kind's
// operations, the grid's areas and the text form.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "functions/Support_Data_Structures.h"
#include "support/Builtin_Call.h"
#include "runner/Builtins_Main.h"

namespace {

constexpr const char* kMissing = "Data structure with index does not exist.";

RValue N(double r) { return RValue(r); }

class DataStructures : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings.DisplayErrors = false;
    Error_Reset();
    DS_ClearAll();
  }
  void TearDown() override {
    DS_ClearAll();
    Error_Reset();
  }
  // The message reported since the last call, "" when none.
  static std::string TakeError() {
    std::string text = ReportedError();
    Error_Reset();
    return text;
  }
  // The values of a list, as text: reals as integers, strings quoted.
  static std::string ListText(double id) {
    std::string text;
    int32_t n = static_cast<int32_t>(CallByName("ds_list_size", {N(id)}).real);
    for (int32_t i = 0; i < n; i++) {
      RValue v = CallByName("ds_list_find_value", {N(id), N(i)});
      text += (i ? " " : "") + (v.IsString() ? "'" + v.str + "'" : std::to_string(static_cast<int64_t>(v.real)));
    }
    return text;
  }
};

// ---------------------------------------------------------------------------
// Ids and errors

TEST_F(DataStructures, EveryBuiltinReportsAMissingIdAndDoesNothingElse) {
  Builtins_RegisterAll();
  int checked = 0;
  for (int32_t id = 0; id < Function_Count(); id++) {
    const std::string& name = Function_Name(id);
    if (name.rfind("ds_", 0) != 0 || name.find("_create") != std::string::npos || name == "ds_set_precision")
      continue;
    RValue slots[MAX_ARGUMENTS];
    for (RValue& slot : slots) slot = N(7);
    RValue result;
    CallBuiltin(id, nullptr, nullptr, Function_ArgCount(id), slots, result);
    EXPECT_EQ(TakeError(), kMissing) << name;
    EXPECT_TRUE(result.IsReal() && result.real == 0) << name;
    checked++;
  }
  EXPECT_EQ(checked, 103);  // every ds_ built-in but the six creates and the precision
}

TEST_F(DataStructures, IdsAreLowestFreeSlotsPerKind) {
  EXPECT_EQ(CallByName("ds_list_create").real, 0);
  EXPECT_EQ(CallByName("ds_list_create").real, 1);
  EXPECT_EQ(CallByName("ds_list_create").real, 2);
  EXPECT_EQ(CallByName("ds_stack_create").real, 0);  // kinds count apart
  EXPECT_EQ(CallByName("ds_grid_create", {N(2), N(2)}).real, 0);
  CallByName("ds_list_destroy", {N(1)});
  CallByName("ds_list_destroy", {N(0)});
  EXPECT_EQ(CallByName("ds_list_size", {N(0)}).real, 0);
  EXPECT_EQ(TakeError(), kMissing);
  EXPECT_EQ(CallByName("ds_list_create").real, 0);
  EXPECT_EQ(CallByName("ds_list_create").real, 1);
  EXPECT_EQ(CallByName("ds_list_create").real, 3);
  CallByName("ds_list_destroy", {N(1)});
  CallByName("ds_list_destroy", {N(1)});
  EXPECT_EQ(TakeError(), kMissing);
  EXPECT_EQ(CallByName("ds_list_create").real, 1);
  // Ids are rounded; -1 and huge ids name nothing.
  CallByName("ds_list_add", {N(0.6), N(5)});
  EXPECT_EQ(CallByName("ds_list_find_value", {N(1), N(0)}).real, 5);
  CallByName("ds_list_size", {N(-1)});
  EXPECT_EQ(TakeError(), kMissing);
  CallByName("ds_list_size", {N(4294967296.0 + 1)});  // low 32 bits give 1
  EXPECT_EQ(TakeError(), "");
}

TEST_F(DataStructures, CopyNeedsBothIds) {
  double a = CallByName("ds_list_create").real, b = CallByName("ds_list_create").real;
  CallByName("ds_list_add", {N(b), Str("x")});
  CallByName("ds_list_copy", {N(a), N(9)});
  EXPECT_EQ(TakeError(), kMissing);
  CallByName("ds_list_copy", {N(9), N(b)});
  EXPECT_EQ(TakeError(), kMissing);
  CallByName("ds_list_copy", {N(a), N(b)});
  CallByName("ds_list_add", {N(b), Str("y")});
  EXPECT_EQ(ListText(a), "'x'");
  EXPECT_EQ(ListText(b), "'x' 'y'");
  CallByName("ds_list_copy", {N(b), N(b)});
  EXPECT_EQ(ListText(b), "'x' 'y'");
}

// ---------------------------------------------------------------------------
// Comparison

TEST_F(DataStructures, CompareTable) {
  struct Case {
    RValue a, b;
    double precision;
    int expected;
  };
  const Case cases[] = {
      {N(0.1 + 0.2), N(0.3), 1e-8, 0},
      {N(1), N(1.000000005), 1e-8, 0},
      {N(1), N(1.00000002), 1e-8, -1},
      {N(2), N(1), 1e-8, 1},
      {N(0.1 + 0.2), N(0.3), 0, 0},  // relative 1e-12
      {N(1), N(1.000001), 0, -1},
      {N(1e6), N(1e6 + 5e-7), 0, 0},
      {N(0), N(5e-13), 0, 0},  // the tolerance never falls below 1e-12
      {N(0), N(2e-12), 0, -1},
      {N(5), N(7), 3, 0},
      {N(1e300), Str(""), 0, -1},  // reals before strings
      {Str(""), N(-1e300), 0, 1},
      {Str("abc"), Str("abd"), 1e-8, -1},
      {Str("B"), Str("a"), 1e-8, -1},  // character codes
      {Str("ab"), Str("abc"), 1e-8, -1},
      {Str("\xff"), Str("a"), 1e-8, 1},  // bytes are unsigned
      {Str("x"), Str("x"), 1e-8, 0},
  };
  for (const Case& c : cases) {
    DS_SetPrecision(c.precision);
    EXPECT_EQ(DS_Compare(c.a, c.b), c.expected) << c.a.real << " " << c.a.str << " / " << c.b.real << " " << c.b.str;
  }
}

TEST_F(DataStructures, PrecisionDecidesWhatFindIndexFinds) {
  double l = CallByName("ds_list_create").real;
  CallByName("ds_list_add", {N(l), N(1)});
  CallByName("ds_list_add", {N(l), N(0.1 + 0.2)});
  CallByName("ds_list_add", {N(l), N(1.000001)});
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(0.3)}).real, 1);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(1.000000001)}).real, 0);
  CallByName("ds_set_precision", {N(0)});
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(0.3)}).real, 1);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(1.000001)}).real, 2);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(1.0000005)}).real, -1);
  CallByName("ds_set_precision", {N(-0.5)});  // the absolute value
  EXPECT_EQ(DS_Precision(), 0.5);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(1.4)}).real, 0);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), Str("1")}).real, -1);
}

// ---------------------------------------------------------------------------
// Stack, queue, list

TEST_F(DataStructures, StackPushPopTop) {
  double s = CallByName("ds_stack_create").real;
  EXPECT_EQ(CallByName("ds_stack_empty", {N(s)}).real, 1);
  EXPECT_EQ(CallByName("ds_stack_pop", {N(s)}).real, 0);
  EXPECT_EQ(CallByName("ds_stack_top", {N(s)}).real, 0);
  CallByName("ds_stack_push", {N(s), N(1)});
  CallByName("ds_stack_push", {N(s), Str("two")});
  EXPECT_EQ(CallByName("ds_stack_size", {N(s)}).real, 2);
  EXPECT_EQ(CallByName("ds_stack_empty", {N(s)}).real, 0);
  EXPECT_EQ(CallByName("ds_stack_top", {N(s)}).str, "two");
  EXPECT_EQ(CallByName("ds_stack_pop", {N(s)}).str, "two");
  EXPECT_EQ(CallByName("ds_stack_pop", {N(s)}).real, 1);
  EXPECT_EQ(CallByName("ds_stack_pop", {N(s)}).real, 0);
  CallByName("ds_stack_push", {N(s), N(3)});
  CallByName("ds_stack_clear", {N(s)});
  EXPECT_EQ(CallByName("ds_stack_size", {N(s)}).real, 0);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(DataStructures, QueueCompactsAndKeepsEveryStorageSlot) {
  double q = CallByName("ds_queue_create").real;
  EXPECT_EQ(CallByName("ds_queue_dequeue", {N(q)}).real, 0);
  EXPECT_EQ(CallByName("ds_queue_head", {N(q)}).real, 0);
  EXPECT_EQ(CallByName("ds_queue_tail", {N(q)}).real, 0);
  for (int i = 0; i < 20; i++) CallByName("ds_queue_enqueue", {N(q), N(i)});
  EXPECT_EQ(CallByName("ds_queue_head", {N(q)}).real, 0);
  EXPECT_EQ(CallByName("ds_queue_tail", {N(q)}).real, 19);
  for (int i = 0; i < 16; i++) EXPECT_EQ(CallByName("ds_queue_dequeue", {N(q)}).real, i);
  const CDS_Queue& queue = *DS_Queues.Find(0);
  EXPECT_EQ(queue.HeadIndex(), 16);
  EXPECT_EQ(CallByName("ds_queue_dequeue", {N(q)}).real, 16);
  EXPECT_EQ(queue.HeadIndex(), 0);
  EXPECT_EQ(queue.TailIndex(), 3);
  EXPECT_EQ(queue.Capacity(), 32);
  EXPECT_EQ(CallByName("ds_queue_size", {N(q)}).real, 3);
  EXPECT_EQ(CallByName("ds_queue_head", {N(q)}).real, 17);
  EXPECT_EQ(CallByName("ds_queue_tail", {N(q)}).real, 19);

  // Header, tail 3, head 0, capacity 32, then all 32 slots: 17, 18, 19, the
  // old 3 ... 19, and twelve never-used zeros.
  std::string text = CallByName("ds_queue_write", {N(q)}).str;
  auto slot = [](double r) {
    std::string out;
    CDS_List list;
    list.Add(RValue(r));
    list.Write(out);
    return out.substr(16);  // the value after the list's header and count
  };
  std::string expected = "C9000000030000000000000020000000";
  for (int i : {17, 18, 19}) expected += slot(i);
  for (int i = 3; i < 20; i++) expected += slot(i);
  for (int i = 20; i < 32; i++) expected += slot(0);
  EXPECT_EQ(text, expected);

  double copy = CallByName("ds_queue_create").real;
  CallByName("ds_queue_read", {N(copy), Str(text.c_str())});
  EXPECT_EQ(CallByName("ds_queue_write", {N(copy)}).str, text);
  EXPECT_EQ(CallByName("ds_queue_dequeue", {N(copy)}).real, 17);
  double other = CallByName("ds_queue_create").real;
  CallByName("ds_queue_copy", {N(other), N(q)});
  EXPECT_EQ(CallByName("ds_queue_write", {N(other)}).str, text);
  CallByName("ds_queue_clear", {N(q)});
  EXPECT_EQ(CallByName("ds_queue_write", {N(q)}).str, "C9000000000000000000000000000000");
}

TEST_F(DataStructures, ListPositionsOutsideTheRangeAreIgnored) {
  double l = CallByName("ds_list_create").real;
  CallByName("ds_list_add", {N(l), N(1)});
  CallByName("ds_list_insert", {N(l), N(1), N(3)});  // pos = count appends
  CallByName("ds_list_insert", {N(l), N(0), N(0)});
  CallByName("ds_list_insert", {N(l), N(1.4), Str("a")});
  CallByName("ds_list_insert", {N(l), N(5), N(9)});
  CallByName("ds_list_insert", {N(l), N(-1), N(9)});
  EXPECT_EQ(ListText(l), "0 'a' 1 3");
  CallByName("ds_list_replace", {N(l), N(3), N(4)});
  CallByName("ds_list_replace", {N(l), N(4), N(9)});
  CallByName("ds_list_delete", {N(l), N(1)});
  CallByName("ds_list_delete", {N(l), N(3)});
  CallByName("ds_list_delete", {N(l), N(-1)});
  EXPECT_EQ(ListText(l), "0 1 4");
  EXPECT_EQ(CallByName("ds_list_find_value", {N(l), N(3)}).real, 0);
  EXPECT_EQ(CallByName("ds_list_find_value", {N(l), N(-1)}).real, 0);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(4)}).real, 2);
  EXPECT_EQ(CallByName("ds_list_find_index", {N(l), N(5)}).real, -1);
  EXPECT_EQ(CallByName("ds_list_empty", {N(l)}).real, 0);
  CallByName("ds_list_clear", {N(l)});
  EXPECT_EQ(CallByName("ds_list_empty", {N(l)}).real, 1);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(DataStructures, ListSortPutsRealsFirstAndTreatsEqualsByDirection) {
  double l = CallByName("ds_list_create").real;
  CallByName("ds_list_add", {N(l), N(3)});
  CallByName("ds_list_add", {N(l), Str("a")});
  CallByName("ds_list_add", {N(l), N(1)});
  CallByName("ds_list_sort", {N(l), N(1)});
  EXPECT_EQ(ListText(l), "1 3 'a'");
  CallByName("ds_list_sort", {N(l), N(0.4)});
  EXPECT_EQ(ListText(l), "'a' 3 1");

  // Equal reals told apart by the text they keep beside the number: the
  // ascending sort keeps their order, the descending one reverses it.
  CallByName("ds_list_clear", {N(l)});
  for (const char* tag : {"x", "y", "z"}) {
    RValue v(2.0);
    v.str = tag;
    CallByName("ds_list_add", {N(l), v});
  }
  CallByName("ds_list_add", {N(l), N(1)});
  auto tags = [&] {
    std::string out;
    for (int i = 0; i < 4; i++) out += CallByName("ds_list_find_value", {N(l), N(i)}).str + ".";
    return out;
  };
  CallByName("ds_list_sort", {N(l), N(1)});
  EXPECT_EQ(tags(), ".x.y.z.");
  CallByName("ds_list_sort", {N(l), N(0)});
  EXPECT_EQ(tags(), "z.y.x..");
}

// The insertion sort as the engine defines it, to check the sort against on
// lists whose values lie within the precision of each other.
void ReferenceSort(std::vector<RValue>& v, bool ascending) {
  for (size_t i = 1; i < v.size(); i++)
    for (size_t k = i; k >= 1; k--) {
      if ((DS_Compare(v[k - 1], v[k]) > 0) != ascending) break;
      std::swap(v[k - 1], v[k]);
    }
}

TEST_F(DataStructures, ListSortMatchesTheInsertionSortOnAnyValues) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; round++) {
    CDS_List list;
    std::vector<RValue> reference;
    int n = static_cast<int>(random() % 40);
    bool near = round % 3 == 0;
    for (int i = 0; i < n; i++) {
      RValue v;
      int pick = static_cast<int>(random() % 10);
      if (pick == 0)
        v.SetString(std::string(1, static_cast<char>('a' + random() % 3)));
      else
        v.SetReal(static_cast<double>(random() % 6) + (near ? static_cast<double>(random() % 3) * 6e-9 : 0));
      v.str += std::to_string(i);  // tells equal values apart
      list.Add(v);
      reference.push_back(v);
    }
    bool ascending = round % 2 == 0;
    list.Sort(ascending);
    ReferenceSort(reference, ascending);
    ASSERT_EQ(list.Size(), static_cast<int32_t>(reference.size()));
    for (size_t i = 0; i < reference.size(); i++) {
      ASSERT_EQ(list.Values()[i].kind, reference[i].kind) << round << " " << i;
      ASSERT_EQ(list.Values()[i].real, reference[i].real) << round << " " << i;
      ASSERT_EQ(list.Values()[i].str, reference[i].str) << round << " " << i;
    }
  }
}

// ---------------------------------------------------------------------------
// Map

TEST_F(DataStructures, MapDuplicatesNeighboursAndEnds) {
  double m = CallByName("ds_map_create").real;
  EXPECT_EQ(CallByName("ds_map_find_first", {N(m)}).real, 0);
  EXPECT_EQ(CallByName("ds_map_find_last", {N(m)}).real, 0);
  EXPECT_EQ(CallByName("ds_map_find_previous", {N(m), N(1)}).real, 0);
  EXPECT_EQ(CallByName("ds_map_find_next", {N(m), N(1)}).real, 0);
  CallByName("ds_map_add", {N(m), N(5), Str("first")});
  CallByName("ds_map_add", {N(m), N(5), Str("second")});
  CallByName("ds_map_add", {N(m), N(2), Str("two")});
  CallByName("ds_map_add", {N(m), Str("k"), N(11)});
  CallByName("ds_map_add", {N(m), N(9), Str("nine")});
  EXPECT_EQ(CallByName("ds_map_size", {N(m)}).real, 5);
  EXPECT_EQ(CallByName("ds_map_find_value", {N(m), N(5)}).str, "first");
  EXPECT_EQ(CallByName("ds_map_find_value", {N(m), Str("k")}).real, 11);
  EXPECT_EQ(CallByName("ds_map_find_value", {N(m), N(6)}).real, 0);
  EXPECT_EQ(CallByName("ds_map_exists", {N(m), N(5.000000001)}).real, 1);
  EXPECT_EQ(CallByName("ds_map_exists", {N(m), N(6)}).real, 0);
  CallByName("ds_map_replace", {N(m), N(5), Str("FIRST")});
  CallByName("ds_map_replace", {N(m), N(6), Str("none")});
  EXPECT_EQ(CallByName("ds_map_size", {N(m)}).real, 5);
  EXPECT_EQ(CallByName("ds_map_find_value", {N(m), N(5)}).str, "FIRST");
  CallByName("ds_map_delete", {N(m), N(5)});
  EXPECT_EQ(CallByName("ds_map_find_value", {N(m), N(5)}).str, "second");
  CallByName("ds_map_delete", {N(m), N(6)});
  EXPECT_EQ(CallByName("ds_map_size", {N(m)}).real, 4);

  // Keys now: 2, 5, 9, 'k'.
  struct Case {
    const char* fn;
    RValue key, expected;
  };
  const Case cases[] = {
      {"ds_map_find_previous", N(100), N(9)},  // 'k' is the first key >= 100
      {"ds_map_find_previous", Str("z"), Str("k")},
      {"ds_map_find_previous", N(5), N(2)},
      {"ds_map_find_previous", N(6), N(5)},
      {"ds_map_find_previous", N(2), N(0)},
      {"ds_map_find_previous", N(-3), N(0)},
      {"ds_map_find_next", N(-3), N(2)},
      {"ds_map_find_next", N(2), N(5)},
      {"ds_map_find_next", N(9), Str("k")},
      {"ds_map_find_next", Str("k"), N(0)},
      {"ds_map_find_first", N(0), N(2)},
      {"ds_map_find_last", N(0), Str("k")},
  };
  for (const Case& c : cases) {
    bool one = std::string(c.fn) == "ds_map_find_first" || std::string(c.fn) == "ds_map_find_last";
    RValue got = one ? CallByName(c.fn, {N(m)}) : CallByName(c.fn, {N(m), c.key});
    const RValue& want = c.expected;
    EXPECT_EQ(got.kind, want.kind) << c.fn << " " << c.key.real;
    EXPECT_EQ(got.real, want.real) << c.fn << " " << c.key.real;
    EXPECT_EQ(got.str, want.str) << c.fn << " " << c.key.real;
  }
  EXPECT_EQ(TakeError(), "");
}

TEST_F(DataStructures, LargeMapAgreesWithAnOrderedMultimap) {
  CDS_Map map;
  std::multimap<double, double> reference;
  std::mt19937 random(3);
  for (int i = 0; i < 6000; i++) {
    double key = static_cast<double>(random() % 1500);
    if (random() % 3 == 0) {
      map.Delete(RValue(key));
      auto it = reference.lower_bound(key);  // the first of equal keys goes
      if (it != reference.end() && it->first == key) reference.erase(it);
    } else {
      map.Add(RValue(key), RValue(double(i)));
      reference.emplace(key, i);
    }
  }
  ASSERT_EQ(map.Size(), static_cast<int32_t>(reference.size()));
  EXPECT_EQ(map.FindFirst().real, reference.begin()->first);
  EXPECT_EQ(map.FindLast().real, reference.rbegin()->first);
  for (int k = -1; k <= 1501; k++) {
    RValue key{static_cast<double>(k)};
    auto it = reference.lower_bound(k);
    if (it != reference.end() && it->first != k) it = reference.end();
    ASSERT_EQ(map.Exists(key), it != reference.end()) << k;
    ASSERT_EQ(map.FindValue(key).real, it != reference.end() ? it->second : 0) << k;
    auto next = reference.upper_bound(k);
    ASSERT_EQ(map.FindNext(key).real, next != reference.end() ? next->first : 0) << k;
    auto lower = reference.lower_bound(k);
    double previous = lower == reference.begin() ? 0 : std::prev(lower)->first;
    ASSERT_EQ(map.FindPrevious(key).real, previous) << k;
  }
  // The text form lists the keys in order.
  std::string text;
  map.Write(text);
  CDS_Map again;
  ASSERT_EQ(again.Read(text), DS_READ_OK);
  std::string text2;
  again.Write(text2);
  EXPECT_EQ(text2, text);
  EXPECT_EQ(again.FindNext(RValue(700.0)).real, reference.upper_bound(700)->first);
}

// The map's positions as the engine defines them: halving down to 8 entries,
// then a scan; to check the map against where keys within the precision of
// each other leave it out of exact order.
struct RReferenceMap {
  std::vector<std::pair<RValue, RValue>> e;
  int32_t Lower(const RValue& k) const {
    int32_t lo = 0, hi = static_cast<int32_t>(e.size()) - 1;
    while (hi - lo + 1 > 8) {
      int32_t mid = (lo + hi) / 2;
      if (DS_Compare(e[static_cast<size_t>(mid)].first, k) < 0) lo = mid + 1; else hi = mid;
    }
    for (int32_t i = lo; i < static_cast<int32_t>(e.size()); i++)
      if (DS_Compare(e[static_cast<size_t>(i)].first, k) >= 0) return i;
    return -1;
  }
  int32_t Upper(const RValue& k) const {
    int32_t lo = 0, hi = static_cast<int32_t>(e.size()) - 1;
    while (hi - lo + 1 > 8) {
      int32_t mid = (lo + hi) / 2;
      if (DS_Compare(e[static_cast<size_t>(mid)].first, k) > 0) hi = mid - 1; else lo = mid;
    }
    for (int32_t i = hi; i >= 0; i--)
      if (DS_Compare(e[static_cast<size_t>(i)].first, k) <= 0) return i;
    return -1;
  }
};

TEST_F(DataStructures, MapAgreesWithTheHalvingSearchWhenKeysCrowd) {
  std::mt19937 random(5);
  CDS_Map map;
  RReferenceMap reference;
  for (int step = 0; step < 6000; step++) {
    // Mostly exact integers; in the middle phase keys 4e-9 apart as well.
    bool crowd = step > 1500 && step < 4000;
    RValue key(static_cast<double>(random() % 400) + (crowd ? static_cast<double>(random() % 4) * 4e-9 : 0));
    if (random() % 20 == 0) key.SetString(std::string(1, static_cast<char>('a' + random() % 4)));
    int op = static_cast<int>(random() % 3);
    if (op == 0 || (op == 1 && step < 3000)) {
      map.Add(key, RValue(static_cast<double>(step)));
      reference.e.insert(reference.e.begin() + (reference.Upper(key) + 1), {key, RValue(static_cast<double>(step))});
    } else if (op == 1) {
      map.Delete(key);
      int32_t at = reference.Lower(key);
      if (at >= 0 && DS_Compare(reference.e[static_cast<size_t>(at)].first, key) == 0) reference.e.erase(reference.e.begin() + at);
    }
    int32_t lower = reference.Lower(key), upper = reference.Upper(key), n = static_cast<int32_t>(reference.e.size());
    bool found = lower >= 0 && DS_Compare(reference.e[static_cast<size_t>(lower)].first, key) == 0;
    ASSERT_EQ(map.Size(), n);
    ASSERT_EQ(map.Exists(key), found) << step;
    ASSERT_EQ(map.FindValue(key).real, found ? reference.e[static_cast<size_t>(lower)].second.real : 0) << step;
    RValue next = upper + 1 < n ? reference.e[static_cast<size_t>(upper + 1)].first : RValue();
    RValue got = map.FindNext(key);
    ASSERT_TRUE(got.kind == next.kind && got.real == next.real && got.str == next.str) << step;
    RValue previous = lower < 0 ? (n ? reference.e.back().first : RValue()) : lower > 0 ? reference.e[static_cast<size_t>(lower - 1)].first : RValue();
    got = map.FindPrevious(key);
    ASSERT_TRUE(got.kind == previous.kind && got.real == previous.real && got.str == previous.str) << step;
  }
}

// ---------------------------------------------------------------------------
// Priority queue

TEST_F(DataStructures, PriorityTiesGoToTheLowestPosition) {
  double p = CallByName("ds_priority_create").real;
  EXPECT_EQ(CallByName("ds_priority_find_min", {N(p)}).real, 0);
  EXPECT_EQ(CallByName("ds_priority_delete_max", {N(p)}).real, 0);
  CallByName("ds_priority_add", {N(p), Str("a"), N(5)});
  CallByName("ds_priority_add", {N(p), Str("b"), N(1)});
  CallByName("ds_priority_add", {N(p), Str("c"), N(1)});
  CallByName("ds_priority_add", {N(p), Str("d"), N(9)});
  CallByName("ds_priority_add", {N(p), Str("e"), N(9)});
  EXPECT_EQ(CallByName("ds_priority_find_min", {N(p)}).str, "b");
  EXPECT_EQ(CallByName("ds_priority_find_max", {N(p)}).str, "d");
  EXPECT_EQ(CallByName("ds_priority_find_priority", {N(p), Str("c")}).real, 1);
  EXPECT_EQ(CallByName("ds_priority_find_priority", {N(p), Str("z")}).real, 0);
  // Deleting b moves e (the last entry) to position 1: e now wins the tie
  // for the maximum.
  EXPECT_EQ(CallByName("ds_priority_delete_min", {N(p)}).str, "b");
  EXPECT_EQ(CallByName("ds_priority_find_max", {N(p)}).str, "e");
  CallByName("ds_priority_change_priority", {N(p), Str("a"), N(0.5)});
  EXPECT_EQ(CallByName("ds_priority_find_min", {N(p)}).str, "a");
  CallByName("ds_priority_delete_value", {N(p), Str("a")});
  CallByName("ds_priority_delete_value", {N(p), Str("q")});
  EXPECT_EQ(CallByName("ds_priority_size", {N(p)}).real, 3);
  EXPECT_EQ(CallByName("ds_priority_delete_min", {N(p)}).str, "c");
  EXPECT_EQ(CallByName("ds_priority_delete_max", {N(p)}).str, "d");
  EXPECT_EQ(CallByName("ds_priority_delete_max", {N(p)}).str, "e");
  EXPECT_EQ(CallByName("ds_priority_empty", {N(p)}).real, 1);
  EXPECT_EQ(TakeError(), "");
}

// The linear scans the engine defines, beside the heaps.
int ReferenceWinner(const std::vector<RValue>& priorities, int beyond) {
  if (priorities.empty()) return -1;
  int winner = 0;
  for (size_t i = 1; i < priorities.size(); i++)
    if (DS_Compare(priorities[i], priorities[static_cast<size_t>(winner)]) == -beyond) winner = static_cast<int>(i);
  return winner;
}

TEST_F(DataStructures, PriorityHeapsAgreeWithTheScanUnderAnyPrecision) {
  std::mt19937 random(11);
  for (double precision : {1e-8, 0.0, 2.5}) {
    DS_SetPrecision(precision);
    CDS_Priority queue;
    std::vector<RValue> values, priorities;
    for (int step = 0; step < 4000; step++) {
      int op = static_cast<int>(random() % 8);
      RValue value(static_cast<double>(random() % 60));
      RValue priority(static_cast<double>(random() % 12) + static_cast<double>(random() % 2) * 4e-9);
      if (random() % 15 == 0) priority.SetString(std::string(1, static_cast<char>('a' + random() % 3)));
      if (op <= 3) {
        queue.Add(value, priority);
        values.push_back(value);
        priorities.push_back(priority);
        continue;
      }
      int found = -1;
      for (size_t i = 0; i < values.size() && found < 0; i++)
        if (DS_Compare(values[i], value) == 0) found = static_cast<int>(i);
      int winner = op == 4 ? ReferenceWinner(priorities, 1) : op == 5 ? ReferenceWinner(priorities, -1) : found;
      if (op == 7) {
        queue.ChangePriority(value, priority);
        if (found >= 0) priorities[static_cast<size_t>(found)] = priority;
        continue;
      }
      RValue got = op == 4 ? queue.DeleteMin() : op == 5 ? queue.DeleteMax() : RValue();
      if (op == 6) queue.DeleteValue(value);
      if (winner < 0) continue;
      if (op != 6) ASSERT_EQ(got.real, values[static_cast<size_t>(winner)].real) << step;
      values[static_cast<size_t>(winner)] = values.back();
      priorities[static_cast<size_t>(winner)] = priorities.back();
      values.pop_back();
      priorities.pop_back();
      ASSERT_EQ(queue.Size(), static_cast<int32_t>(values.size()));
    }
    int min = ReferenceWinner(priorities, 1), max = ReferenceWinner(priorities, -1);
    EXPECT_EQ(queue.FindMin().real, min < 0 ? 0 : values[static_cast<size_t>(min)].real);
    EXPECT_EQ(queue.FindMax().real, max < 0 ? 0 : values[static_cast<size_t>(max)].real);
  }
}

// ---------------------------------------------------------------------------
// Grid

TEST_F(DataStructures, GridCellsAndOperations) {
  double g = CallByName("ds_grid_create", {N(3), N(2)}).real;
  EXPECT_EQ(CallByName("ds_grid_width", {N(g)}).real, 3);
  EXPECT_EQ(CallByName("ds_grid_height", {N(g)}).real, 2);
  CallByName("ds_grid_set", {N(g), N(1), N(1), N(4)});
  CallByName("ds_grid_add", {N(g), N(1), N(1), N(2)});
  CallByName("ds_grid_multiply", {N(g), N(1), N(1), N(10)});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(1), N(1)}).real, 60);
  CallByName("ds_grid_set", {N(g), N(3), N(0), N(9)});  // outside: ignored
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(3), N(0)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(-1), N(0)}).real, 0);
  // add: strings append, a mix sets; multiply leaves strings alone.
  CallByName("ds_grid_set", {N(g), N(0), N(0), Str("ab")});
  CallByName("ds_grid_add", {N(g), N(0), N(0), Str("c")});
  CallByName("ds_grid_multiply", {N(g), N(0), N(0), N(3)});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(0), N(0)}).str, "abc");
  CallByName("ds_grid_add", {N(g), N(0), N(0), N(7)});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(0), N(0)}).real, 7);
  CallByName("ds_grid_add", {N(g), N(2), N(1), Str("s")});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(2), N(1)}).str, "s");

  CallByName("ds_grid_resize", {N(g), N(2), N(3)});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(1), N(1)}).real, 60);
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(0), N(0)}).real, 7);
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(1), N(2)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_width", {N(g)}).real, 2);
  CallByName("ds_grid_clear", {N(g), Str("z")});
  EXPECT_EQ(CallByName("ds_grid_get", {N(g), N(1), N(2)}).str, "z");
  EXPECT_EQ(TakeError(), "");

  // Sizes below 0 make an empty grid; absurd sizes are refused.
  double empty = CallByName("ds_grid_create", {N(-4), N(5)}).real;
  EXPECT_EQ(CallByName("ds_grid_width", {N(empty)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_get_sum", {N(empty), N(0), N(0), N(9), N(9)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_create", {N(100000), N(100000)}).real, -1);
  EXPECT_EQ(TakeError(), "Data structure grid is too large.");
  CallByName("ds_grid_resize", {N(g), N(1e6), N(1e6)});
  EXPECT_EQ(TakeError(), "Data structure grid is too large.");
  EXPECT_EQ(CallByName("ds_grid_height", {N(g)}).real, 3);
}

TEST_F(DataStructures, GridRegionsAndDisks) {
  double g = CallByName("ds_grid_create", {N(5), N(5)}).real;
  CallByName("ds_grid_set_region", {N(g), N(3), N(-2), N(1), N(1), N(2)});  // corners in any order, clipped
  CallByName("ds_grid_add_region", {N(g), N(0), N(0), N(9), N(0), N(1)});
  CallByName("ds_grid_multiply_region", {N(g), N(2), N(1), N(2), N(1), N(5)});
  std::string rows;
  for (int y = 0; y < 5; y++) {
    for (int x = 0; x < 5; x++) rows += std::to_string(static_cast<int>(CallByName("ds_grid_get", {N(g), N(x), N(y)}).real));
    rows += "/";
  }
  EXPECT_EQ(rows, "13331/021020/00000/00000/00000/");
  EXPECT_EQ(CallByName("ds_grid_get_sum", {N(g), N(0), N(0), N(4), N(4)}).real, 25);
  EXPECT_EQ(CallByName("ds_grid_get_max", {N(g), N(0), N(0), N(4), N(4)}).real, 10);
  EXPECT_EQ(CallByName("ds_grid_get_min", {N(g), N(1), N(0), N(3), N(1)}).real, 2);
  EXPECT_EQ(CallByName("ds_grid_get_mean", {N(g), N(1), N(0), N(3), N(0)}).real, 3);
  // Value searches scan x outer, y inner.
  EXPECT_EQ(CallByName("ds_grid_value_exists", {N(g), N(0), N(0), N(4), N(4), N(2)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_x", {N(g), N(0), N(0), N(4), N(4), N(2)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_y", {N(g), N(0), N(0), N(4), N(4), N(2)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_x", {N(g), N(0), N(0), N(4), N(4), N(3)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_exists", {N(g), N(0), N(0), N(4), N(4), N(7)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_value_x", {N(g), N(0), N(0), N(4), N(4), N(7)}).real, 0);

  // A disk of radius 1 around (2, 2) holds five cells; 1.5 reaches the
  // corners of the 3x3 box too (1.5^2 >= 2).
  double d = CallByName("ds_grid_create", {N(5), N(5)}).real;
  CallByName("ds_grid_set_disk", {N(d), N(2), N(2), N(1), N(1)});
  EXPECT_EQ(CallByName("ds_grid_get_sum", {N(d), N(0), N(0), N(4), N(4)}).real, 5);
  CallByName("ds_grid_add_disk", {N(d), N(2), N(2), N(1.5), N(1)});
  EXPECT_EQ(CallByName("ds_grid_get_sum", {N(d), N(0), N(0), N(4), N(4)}).real, 14);
  CallByName("ds_grid_multiply_disk", {N(d), N(0), N(0), N(0.5), N(3)});  // only (0, 0)
  EXPECT_EQ(CallByName("ds_grid_get_disk_sum", {N(d), N(2), N(2), N(1.5)}).real, 14);
  EXPECT_EQ(CallByName("ds_grid_get_disk_max", {N(d), N(2), N(2), N(1)}).real, 2);
  EXPECT_EQ(CallByName("ds_grid_get_disk_min", {N(d), N(2), N(2), N(1.5)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_get_disk_mean", {N(d), N(2), N(2), N(1.5)}).real, 14.0 / 9);
  EXPECT_EQ(CallByName("ds_grid_value_disk_exists", {N(d), N(2), N(2), N(1.5), N(1)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_disk_x", {N(d), N(2), N(2), N(1.5), N(1)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_disk_y", {N(d), N(2), N(2), N(1.5), N(1)}).real, 1);
  EXPECT_EQ(CallByName("ds_grid_value_disk_y", {N(d), N(2), N(2), N(1.5), N(5)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_get_disk_sum", {N(d), N(1e300), N(2), N(1)}).real, 0);  // far away
  EXPECT_EQ(CallByName("ds_grid_get_disk_sum", {N(d), N(2), N(2), N(-1)}).real, 0);

  // Areas without reals give the starting values.
  CallByName("ds_grid_clear", {N(d), Str("s")});
  EXPECT_EQ(CallByName("ds_grid_get_max", {N(d), N(0), N(0), N(4), N(4)}).real, -100000000);
  EXPECT_EQ(CallByName("ds_grid_get_min", {N(d), N(0), N(0), N(4), N(4)}).real, 100000000);
  EXPECT_EQ(CallByName("ds_grid_get_mean", {N(d), N(0), N(0), N(4), N(4)}).real, 0);
  EXPECT_EQ(CallByName("ds_grid_get_disk_max", {N(d), N(9), N(9), N(1)}).real, -100000000);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(DataStructures, GridRegionCopiesHandleOverlapAndClipping) {
  double g = CallByName("ds_grid_create", {N(5), N(2)}).real;
  for (int x = 0; x < 5; x++)
    for (int y = 0; y < 2; y++) CallByName("ds_grid_set", {N(g), N(x), N(y), N(10 * x + y)});
  auto row = [&](double id, int y) {
    std::string out;
    int32_t w = static_cast<int32_t>(CallByName("ds_grid_width", {N(id)}).real);
    for (int x = 0; x < w; x++) out += std::to_string(static_cast<int>(CallByName("ds_grid_get", {N(id), N(x), N(y)}).real)) + " ";
    return out;
  };
  // Onto itself, one column to the right: every column copied once.
  CallByName("ds_grid_set_grid_region", {N(g), N(g), N(0), N(0), N(4), N(1), N(1), N(0)});
  EXPECT_EQ(row(g, 0), "0 0 10 20 30 ");
  EXPECT_EQ(row(g, 1), "1 1 11 21 31 ");
  // And back to the left.
  CallByName("ds_grid_set_grid_region", {N(g), N(g), N(1), N(0), N(4), N(1), N(0), N(0)});
  EXPECT_EQ(row(g, 0), "0 10 20 30 30 ");
  // Downwards within one column.
  CallByName("ds_grid_set_grid_region", {N(g), N(g), N(0), N(0), N(4), N(0), N(0), N(1)});
  EXPECT_EQ(row(g, 1), "0 10 20 30 30 ");

  double small = CallByName("ds_grid_create", {N(2), N(2)}).real;
  // A negative position skips the first source columns; the rest is cut to
  // the destination.
  CallByName("ds_grid_set_grid_region", {N(small), N(g), N(0), N(0), N(4), N(0), N(-1), N(0)});
  EXPECT_EQ(row(small, 0), "10 20 ");
  CallByName("ds_grid_add_grid_region", {N(small), N(g), N(4), N(0), N(0), N(0), N(1), N(0)});
  EXPECT_EQ(row(small, 0), "10 20 ");  // x 0 of the source at position 1
  CallByName("ds_grid_multiply_grid_region", {N(small), N(g), N(1), N(0), N(1), N(0), N(0), N(0)});
  EXPECT_EQ(row(small, 0), "100 20 ");
  CallByName("ds_grid_set_grid_region", {N(small), N(g), N(0), N(0), N(4), N(1), N(5), N(-9)});  // nothing lands
  EXPECT_EQ(row(small, 0), "100 20 ");
  CallByName("ds_grid_set_grid_region", {N(small), N(9), N(0), N(0), N(1), N(1), N(0), N(0)});
  EXPECT_EQ(TakeError(), kMissing);

  double copy = CallByName("ds_grid_create", {N(1), N(1)}).real;
  CallByName("ds_grid_copy", {N(copy), N(g)});
  EXPECT_EQ(CallByName("ds_grid_width", {N(copy)}).real, 5);
  EXPECT_EQ(row(copy, 0), row(g, 0));
}

TEST_F(DataStructures, ShufflesKeepTheValues) {
  double l = CallByName("ds_list_create").real;
  for (int i = 0; i < 6; i++) CallByName("ds_list_add", {N(l), N(i)});
  CallByName("ds_list_shuffle", {N(l)});
  std::vector<RValue> values = DS_Lists.Find(0)->Values();
  std::sort(values.begin(), values.end(), [](const RValue& a, const RValue& b) { return a.real < b.real; });
  for (int i = 0; i < 6; i++) EXPECT_EQ(values[static_cast<size_t>(i)].real, i);

  double g = CallByName("ds_grid_create", {N(4), N(3)}).real;
  for (int i = 0; i < 12; i++) CallByName("ds_grid_set", {N(g), N(i / 3), N(i % 3), N(i)});
  CallByName("ds_grid_shuffle", {N(g)});
  EXPECT_EQ(CallByName("ds_grid_get_sum", {N(g), N(0), N(0), N(3), N(2)}).real, 66);
  std::vector<bool> seen(12);
  for (int i = 0; i < 12; i++) seen[static_cast<size_t>(CallByName("ds_grid_get", {N(g), N(i / 3), N(i % 3)}).real)] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 12);
}

// ---------------------------------------------------------------------------
// Text form

TEST_F(DataStructures, TextFormGoldenStrings) {
  double l = CallByName("ds_list_create").real;
  EXPECT_EQ(CallByName("ds_list_write", {N(l)}).str, "2D01000000000000");
  CallByName("ds_list_add", {N(l), N(1)});
  EXPECT_EQ(CallByName("ds_list_write", {N(l)}).str, "2D0100000100000000000000000000000000F03F00000000");
  double s = CallByName("ds_stack_create").real;
  CallByName("ds_stack_push", {N(s), Str("ab")});
  EXPECT_EQ(CallByName("ds_stack_write", {N(s)}).str, "6500000001000000010000000000000000000000020000006162");
  double m = CallByName("ds_map_create").real;
  CallByName("ds_map_add", {N(m), N(2), N(-1)});
  EXPECT_EQ(CallByName("ds_map_write", {N(m)}).str,
            "91010000" "01000000" "00000000" "0000000000000040" "00000000" "00000000" "000000000000F0BF" "00000000");
  double p = CallByName("ds_priority_create").real;
  CallByName("ds_priority_add", {N(p), Str("v"), N(0.5)});
  EXPECT_EQ(CallByName("ds_priority_write", {N(p)}).str,
            "F5010000" "01000000" "00000000" "000000000000E03F" "00000000" "01000000" "0000000000000000" "01000000" "76");
  double g = CallByName("ds_grid_create", {N(1), N(2)}).real;
  CallByName("ds_grid_set", {N(g), N(0), N(1), N(1)});
  EXPECT_EQ(CallByName("ds_grid_write", {N(g)}).str,
            "59020000" "01000000" "02000000" "00000000" "0000000000000000" "00000000" "00000000"
            "000000000000F03F" "00000000");
  double q = CallByName("ds_queue_create").real;
  EXPECT_EQ(CallByName("ds_queue_write", {N(q)}).str, "C9000000000000000000000000000000");
}

TEST_F(DataStructures, TextFormReadsBackAndRejectsOtherKindsAndDamage) {
  double l = CallByName("ds_list_create").real;
  CallByName("ds_list_add", {N(l), N(4)});
  CallByName("ds_list_add", {N(l), Str("x")});
  // Lowercase digits and a final odd character are fine.
  CallByName("ds_list_read", {N(l), Str("2d0100000100000000000000000000000000f03f000000007")});
  EXPECT_EQ(TakeError(), "");
  EXPECT_EQ(ListText(l), "1");
  // A stack's form, no header or a short header leave the list alone, silently.
  for (const char* other : {"6500000001000000010000000000000000000000020000006162", "", "2D01", "zz"}) {
    CallByName("ds_list_read", {N(l), Str(other)});
    EXPECT_EQ(TakeError(), "") << other;
    EXPECT_EQ(ListText(l), "1") << other;
  }
  // Damage after the right header: reported, nothing changed.
  for (const char* damaged : {"2D010000", "2D010000010000", "2D01000001000000", "2D01000001000000G0",
                              "2D010000FFFFFFFF", "2D0100000100000002000000000000000000F03F00000000",
                              "2D0100000100000001000000000000000000F03F05000000616263"}) {
    CallByName("ds_list_read", {N(l), Str(damaged)});
    EXPECT_EQ(TakeError(), "Data structure could not be read from the string.") << damaged;
    EXPECT_EQ(ListText(l), "1") << damaged;
  }
  // A queue's positions must fit its storage; a grid's cells must be there.
  double q = CallByName("ds_queue_create").real;
  CallByName("ds_queue_read", {N(q), Str("C9000000010000000200000000000000")});
  EXPECT_EQ(TakeError(), "Data structure could not be read from the string.");
  double g = CallByName("ds_grid_create", {N(1), N(1)}).real;
  CallByName("ds_grid_read", {N(g), Str("59020000FFFFFF7FFFFFFF7F")});
  EXPECT_EQ(TakeError(), "Data structure could not be read from the string.");
  CallByName("ds_grid_read", {N(g), Str("590200000000000000000000")});
  EXPECT_EQ(TakeError(), "");
  EXPECT_EQ(CallByName("ds_grid_width", {N(g)}).real, 0);

  // Every kind reads its own form back to the same form.
  struct Kind {
    const char *create, *fill, *write, *read;
  };
  const Kind kinds[] = {{"ds_stack_create", "ds_stack_push", "ds_stack_write", "ds_stack_read"},
                        {"ds_queue_create", "ds_queue_enqueue", "ds_queue_write", "ds_queue_read"},
                        {"ds_list_create", "ds_list_add", "ds_list_write", "ds_list_read"},
                        {"ds_map_create", "ds_map_add", "ds_map_write", "ds_map_read"},
                        {"ds_priority_create", "ds_priority_add", "ds_priority_write", "ds_priority_read"}};
  for (const Kind& k : kinds) {
    double a = CallByName(k.create).real, b = CallByName(k.create).real;
    bool pairs = std::string(k.fill).find("map") != std::string::npos ||
                 std::string(k.fill).find("priority") != std::string::npos;
    for (int i = 0; i < 40; i++) {
      RValue v = i % 3 ? N(i * 0.25) : Str(std::string(static_cast<size_t>(i % 5), 'q').c_str());
      if (pairs)
        CallByName(k.fill, {N(a), v, N(40 - i)});
      else
        CallByName(k.fill, {N(a), v});
    }
    std::string text = CallByName(k.write, {N(a)}).str;
    CallByName(k.read, {N(b), Str(text.c_str())});
    EXPECT_EQ(CallByName(k.write, {N(b)}).str, text) << k.create;
  }
  EXPECT_EQ(TakeError(), "");
}

}  // namespace
