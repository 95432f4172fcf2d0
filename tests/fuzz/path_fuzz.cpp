// Feeds arbitrary bytes as a path record (kind, closed, precision, points)
// and as the numbers that scripts pass to paths and grids: building, reading,
// transforming and following the path, and planning a grid route, must
// neither crash nor hang, and a found route must start and end where asked.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/Support_Stream.h"
#include "step/Motion_Grid.h"
#include "step/Path_Main.h"
#include "world/Instance_Class.h"

namespace {

// Reads a record laid out like a game file's path record, at most 512 points.
RPathRecord ReadRecord(CStream& in) {
  RPathRecord r;
  r.kind = in.ReadInteger();
  r.closed = in.ReadBoolean();
  r.precision = in.ReadInteger();
  const int32_t count = in.ReadInteger();
  for (int32_t i = 0; i < count && i < 512; i++) {
    RPathPoint p;
    p.x = in.ReadReal();
    p.y = in.ReadReal();
    p.speed = in.ReadReal();
    r.points.push_back(p);
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CStream in(std::vector<uint8_t>(data, data + size));
  RPathRecord record;
  try {
    record = ReadRecord(in);
  } catch (const CStreamError&) {
    return 0;
  }
  Path_Install({record});
  CPath& path = *Path_Get(0);
  // Script values are always finite numbers.
  auto real = [&]() {
    try {
      const double v = in.ReadReal();
      return std::isfinite(v) ? v : 0.0;
    } catch (const CStreamError&) {
      return 0.5;
    }
  };
  path.PositionAt(real());
  path.Rotate(real());
  path.Scale(real(), real());

  CInstance inst;
  Path_Start(&inst, 0, real(), static_cast<int32_t>(std::fmod(std::fabs(real()), 4.0)), real() >= 0.5, real(), real());
  for (int step = 0; step < 8; step++) Path_AdvanceInstance(&inst);

  // A small grid of cells from the input, with a route across it.
  const int32_t g = Motion_GridCreate(0, 0, 12, 9, 7, 5);
  CGrid* grid = Motion_Grid(g);
  for (int32_t k = 0; k < 20; k++) grid->SetRectangle(real(), real(), real(), real(), GRID_FORBIDDEN);
  const double sx = real(), sy = real(), gx = real(), gy = real();
  if (grid->FindPath(path, sx, sy, gx, gy, real() >= 0.5)) {
    const RPathPoint first = path.Point(0), last = path.Point(path.Count() - 1);
    if (first.x != sx || first.y != sy || last.x != gx || last.y != gy) std::abort();
  }
  Motion_Reset();
  Path_Install({});
  return 0;
}
