#include "units/unit_grid.hpp"

#include <algorithm>
#include <cmath>

#include "units/unit.hpp"

namespace qv {

UnitGrid::UnitGrid() {
  // Room for a busy cell up front, so units walking between cells do not make
  // the simulation allocate; clearing keeps the room.
  for (Cell& c : cells_) c.reserve(16);
}

bool UnitGrid::cellRange(float x, float y, float r, int& cx0, int& cx1, int& cy0, int& cy1) {
  if (r == 0.0f || std::isnan(r)) return false;
  if (r < 0.0f) {
    cx0 = cy0 = 0;
    cx1 = cy1 = kCells - 1;
    return true;
  }
  cx0 = clampedCell(x - r);
  cx1 = clampedCell(x + r);
  cy0 = clampedCell(y - r);
  cy1 = clampedCell(y + r);
  return true;
}

void UnitGrid::gridInsert(const std::shared_ptr<Unit3D>& unit) {
  if (!unit) return;
  // Units beyond the grid are filed in the nearest border cell rather than
  // dropped: a unit that is not filed would never be updated, drawn or saved.
  const int cx = clampedCell(unit->position.x);
  const int cy = clampedCell(unit->position.y);
  unit->gridCellX = cx;
  unit->gridCellY = cy;
  cells_[cy * kCells + cx].push_back(unit);
}

void UnitGrid::gridMove(Unit3D& unit) {
  const int cx = clampedCell(unit.position.x);
  const int cy = clampedCell(unit.position.y);
  if (cx == unit.gridCellX && cy == unit.gridCellY) return;
  if (unit.gridCellX < 0 || unit.gridCellY < 0 || unit.gridCellX >= kCells || unit.gridCellY >= kCells) return;
  Cell& from = cells_[unit.gridCellY * kCells + unit.gridCellX];
  for (size_t i = 0; i < from.size(); ++i) {
    if (from[i].get() == &unit) {
      std::shared_ptr<Unit3D> keep = std::move(from[i]);
      from.erase(from.begin() + static_cast<std::ptrdiff_t>(i));
      unit.gridCellX = cx;
      unit.gridCellY = cy;
      cells_[cy * kCells + cx].push_back(std::move(keep));
      return;
    }
  }
}

void UnitGrid::gridMove(const std::shared_ptr<Unit3D>& unit) {
  if (unit) gridMove(*unit);
}

UnitGrid::Query UnitGrid::gridQuery(float x, float y, float r) {
  Query q;
  q.grid_ = this;
  if (!cellRange(x, y, r, q.cx0_, q.cx1_, q.cy0_, q.cy1_)) {
    q.cy_ = 1;
    q.cy1_ = 0;  // done() from the start
    return q;
  }
  q.cx_ = q.cx0_;
  q.cy_ = q.cy0_;
  q.index_ = 0;
  return q;
}

bool UnitGrid::Query::advance() {
  while (cy_ <= cy1_) {
    const Cell& c = grid_->cells_[cy_ * kCells + cx_];
    if (index_ < c.size()) return true;
    index_ = 0;
    if (++cx_ > cx1_) {
      cx_ = cx0_;
      ++cy_;
    }
  }
  return false;
}

std::shared_ptr<Unit3D> UnitGrid::Query::next() {
  if (!grid_ || !advance()) return nullptr;
  lastCx_ = cx_;
  lastCy_ = cy_;
  return grid_->cells_[cy_ * kCells + cx_][index_++];
}

Unit3D* UnitGrid::Query::nextRaw() {
  if (!grid_ || !advance()) return nullptr;
  lastCx_ = cx_;
  lastCy_ = cy_;
  return grid_->cells_[cy_ * kCells + cx_][index_++].get();
}

void UnitGrid::gridEraseCurrent(Query& q) {
  if (q.grid_ != this || q.lastCx_ < 0 || q.index_ == 0) return;
  // The walk only leaves a cell after its last unit, so the unit handed out
  // last is always the one just before the cursor of the current cell.
  if (q.lastCx_ != q.cx_ || q.lastCy_ != q.cy_) return;
  Cell& c = cells_[q.cy_ * kCells + q.cx_];
  const size_t at = q.index_ - 1;
  if (at >= c.size()) return;
  c[at]->gridCellX = -1;
  c[at]->gridCellY = -1;
  c.erase(c.begin() + static_cast<std::ptrdiff_t>(at));
  --q.index_;
  q.lastCx_ = q.lastCy_ = -1;
}

void UnitGrid::gridRebuild() {
  for (Cell& c : cells_) {
    for (auto& u : c) u->gridCellX = u->gridCellY = -1;
    c.clear();
  }
}

bool UnitGrid::remove(const Unit3D& unit) {
  auto tryCell = [&](int cx, int cy) {
    if (cx < 0 || cy < 0 || cx >= kCells || cy >= kCells) return false;
    Cell& c = cells_[cy * kCells + cx];
    for (size_t i = 0; i < c.size(); ++i) {
      if (c[i].get() == &unit) {
        c[i]->gridCellX = c[i]->gridCellY = -1;
        c.erase(c.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
      }
    }
    return false;
  };
  if (tryCell(unit.gridCellX, unit.gridCellY)) return true;
  for (int cy = 0; cy < kCells; ++cy)
    for (int cx = 0; cx < kCells; ++cx)
      if (tryCell(cx, cy)) return true;
  return false;
}

size_t UnitGrid::unitCount() const {
  size_t n = 0;
  for (const Cell& c : cells_) n += c.size();
  return n;
}

}  // namespace qv
