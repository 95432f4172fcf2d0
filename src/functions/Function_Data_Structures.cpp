// Function_Data_Structures: the ds_* built-ins over the containers of
// Support_Data_Structures. A missing id is reported and the call does
// nothing else; positions and sizes are rounded, values taken as they are.
#include <algorithm>
#include <memory>
#include <string>

#include "code/Code_Error.h"
#include "functions/Support_Data_Structures.h"
#include "variables/Code_Function.h"

namespace {

void Fail(const char* message) { ReportActionError(message, false); }

template <class T>
CDS_Table<T>& TableOf();
template <>
CDS_Table<CDS_Stack>& TableOf<CDS_Stack>() { return DS_Stacks; }
template <>
CDS_Table<CDS_Queue>& TableOf<CDS_Queue>() { return DS_Queues; }
template <>
CDS_Table<CDS_List>& TableOf<CDS_List>() { return DS_Lists; }
template <>
CDS_Table<CDS_Map>& TableOf<CDS_Map>() { return DS_Maps; }
template <>
CDS_Table<CDS_Priority>& TableOf<CDS_Priority>() { return DS_Priorities; }
template <>
CDS_Table<CDS_Grid>& TableOf<CDS_Grid>() { return DS_Grids; }

// The container named by argument i, or null after reporting that it does
// not exist.
template <class T>
T* Get(const RValue* args, int i = 0) {
  T* container = TableOf<T>().Find(ArgInt(args, i));
  if (container == nullptr) Fail("Data structure with index does not exist.");
  return container;
}

// Grid sizes: below 0 counts as 0; beyond the cell limit is refused.
bool GridSize(const RValue* args, int i, int32_t& width, int32_t& height) {
  width = std::max(ArgInt(args, i), 0);
  height = std::max(ArgInt(args, i + 1), 0);
  if (int64_t{width} * height <= DS_GRID_MAX_CELLS && width <= DS_GRID_MAX_CELLS && height <= DS_GRID_MAX_CELLS)
    return true;
  Fail("Data structure grid is too large.");
  return false;
}

// ---------------------------------------------------------------------------
// Common to stacks, queues, lists, maps and priority queues (and the grid
// where it has them).

template <class T>
void FnCreate(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(TableOf<T>().Add(std::make_unique<T>()));
}
template <class T>
void FnDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (Get<T>(args)) TableOf<T>().Remove(ArgInt(args, 0));
}
template <class T>
void FnClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (T* c = Get<T>(args)) c->Clear();
}
template <class T>
void FnCopy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  T* dest = Get<T>(args, 0);
  const T* source = dest ? Get<T>(args, 1) : nullptr;
  if (source != nullptr && source != dest) *dest = *source;
}
template <class T>
void FnSize(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (T* c = Get<T>(args)) result.SetReal(c->Size());
}
template <class T>
void FnEmpty(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (T* c = Get<T>(args)) result.SetReal(c->Size() == 0);
}
template <class T>
void FnWrite(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (T* c = Get<T>(args)) {
    std::string text;
    c->Write(text);
    result.SetString(std::move(text));
  }
}
template <class T>
void FnRead(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (T* c = Get<T>(args); c != nullptr && c->Read(ArgString(args, 1)) == DS_READ_DAMAGED)
    Fail("Data structure could not be read from the string.");
}

void FnSetPrecision(CInstance*, CInstance*, int, RValue* args, RValue&) { DS_SetPrecision(ArgReal(args, 0)); }

// ---------------------------------------------------------------------------
// Stack, queue, list

void FnStackPush(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Stack* s = Get<CDS_Stack>(args)) s->Push(args[1]);
}
void FnStackPop(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Stack* s = Get<CDS_Stack>(args)) result = s->Pop();
}
void FnStackTop(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Stack* s = Get<CDS_Stack>(args)) result = s->Top();
}

void FnQueueEnqueue(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Queue* q = Get<CDS_Queue>(args)) q->Enqueue(args[1]);
}
void FnQueueDequeue(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Queue* q = Get<CDS_Queue>(args)) result = q->Dequeue();
}
void FnQueueHead(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Queue* q = Get<CDS_Queue>(args)) result = q->Head();
}
void FnQueueTail(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Queue* q = Get<CDS_Queue>(args)) result = q->Tail();
}

void FnListAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Add(args[1]);
}
void FnListInsert(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Insert(ArgInt(args, 1), args[2]);
}
void FnListReplace(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Replace(ArgInt(args, 1), args[2]);
}
void FnListDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Delete(ArgInt(args, 1));
}
void FnListFindIndex(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_List* l = Get<CDS_List>(args)) result.SetReal(l->FindIndex(args[1]));
}
void FnListFindValue(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_List* l = Get<CDS_List>(args)) result = l->FindValue(ArgInt(args, 1));
}
void FnListSort(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Sort(ArgBool(args, 1));
}
void FnListShuffle(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_List* l = Get<CDS_List>(args)) l->Shuffle();
}

// ---------------------------------------------------------------------------
// Map, priority queue

void FnMapAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Map* m = Get<CDS_Map>(args)) m->Add(args[1], args[2]);
}
void FnMapReplace(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Map* m = Get<CDS_Map>(args)) m->Replace(args[1], args[2]);
}
void FnMapDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Map* m = Get<CDS_Map>(args)) m->Delete(args[1]);
}
void FnMapExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result.SetReal(m->Exists(args[1]));
}
void FnMapFindValue(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result = m->FindValue(args[1]);
}
void FnMapFindPrevious(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result = m->FindPrevious(args[1]);
}
void FnMapFindNext(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result = m->FindNext(args[1]);
}
void FnMapFindFirst(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result = m->FindFirst();
}
void FnMapFindLast(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Map* m = Get<CDS_Map>(args)) result = m->FindLast();
}

void FnPriorityAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) p->Add(args[1], args[2]);
}
void FnPriorityChange(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) p->ChangePriority(args[1], args[2]);
}
void FnPriorityFindPriority(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) result = p->FindPriority(args[1]);
}
void FnPriorityDeleteValue(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) p->DeleteValue(args[1]);
}
void FnPriorityDeleteMin(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) result = p->DeleteMin();
}
void FnPriorityFindMin(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) result = p->FindMin();
}
void FnPriorityDeleteMax(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) result = p->DeleteMax();
}
void FnPriorityFindMax(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Priority* p = Get<CDS_Priority>(args)) result = p->FindMax();
}

// ---------------------------------------------------------------------------
// Grid

void FnGridCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t width, height;
  result.SetReal(GridSize(args, 0, width, height) ? DS_Grids.Add(std::make_unique<CDS_Grid>(width, height)) : -1);
}
void FnGridResize(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t width, height;
  if (CDS_Grid* g = Get<CDS_Grid>(args); g != nullptr && GridSize(args, 1, width, height)) g->Resize(width, height);
}
void FnGridWidth(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Grid* g = Get<CDS_Grid>(args)) result.SetReal(g->Width());
}
void FnGridHeight(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CDS_Grid* g = Get<CDS_Grid>(args)) result.SetReal(g->Height());
}
void FnGridClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Grid* g = Get<CDS_Grid>(args)) g->Fill(args[1]);
}
void FnGridGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CDS_Grid* g = Get<CDS_Grid>(args);
  int32_t x = ArgInt(args, 1), y = ArgInt(args, 2);
  if (g != nullptr && g->Inside(x, y)) result = g->Cell(x, y);
}
void FnGridShuffle(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDS_Grid* g = Get<CDS_Grid>(args)) g->Shuffle();
}

template <EDS_GridOp OP>
void FnGridOp(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CDS_Grid* g = Get<CDS_Grid>(args);
  int32_t x = ArgInt(args, 1), y = ArgInt(args, 2);
  if (g != nullptr && g->Inside(x, y)) DS_ApplyOp(OP, g->Cell(x, y), args[3]);
}

// The cells a region (x1, y1, x2, y2 rounded) or a disk (xm, ym, r as reals)
// covers, from the arguments after the grid id; the value argument, when
// there is one, follows them.
struct RShape {
  RDS_Area box;
  bool disk;
  double xm, ym, r;
};
template <bool DISK>
constexpr int VALUE_ARG = DISK ? 4 : 5;

template <bool DISK>
RShape ShapeOf(const CDS_Grid& g, const RValue* args) {
  if (DISK) {
    double xm = ArgReal(args, 1), ym = ArgReal(args, 2), r = ArgReal(args, 3);
    return {DS_DiskBox(g, xm, ym, r), true, xm, ym, r};
  }
  return {DS_Region(g, ArgInt(args, 1), ArgInt(args, 2), ArgInt(args, 3), ArgInt(args, 4)), false, 0, 0, 0};
}

// Calls f(x, y) for each cell, x outer and y inner, until f returns true;
// returns whether it did.
template <class F>
bool Visit(const RShape& s, F&& f) {
  if (s.box.Empty()) return false;  // a grid may be wide with no rows
  for (int32_t x = s.box.x1; x <= s.box.x2; x++)
    for (int32_t y = s.box.y1; y <= s.box.y2; y++)
      if ((!s.disk || DS_InDisk(x, y, s.xm, s.ym, s.r)) && f(x, y)) return true;
  return false;
}

template <bool DISK, EDS_GridOp OP>
void FnGridAreaOp(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CDS_Grid* g = Get<CDS_Grid>(args);
  if (g == nullptr) return;
  const RValue& v = args[VALUE_ARG<DISK>];
  Visit(ShapeOf<DISK>(*g, args), [&](int32_t x, int32_t y) {
    DS_ApplyOp(OP, g->Cell(x, y), v);
    return false;
  });
}

template <EDS_GridOp OP>
void FnGridGridRegion(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CDS_Grid* dest = Get<CDS_Grid>(args, 0);
  const CDS_Grid* source = dest ? Get<CDS_Grid>(args, 1) : nullptr;
  if (source != nullptr)
    DS_GridRegionCopy(*dest, *source, ArgInt(args, 2), ArgInt(args, 3), ArgInt(args, 4), ArgInt(args, 5),
                      ArgInt(args, 6), ArgInt(args, 7), OP);
}

// Sums and extremes over the cells that hold reals. An area without any
// gives the starting values.
enum EAggregate : int { AGG_SUM, AGG_MEAN, AGG_MAX, AGG_MIN };

template <bool DISK, EAggregate AGG>
void FnGridAggregate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CDS_Grid* g = Get<CDS_Grid>(args);
  if (g == nullptr) return;
  double sum = 0, max = -100000000.0, min = 100000000.0;
  int64_t count = 0;
  Visit(ShapeOf<DISK>(*g, args), [&](int32_t x, int32_t y) {
    const RValue& cell = g->Cell(x, y);
    if (cell.IsReal()) {
      sum = CheckReal(sum + cell.real);
      max = std::max(max, cell.real);
      min = std::min(min, cell.real);
      count++;
    }
    return false;
  });
  switch (AGG) {
    case AGG_SUM: result.SetReal(sum); break;
    case AGG_MEAN: result.SetReal(count > 0 ? sum / static_cast<double>(count) : 0); break;
    case AGG_MAX: result.SetReal(max); break;
    case AGG_MIN: result.SetReal(min); break;
  }
}

// The first cell equal to the value: whether there is one, its x, its y.
enum EFound : int { FOUND_EXISTS, FOUND_X, FOUND_Y };

template <bool DISK, EFound WHAT>
void FnGridValue(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CDS_Grid* g = Get<CDS_Grid>(args);
  if (g == nullptr) return;
  const RValue& v = args[VALUE_ARG<DISK>];
  int32_t fx = 0, fy = 0;
  bool found = Visit(ShapeOf<DISK>(*g, args), [&](int32_t x, int32_t y) {
    fx = x;
    fy = y;
    return DS_Compare(g->Cell(x, y), v) == 0;
  });
  if (found) result.SetReal(WHAT == FOUND_EXISTS ? 1 : WHAT == FOUND_X ? fx : fy);
}

constexpr RFunctionDef kDataStructureFunctions[] = {
    {"ds_set_precision", FnSetPrecision, 1},

    {"ds_stack_create", FnCreate<CDS_Stack>, 0},
    {"ds_stack_destroy", FnDestroy<CDS_Stack>, 1},
    {"ds_stack_clear", FnClear<CDS_Stack>, 1},
    {"ds_stack_copy", FnCopy<CDS_Stack>, 2},
    {"ds_stack_size", FnSize<CDS_Stack>, 1},
    {"ds_stack_empty", FnEmpty<CDS_Stack>, 1},
    {"ds_stack_push", FnStackPush, 2},
    {"ds_stack_pop", FnStackPop, 1},
    {"ds_stack_top", FnStackTop, 1},
    {"ds_stack_write", FnWrite<CDS_Stack>, 1},
    {"ds_stack_read", FnRead<CDS_Stack>, 2},

    {"ds_queue_create", FnCreate<CDS_Queue>, 0},
    {"ds_queue_destroy", FnDestroy<CDS_Queue>, 1},
    {"ds_queue_clear", FnClear<CDS_Queue>, 1},
    {"ds_queue_copy", FnCopy<CDS_Queue>, 2},
    {"ds_queue_size", FnSize<CDS_Queue>, 1},
    {"ds_queue_empty", FnEmpty<CDS_Queue>, 1},
    {"ds_queue_enqueue", FnQueueEnqueue, 2},
    {"ds_queue_dequeue", FnQueueDequeue, 1},
    {"ds_queue_head", FnQueueHead, 1},
    {"ds_queue_tail", FnQueueTail, 1},
    {"ds_queue_write", FnWrite<CDS_Queue>, 1},
    {"ds_queue_read", FnRead<CDS_Queue>, 2},

    {"ds_list_create", FnCreate<CDS_List>, 0},
    {"ds_list_destroy", FnDestroy<CDS_List>, 1},
    {"ds_list_clear", FnClear<CDS_List>, 1},
    {"ds_list_copy", FnCopy<CDS_List>, 2},
    {"ds_list_size", FnSize<CDS_List>, 1},
    {"ds_list_empty", FnEmpty<CDS_List>, 1},
    {"ds_list_add", FnListAdd, 2},
    {"ds_list_insert", FnListInsert, 3},
    {"ds_list_replace", FnListReplace, 3},
    {"ds_list_delete", FnListDelete, 2},
    {"ds_list_find_index", FnListFindIndex, 2},
    {"ds_list_find_value", FnListFindValue, 2},
    {"ds_list_sort", FnListSort, 2},
    {"ds_list_shuffle", FnListShuffle, 1},
    {"ds_list_write", FnWrite<CDS_List>, 1},
    {"ds_list_read", FnRead<CDS_List>, 2},

    {"ds_map_create", FnCreate<CDS_Map>, 0},
    {"ds_map_destroy", FnDestroy<CDS_Map>, 1},
    {"ds_map_clear", FnClear<CDS_Map>, 1},
    {"ds_map_copy", FnCopy<CDS_Map>, 2},
    {"ds_map_size", FnSize<CDS_Map>, 1},
    {"ds_map_empty", FnEmpty<CDS_Map>, 1},
    {"ds_map_add", FnMapAdd, 3},
    {"ds_map_replace", FnMapReplace, 3},
    {"ds_map_delete", FnMapDelete, 2},
    {"ds_map_exists", FnMapExists, 2},
    {"ds_map_find_value", FnMapFindValue, 2},
    {"ds_map_find_previous", FnMapFindPrevious, 2},
    {"ds_map_find_next", FnMapFindNext, 2},
    {"ds_map_find_first", FnMapFindFirst, 1},
    {"ds_map_find_last", FnMapFindLast, 1},
    {"ds_map_write", FnWrite<CDS_Map>, 1},
    {"ds_map_read", FnRead<CDS_Map>, 2},

    {"ds_priority_create", FnCreate<CDS_Priority>, 0},
    {"ds_priority_destroy", FnDestroy<CDS_Priority>, 1},
    {"ds_priority_clear", FnClear<CDS_Priority>, 1},
    {"ds_priority_copy", FnCopy<CDS_Priority>, 2},
    {"ds_priority_size", FnSize<CDS_Priority>, 1},
    {"ds_priority_empty", FnEmpty<CDS_Priority>, 1},
    {"ds_priority_add", FnPriorityAdd, 3},
    {"ds_priority_change_priority", FnPriorityChange, 3},
    {"ds_priority_find_priority", FnPriorityFindPriority, 2},
    {"ds_priority_delete_value", FnPriorityDeleteValue, 2},
    {"ds_priority_delete_min", FnPriorityDeleteMin, 1},
    {"ds_priority_find_min", FnPriorityFindMin, 1},
    {"ds_priority_delete_max", FnPriorityDeleteMax, 1},
    {"ds_priority_find_max", FnPriorityFindMax, 1},
    {"ds_priority_write", FnWrite<CDS_Priority>, 1},
    {"ds_priority_read", FnRead<CDS_Priority>, 2},

    {"ds_grid_create", FnGridCreate, 2},
    {"ds_grid_destroy", FnDestroy<CDS_Grid>, 1},
    {"ds_grid_copy", FnCopy<CDS_Grid>, 2},
    {"ds_grid_resize", FnGridResize, 3},
    {"ds_grid_width", FnGridWidth, 1},
    {"ds_grid_height", FnGridHeight, 1},
    {"ds_grid_clear", FnGridClear, 2},
    {"ds_grid_set", FnGridOp<DS_OP_SET>, 4},
    {"ds_grid_add", FnGridOp<DS_OP_ADD>, 4},
    {"ds_grid_multiply", FnGridOp<DS_OP_MULTIPLY>, 4},
    {"ds_grid_set_region", FnGridAreaOp<false, DS_OP_SET>, 6},
    {"ds_grid_add_region", FnGridAreaOp<false, DS_OP_ADD>, 6},
    {"ds_grid_multiply_region", FnGridAreaOp<false, DS_OP_MULTIPLY>, 6},
    {"ds_grid_set_disk", FnGridAreaOp<true, DS_OP_SET>, 5},
    {"ds_grid_add_disk", FnGridAreaOp<true, DS_OP_ADD>, 5},
    {"ds_grid_multiply_disk", FnGridAreaOp<true, DS_OP_MULTIPLY>, 5},
    {"ds_grid_set_grid_region", FnGridGridRegion<DS_OP_SET>, 8},
    {"ds_grid_add_grid_region", FnGridGridRegion<DS_OP_ADD>, 8},
    {"ds_grid_multiply_grid_region", FnGridGridRegion<DS_OP_MULTIPLY>, 8},
    {"ds_grid_get", FnGridGet, 3},
    {"ds_grid_get_sum", FnGridAggregate<false, AGG_SUM>, 5},
    {"ds_grid_get_max", FnGridAggregate<false, AGG_MAX>, 5},
    {"ds_grid_get_min", FnGridAggregate<false, AGG_MIN>, 5},
    {"ds_grid_get_mean", FnGridAggregate<false, AGG_MEAN>, 5},
    {"ds_grid_get_disk_sum", FnGridAggregate<true, AGG_SUM>, 4},
    {"ds_grid_get_disk_max", FnGridAggregate<true, AGG_MAX>, 4},
    {"ds_grid_get_disk_min", FnGridAggregate<true, AGG_MIN>, 4},
    {"ds_grid_get_disk_mean", FnGridAggregate<true, AGG_MEAN>, 4},
    {"ds_grid_value_exists", FnGridValue<false, FOUND_EXISTS>, 6},
    {"ds_grid_value_x", FnGridValue<false, FOUND_X>, 6},
    {"ds_grid_value_y", FnGridValue<false, FOUND_Y>, 6},
    {"ds_grid_value_disk_exists", FnGridValue<true, FOUND_EXISTS>, 5},
    {"ds_grid_value_disk_x", FnGridValue<true, FOUND_X>, 5},
    {"ds_grid_value_disk_y", FnGridValue<true, FOUND_Y>, 5},
    {"ds_grid_shuffle", FnGridShuffle, 1},
    {"ds_grid_write", FnWrite<CDS_Grid>, 1},
    {"ds_grid_read", FnRead<CDS_Grid>, 2},
};

}  // namespace

void Function_Data_Structures_Register() { RegisterFunctions(kDataStructureFunctions); }
