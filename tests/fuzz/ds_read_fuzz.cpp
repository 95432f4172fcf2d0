// Feeds arbitrary text to every container's reader. A text that is read must
// write back to a form that reads to the same form again, and the container
// must stay usable; any other text leaves the container as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/Support_Data_Structures.h"

namespace {

template <class T>
void Check(std::string_view text, T& container) {
  std::string before;
  container.Write(before);
  EDS_Read read = container.Read(text);
  std::string written;
  container.Write(written);
  if (read != DS_READ_OK) {
    if (written != before) std::abort();
    return;
  }
  T again = container;
  if (again.Read(written) != DS_READ_OK) std::abort();
  std::string rewritten;
  again.Write(rewritten);
  if (rewritten != written) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RValue probe(std::string(text.substr(0, 3)));

  CDS_Stack stack;
  stack.Push(RValue(1.0));
  Check(text, stack);
  stack.Pop();
  stack.Push(probe);

  CDS_Queue queue;
  queue.Enqueue(RValue(2.0));
  Check(text, queue);
  for (int i = 0; i < 20; i++) queue.Enqueue(probe);
  for (int i = 0; i < 19; i++) queue.Dequeue();
  queue.Head();
  queue.Tail();

  CDS_List list;
  Check(text, list);
  list.Sort(true);
  list.Sort(false);
  list.FindIndex(probe);
  list.Insert(list.Size(), probe);

  CDS_Map map;
  map.Add(RValue(3.0), probe);
  Check(text, map);
  map.Add(probe, probe);
  map.FindNext(probe);
  map.FindPrevious(RValue(0.5));
  map.Delete(RValue(3.0));
  map.Exists(probe);

  CDS_Priority priority;
  Check(text, priority);
  priority.Add(probe, RValue(1.0));
  priority.ChangePriority(probe, RValue(-1.0));
  priority.FindMax();
  priority.DeleteMin();
  priority.DeleteMax();

  CDS_Grid grid(2, 2);
  Check(text, grid);
  // A read grid may be 0 wide and very high; only small ones grow.
  if ((int64_t{grid.Width()} + 1) * grid.Height() <= 4096) grid.Resize(grid.Width() + 1, grid.Height());
  RDS_Area all = DS_Region(grid, 0, 0, grid.Width(), grid.Height());
  if (!all.Empty()) DS_ApplyOp(DS_OP_ADD, grid.Cell(all.x2, all.y2), probe);
  DS_GridRegionCopy(grid, grid, 0, 0, grid.Width(), grid.Height(), 1, 1, DS_OP_SET);
  return 0;
}
