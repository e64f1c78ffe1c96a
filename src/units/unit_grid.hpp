#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace qv {

class Unit3D;

// The spatial index every neighbourhood search goes through: 22 x 22 cells of
// 8 x 8 world units starting at -87.1, each an ordered list of shared units.
// Queries hand out whole cells; callers apply their own distance tests.
class UnitGrid {
 public:
  static constexpr int kCells = 22;
  static constexpr float kOrigin = -87.1f;
  static constexpr float kCellSize = 8.0f;
  using Cell = std::vector<std::shared_ptr<Unit3D>>;

  // The cell column/row a coordinate falls in, not clamped (may be out of range).
  static int cellIndex(float coordinate) { return static_cast<int>((coordinate - kOrigin) * 0.125f); }
  static int clampedCell(float coordinate) {
    const int c = cellIndex(coordinate);
    return c < 0 ? 0 : (c >= kCells ? kCells - 1 : c);
  }

  // Walks the cells covering a square around a point, cx fastest, then cy,
  // and each cell's units in filing order. The grid may be changed during the
  // walk only through gridEraseCurrent and through inserts into cells (an
  // offspring filed into a cell not yet visited is met later in the same walk).
  class Query {
   public:
    // The next unit, or an empty pointer at the end.
    std::shared_ptr<Unit3D> next();
    Unit3D* nextRaw();  // the same walk without touching reference counts
    bool done() const { return cy_ > cy1_; }

   private:
    friend class UnitGrid;
    UnitGrid* grid_ = nullptr;
    int cx0_ = 0, cx1_ = -1, cy0_ = 0, cy1_ = -1;
    int cx_ = 0, cy_ = 1;
    size_t index_ = 0;
    int lastCx_ = -1, lastCy_ = -1;  // cell of the unit handed out last
    bool advance();
  };

  UnitGrid();

  // Files the unit in its cell and remembers the cell in the unit.
  void gridInsert(const std::shared_ptr<Unit3D>& unit);
  // Refiles the unit when it crossed a cell border.
  void gridMove(const std::shared_ptr<Unit3D>& unit);
  void gridMove(Unit3D& unit);
  // r = 0 visits nothing, r < 0 every cell, r > 0 the cells covering [x-r, x+r] x [y-r, y+r].
  Query gridQuery(float x, float y, float r);
  // Removes the unit handed out last by the query; the walk continues with the next one.
  void gridEraseCurrent(Query& query);
  // Back to 22 x 22 empty cells.
  void gridRebuild();
  // Removes one unit by identity; false when it is not filed.
  bool remove(const Unit3D& unit);

  // Allocation-free neighbourhood walk for the simulation's hot paths; same
  // cells and order as gridQuery. f(Unit3D&) may return void.
  template <typename F>
  void forEachNear(float x, float y, float r, F&& f) const {
    int cx0, cx1, cy0, cy1;
    if (!cellRange(x, y, r, cx0, cx1, cy0, cy1)) return;
    for (int cy = cy0; cy <= cy1; ++cy)
      for (int cx = cx0; cx <= cx1; ++cx) {
        const Cell& c = cells_[cy * kCells + cx];
        for (size_t i = 0; i < c.size(); ++i) f(*c[i]);
      }
  }

  const Cell& cell(int cx, int cy) const { return cells_[cy * kCells + cx]; }
  size_t unitCount() const;

 private:
  static bool cellRange(float x, float y, float r, int& cx0, int& cx1, int& cy0, int& cy1);
  std::array<Cell, kCells * kCells> cells_;
};

}  // namespace qv
