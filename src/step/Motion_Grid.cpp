#include "step/Motion_Grid.h"

#include <algorithm>
#include <cmath>

#include "graphics/Graphics_Draw.h"
#include "step/Motion_Potential.h"
#include "step/Path_Class.h"
#include "step/Run_Handle_Collision.h"
#include "world/Instance_Class.h"

namespace {

std::vector<std::unique_ptr<CGrid>> g_Grids;

// The route being built; kept between searches.
std::vector<RPathPoint> g_Route;

constexpr int32_t kRed = 255, kGreen = 32768;

// A quotient truncated toward zero as an integer, held far outside any grid
// when it is huge, so that nothing overflows.
int64_t Truncated(double q) {
  if (!(q > -1e15)) return -1000000000000000;
  if (q > 1e15) return 1000000000000000;
  return static_cast<int64_t>(q);
}

}  // namespace

CGrid::CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cell_width, int32_t cell_height)
    : m_Left(left),
      m_Top(top),
      m_H(hcells),
      m_V(vcells),
      m_CellWidth(cell_width),
      m_CellHeight(cell_height),
      m_Cells(static_cast<size_t>(hcells) * static_cast<size_t>(vcells), GRID_FREE) {}

// ---- Marking ----

int64_t CGrid::Column(double x) const { return Truncated((x - m_Left) / m_CellWidth); }
int64_t CGrid::Row(double y) const { return Truncated((y - m_Top) / m_CellHeight); }

void CGrid::SetCell(int32_t i, int32_t j, int32_t value) {
  if (Inside(i, j)) m_Cells[Index(i, j)] = value;
}

void CGrid::ClearAll() { std::fill(m_Cells.begin(), m_Cells.end(), GRID_FREE); }

void CGrid::SetCells(int64_t i1, int64_t j1, int64_t i2, int64_t j2, int32_t value) {
  // A shape wholly beside the grid marks nothing, rather than the edge
  // cells it does not cover.
  if (i2 < 0 || j2 < 0 || i1 >= m_H || j1 >= m_V) return;
  const int32_t a = static_cast<int32_t>(std::max<int64_t>(i1, 0)), b = static_cast<int32_t>(std::min<int64_t>(i2, m_H - 1));
  const int32_t c = static_cast<int32_t>(std::max<int64_t>(j1, 0)), d = static_cast<int32_t>(std::min<int64_t>(j2, m_V - 1));
  for (int32_t i = a; i <= b; i++) std::fill(m_Cells.begin() + Index(i, c), m_Cells.begin() + Index(i, d) + 1, value);
}

void CGrid::SetRectangle(double x1, double y1, double x2, double y2, int32_t value) {
  SetCells(Column(std::min(x1, x2)), Row(std::min(y1, y2)), Column(std::max(x1, x2)), Row(std::max(y1, y2)), value);
}

void CGrid::AddInstances(CInstance* self, CInstance* other, int32_t selector, bool precise) {
  Collision_ForSelected(self, other, selector, [&](CInstance* inst) {
    if (!inst->HasShape()) return true;
    const int64_t i1 = Column(inst->bbox_left), i2 = Column(inst->bbox_right);
    const int64_t j1 = Row(inst->bbox_top), j2 = Row(inst->bbox_bottom);
    if (!precise) {
      SetCells(i1, j1, i2, j2, GRID_FORBIDDEN);
      return true;
    }
    if (i2 < 0 || j2 < 0 || i1 >= m_H || j1 >= m_V) return true;
    for (int64_t i = std::max<int64_t>(i1, 0); i <= std::min<int64_t>(i2, m_H - 1); i++) {
      for (int64_t j = std::max<int64_t>(j1, 0); j <= std::min<int64_t>(j2, m_V - 1); j++) {
        int32_t& cell = m_Cells[Index(static_cast<int32_t>(i), static_cast<int32_t>(j))];
        if (cell == GRID_FORBIDDEN) continue;
        const double x = m_Left + static_cast<double>(i) * m_CellWidth, y = m_Top + static_cast<double>(j) * m_CellHeight;
        if (Collision_MeetsRectangle(inst, x, y, x + m_CellWidth - 1, y + m_CellHeight - 1, true)) cell = GRID_FORBIDDEN;
      }
    }
    return true;
  });
}

// ---- Searching ----

// The search is breadth-first, not A*: a found route is read back from the
// step counts the search leaves in the cells (the walk back prefers
// neighbours in a fixed order), so the counts must be exactly those of a
// breadth-first search for routes to come out the same every time. Each
// cell is reached at most once, so a search costs time in proportion to
// the cells it reaches.
void CGrid::Search(int32_t start, int32_t goal, bool diagonal, bool& found) {
  m_Queue.clear();
  m_Queue.reserve(m_Cells.size());
  m_Cells[start] = 1;
  m_Queue.push_back(start);
  for (size_t head = 0; head < m_Queue.size(); head++) {
    const int32_t c = m_Queue[head];
    if (c == goal) {
      found = true;
      return;
    }
    const int32_t i = c / m_V, j = c % m_V, next = m_Cells[c] + 1;
    auto open = [&](bool inside, int32_t cell) { return inside && m_Cells[cell] == GRID_FREE; };
    const bool l = open(i > 0, c - m_V), r = open(i < m_H - 1, c + m_V);
    const bool u = open(j > 0, c - 1), d = open(j < m_V - 1, c + 1);
    // The diagonals are noted before any neighbour is reached from here.
    const bool dl = open(i > 0 && j < m_V - 1, c - m_V + 1), ul = open(i > 0 && j > 0, c - m_V - 1);
    const bool dr = open(i < m_H - 1 && j < m_V - 1, c + m_V + 1), ur = open(i < m_H - 1 && j > 0, c + m_V - 1);
    auto reach = [&](bool ok, int32_t cell) {
      if (!ok) return;
      m_Cells[cell] = next;
      m_Queue.push_back(cell);
    };
    reach(l, c - m_V);
    reach(r, c + m_V);
    reach(u, c - 1);
    reach(d, c + 1);
    if (!diagonal) continue;
    reach(dl && d && l, c - m_V + 1);
    reach(ul && u && l, c - m_V - 1);
    reach(dr && d && r, c + m_V + 1);
    reach(ur && u && r, c + m_V - 1);
  }
}

// From the goal back to the start, each time to the first neighbour one
// step nearer the start: left, right, up, down, then the diagonals. A
// diagonal is taken only between two cells that are not forbidden (one
// whose step count merely fits could cut through the corner of a wall); the
// cell the search came from always qualifies, so the walk always arrives.
void CGrid::WalkBack(int32_t goal, int32_t start, bool diagonal) {
  int32_t c = goal;
  while (c != start) {
    const int32_t i = c / m_V, j = c % m_V, want = m_Cells[c] - 1;
    auto is = [&](bool inside, int32_t cell) { return inside && m_Cells[cell] == want; };
    auto passable = [&](int32_t a, int32_t b) { return m_Cells[a] != GRID_FORBIDDEN && m_Cells[b] != GRID_FORBIDDEN; };
    int32_t next = -1;
    if (is(i > 0, c - m_V))
      next = c - m_V;
    else if (is(i < m_H - 1, c + m_V))
      next = c + m_V;
    else if (is(j > 0, c - 1))
      next = c - 1;
    else if (is(j < m_V - 1, c + 1))
      next = c + 1;
    else if (diagonal && is(i > 0 && j < m_V - 1, c - m_V + 1) && passable(c - m_V, c + 1))
      next = c - m_V + 1;
    else if (diagonal && is(i < m_H - 1 && j < m_V - 1, c + m_V + 1) && passable(c + m_V, c + 1))
      next = c + m_V + 1;
    else if (diagonal && is(i > 0 && j > 0, c - m_V - 1) && passable(c - m_V, c - 1))
      next = c - m_V - 1;
    else if (diagonal && is(i < m_H - 1 && j > 0, c + m_V - 1) && passable(c + m_V, c - 1))
      next = c + m_V - 1;
    if (next < 0) return;  // cannot happen with counts from Search; stop rather than loop
    c = next;
    if (c == start) break;
    const int32_t ci = c / m_V, cj = c % m_V;
    g_Route.push_back({m_Left + static_cast<double>(ci) * m_CellWidth + m_CellWidth / 2,
                       m_Top + static_cast<double>(cj) * m_CellHeight + m_CellHeight / 2, 100});
  }
}

bool CGrid::FindPath(CPath& path, double sx, double sy, double gx, double gy, bool diagonal) {
  auto inside = [&](double x, double y) {
    return x >= m_Left && x < m_Left + static_cast<double>(m_H) * m_CellWidth && y >= m_Top &&
           y < m_Top + static_cast<double>(m_V) * m_CellHeight;
  };
  if (!inside(sx, sy) || !inside(gx, gy)) return false;
  const int32_t start = Index(static_cast<int32_t>(Column(sx)), static_cast<int32_t>(Row(sy)));
  const int32_t goal = Index(static_cast<int32_t>(Column(gx)), static_cast<int32_t>(Row(gy)));
  if (m_Cells[start] == GRID_FORBIDDEN || m_Cells[goal] == GRID_FORBIDDEN) return false;

  bool found = false;
  Search(start, goal, diagonal, found);
  if (found) {
    g_Route.clear();
    g_Route.push_back({gx, gy, 100});
    WalkBack(goal, start, diagonal);
    g_Route.push_back({sx, sy, 100});
    std::reverse(g_Route.begin(), g_Route.end());
    path.SetPolyline(g_Route);
  }
  for (int32_t cell : m_Queue) m_Cells[cell] = GRID_FREE;
  return found;
}

// ---- Drawing ----

void CGrid::Draw() const {
  const double alpha = Draw_Alpha();
  // Runs of equal cells down a column go out as one rectangle.
  for (int32_t i = 0; i < m_H; i++) {
    const double x = m_Left + static_cast<double>(i) * m_CellWidth;
    for (int32_t j = 0; j < m_V;) {
      const bool forbidden = m_Cells[Index(i, j)] == GRID_FORBIDDEN;
      int32_t end = j + 1;
      while (end < m_V && (m_Cells[Index(i, end)] == GRID_FORBIDDEN) == forbidden) end++;
      const int32_t c = forbidden ? kRed : kGreen;
      const int32_t colours[4] = {c, c, c, c};
      Draw_Rectangle(x, m_Top + static_cast<double>(j) * m_CellHeight, x + m_CellWidth,
                     m_Top + static_cast<double>(end) * m_CellHeight, colours, alpha, false);
      j = end;
    }
  }
}

// ---- The grid table ----

int32_t Motion_GridCreate(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cell_width,
                          int32_t cell_height) {
  if (hcells < 0 || vcells < 0 || cell_width < 1 || cell_height < 1) return -1;
  if (static_cast<int64_t>(hcells) * vcells > GRID_MAX_CELLS) return -1;
  auto grid = std::make_unique<CGrid>(left, top, hcells, vcells, cell_width, cell_height);
  auto slot = std::find(g_Grids.begin(), g_Grids.end(), nullptr);
  if (slot == g_Grids.end()) slot = g_Grids.insert(g_Grids.end(), nullptr);
  *slot = std::move(grid);
  return static_cast<int32_t>(slot - g_Grids.begin());
}

CGrid* Motion_Grid(int32_t id) {
  return id >= 0 && static_cast<size_t>(id) < g_Grids.size() ? g_Grids[id].get() : nullptr;
}

void Motion_GridDestroy(int32_t id) {
  if (Motion_Grid(id)) g_Grids[id].reset();
}

void Motion_Reset() {
  g_Grids.clear();
  Motion_SetPotentialSettings(RPotentialSettings{});
}
