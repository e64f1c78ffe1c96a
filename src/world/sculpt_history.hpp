#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/vecmath.hpp"
#include "world/terrain.hpp"

namespace qv {

// Undo and redo of terrain strokes. A stroke runs from the press of a terrain
// tool to its release; while it is open the history listens to the terrain
// and keeps the first height of every vertex the stroke moves, so a stroke
// stores only its changed vertices (before and after), however long it ran.
class SculptHistory final : public HeightRecorder {
 public:
  static constexpr size_t kMaxStrokes = 32;  // the oldest stroke goes beyond this

  SculptHistory();

  // Starts listening to the terrain (closing a stroke still open first).
  void beginStroke(Terrain& terrain);
  // Stops listening and files the stroke; a stroke that moved nothing is
  // dropped. Filing a stroke forgets every stroke that was undone.
  void endStroke();
  bool strokeOpen() const { return terrain_ != nullptr; }

  // Put the last stroke back / do the last undone stroke again. The terrain's
  // mesh and ground colours follow; centre and radius cover the vertices that
  // moved, for whoever stands on them. False when there is nothing to do.
  bool undo(Terrain& terrain, Vec2& centre, float& radius);
  bool redo(Terrain& terrain, Vec2& centre, float& radius);

  // Forgets everything (new world, a load); an open stroke is dropped.
  void clear();

  size_t undoCount() const { return done_.size(); }
  size_t redoCount() const { return undone_.size(); }
  // Vertices held over all strokes (memory is this times 12 bytes).
  size_t storedVertices() const;

  void heightChanging(int i, int j, float before) override;

 private:
  using Stroke = std::vector<VertexHeightChange>;
  Terrain* terrain_ = nullptr;
  Stroke open_;                    // capacity for every vertex, reserved once
  std::vector<uint8_t> touched_;   // vertices already in the open stroke
  std::vector<Stroke> done_;       // oldest first
  std::vector<Stroke> undone_;     // most recently undone last
  bool replay(std::vector<Stroke>& from, std::vector<Stroke>& to, bool after, Terrain& terrain, Vec2& centre,
              float& radius);
};

}  // namespace qv
