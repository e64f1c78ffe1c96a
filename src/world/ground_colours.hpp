#pragma once
#include "core/colour.hpp"

namespace qv {

// How the terrain learns which units paint the ground, without world/ knowing
// about units/. The units module implements GroundPainters over its unit grid
// and hands one object to the terrain (Terrain::setGroundPainters); with none
// set, the terrain finds no painters and every triangle shows empty land.
//
// The terrain asks once per triangle while it refreshes ground colours, so a
// full refresh makes about 9000 queries: implementations must not allocate,
// must not touch shared_ptr reference counts, and must not log.

// Receives the painters one at a time. Called synchronously from inside
// GroundPainters::forEachPainter; the reference is only valid during the call.
class GroundPainterVisitor {
 public:
  // position: the unit's horizontal position (x, y).
  // colour:   the unit's colour for its colour-ground option as stored in its
  //           template (primary for option 1, secondary for 2, ground-alternate
  //           for 3), NOT lifted: the terrain lifts the winner towards white.
  virtual void painter(float x, float y, const Colour& colour) = 0;

 protected:
  ~GroundPainterVisitor() = default;
};

class GroundPainters {
 public:
  virtual ~GroundPainters() = default;

  // Calls visitor.painter(...) for every unit that
  //   - is filed in one of the unit-grid cells that gridQuery(x, y, radius)
  //     would visit (radius > 0 always here), and
  //   - has a stationary template (move speed 0), and
  //   - has a colour-ground option other than none,
  // in exactly gridQuery's order: cells with cx varying fastest, then cy, and
  // each cell's units in filing order. Ties between equally near painters go
  // to the one reported first, so the order is part of the game's rules.
  // Whole cells are fine: the terrain applies its own distance test (6.5).
  // Dead units already moved to the dying list must not be reported.
  virtual void forEachPainter(float x, float y, float radius, GroundPainterVisitor& visitor) const = 0;
};

// Ground painting constants shared by the terrain and the unit placement preview.
namespace groundpaint {
inline constexpr float kQueryRadius = 9.1f;   // unit-grid search around a triangle centroid
inline constexpr float kReach = 6.5f;         // a painter colours centroids up to this far away
inline constexpr float kFadeRate = 0.5f;      // colour units per second of the furthest channel
inline constexpr float kDefaultRefreshRadius = 9.1f;
}  // namespace groundpaint

}  // namespace qv
