#include "world/sculpt_history.hpp"

#include <utility>

namespace qv {

namespace {
constexpr int kV = Terrain::kVerticesPerSide;
}

SculptHistory::SculptHistory() : touched_(static_cast<size_t>(kV) * kV, 0) {
  open_.reserve(static_cast<size_t>(kV) * kV);
  done_.reserve(kMaxStrokes + 1);
  undone_.reserve(kMaxStrokes);
}

void SculptHistory::beginStroke(Terrain& terrain) {
  endStroke();
  terrain_ = &terrain;
  terrain.setHeightRecorder(this);
}

void SculptHistory::heightChanging(int i, int j, float before) {
  uint8_t& seen = touched_[static_cast<size_t>(i) * kV + j];
  if (seen) return;
  seen = 1;
  open_.push_back({static_cast<uint16_t>(i), static_cast<uint16_t>(j), before, before});
}

void SculptHistory::endStroke() {
  if (!terrain_) return;
  Terrain& terrain = *terrain_;
  if (terrain.heightRecorder() == this) terrain.setHeightRecorder(nullptr);
  terrain_ = nullptr;
  Stroke stroke;
  for (VertexHeightChange& c : open_) {
    touched_[static_cast<size_t>(c.i) * kV + c.j] = 0;
    c.after = terrain.height(c.i, c.j);
    // A vertex pushed up and back down again within the stroke is not kept.
    if (c.after != c.before) {
      if (stroke.empty()) stroke.reserve(open_.size());
      stroke.push_back(c);
    }
  }
  open_.clear();
  if (stroke.empty()) return;
  stroke.shrink_to_fit();
  undone_.clear();
  done_.push_back(std::move(stroke));
  if (done_.size() > kMaxStrokes) done_.erase(done_.begin());
}

bool SculptHistory::undo(Terrain& terrain, Vec2& centre, float& radius) {
  return replay(done_, undone_, false, terrain, centre, radius);
}

bool SculptHistory::redo(Terrain& terrain, Vec2& centre, float& radius) {
  return replay(undone_, done_, true, terrain, centre, radius);
}

// Undo and redo are one move: the newest stroke of one list is applied (its heights
// before or after) and handed to the other list.
bool SculptHistory::replay(std::vector<Stroke>& from, std::vector<Stroke>& to, bool after, Terrain& terrain,
                           Vec2& centre, float& radius) {
  endStroke();
  if (from.empty()) return false;
  Stroke s = std::move(from.back());
  from.pop_back();
  terrain.setHeights(s.data(), s.size(), after, centre, radius);
  to.push_back(std::move(s));
  return true;
}

void SculptHistory::clear() {
  if (terrain_ && terrain_->heightRecorder() == this) terrain_->setHeightRecorder(nullptr);
  terrain_ = nullptr;
  for (const VertexHeightChange& c : open_) touched_[static_cast<size_t>(c.i) * kV + c.j] = 0;
  open_.clear();
  done_.clear();
  undone_.clear();
}

size_t SculptHistory::storedVertices() const {
  size_t n = 0;
  for (const Stroke& s : done_) n += s.size();
  for (const Stroke& s : undone_) n += s.size();
  return n;
}

}  // namespace qv
