// Motion_Grid: CGrid, a grid of free and forbidden cells laid over the room,
// and the search for a shortest route of cells through it.
//
// State: the grid table (slots of grids; a destroyed slot is reused by the
// next grid), owned here for the whole program: grids are not tied to rooms
// or games. Motion_Reset destroys every grid and restores the potential-field
// settings (tests).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CInstance;
class CPath;

enum : int32_t { GRID_FREE = 0, GRID_FORBIDDEN = -1 };

// Grids are refused beyond this many cells (16 MiB of cells, as much again
// while searching).
constexpr int64_t GRID_MAX_CELLS = int64_t{1} << 22;

class CGrid {
 public:
  // All cells free. Sizes must have been checked (Motion_GridCreate).
  CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cell_width, int32_t cell_height);

  int32_t Left() const { return m_Left; }
  int32_t Top() const { return m_Top; }
  int32_t HorizontalCells() const { return m_H; }
  int32_t VerticalCells() const { return m_V; }
  int32_t CellWidth() const { return m_CellWidth; }
  int32_t CellHeight() const { return m_CellHeight; }
  // GRID_FREE or GRID_FORBIDDEN; GRID_FREE outside the grid.
  int32_t Cell(int32_t i, int32_t j) const { return Inside(i, j) ? m_Cells[Index(i, j)] : GRID_FREE; }
  bool Inside(int32_t i, int32_t j) const { return i >= 0 && i < m_H && j >= 0 && j < m_V; }

  // Cells outside the grid are ignored.
  void SetCell(int32_t i, int32_t j, int32_t value);
  void ClearAll();
  // The cells from the one holding (x1, y1) to the one holding (x2, y2)
  // (corners in any order), limited to the grid; nothing when the rectangle
  // lies wholly beside it.
  void SetRectangle(double x1, double y1, double x2, double y2, int32_t value);
  // Forbids the cells under the instances the selector names: the cells of
  // each bounding box, or with `precise` only those whose area the instance
  // itself meets. Instances without a shape cover nothing.
  void AddInstances(CInstance* self, CInstance* other, int32_t selector, bool precise);

  // Searches a shortest route of free cells from the cell of the start to
  // the cell of the goal, moving to the four neighbours and, with
  // `diagonal`, to a diagonal neighbour whose two shared neighbours are
  // free. When found, `path` becomes a straight open polyline from the
  // start through the centres of the cells between to the goal, and the
  // result is true. False, and the path untouched, when the start or the
  // goal lies outside the grid or in a forbidden cell, or no route exists.
  bool FindPath(CPath& path, double sx, double sy, double gx, double gy, bool diagonal);

  // Every cell as a filled rectangle: red when forbidden, green when free.
  void Draw() const;

 private:
  int32_t Index(int32_t i, int32_t j) const { return i * m_V + j; }
  // The column or row of a room coordinate, truncated toward zero (so
  // slightly left of the grid is still column 0), before limiting.
  int64_t Column(double x) const;
  int64_t Row(double y) const;
  void SetCells(int64_t i1, int64_t j1, int64_t i2, int64_t j2, int32_t value);
  void Search(int32_t start, int32_t goal, bool diagonal, bool& found);
  void WalkBack(int32_t goal, int32_t start, bool diagonal);

  int32_t m_Left, m_Top, m_H, m_V, m_CellWidth, m_CellHeight;
  // GRID_FREE or GRID_FORBIDDEN; during a search reached cells hold their
  // step count from the start (1 for the start), and go back to free after.
  std::vector<int32_t> m_Cells;
  // The search's queue of cell indices; every reached cell enters it once,
  // so it also lists the cells to free afterwards. Kept between searches.
  std::vector<int32_t> m_Queue;
};

// ---- The grid table ----

// A new grid in the first free slot; -1 when a size is below 1 (cell count
// below 0) or the grid would exceed GRID_MAX_CELLS.
int32_t Motion_GridCreate(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cell_width,
                          int32_t cell_height);
// The grid with that id, or null.
CGrid* Motion_Grid(int32_t id);
void Motion_GridDestroy(int32_t id);

// Destroys every grid and restores the default potential-field settings.
void Motion_Reset();
