#pragma once
#include <cstddef>
#include <vector>

#include "core/colour.hpp"
#include "render/loader.hpp"

namespace qv {

// Thick coloured polylines in interface units, drawn with one call. The
// vertices are rebuilt on the CPU only when the data changes (begin, add
// lines, finish) into storage sized once for a fixed number of segments, so
// rebuilding never allocates; segments beyond the capacity are left out.
class LineChartMesh : public Loader {
 public:
  explicit LineChartMesh(size_t maxSegments);
  void begin();
  // One polyline through (x, y) pairs in design pixels relative to the chart's
  // origin (y up); thickness in design pixels.
  void addLine(const float* xy, size_t points, const Colour& colour, float thicknessPx);
  // Sends the vertices to the GPU (when a context exists).
  void finish();
  // Draws at (x, y) interface units (the origin the points were given from).
  void draw(float x, float y, float alpha) override;

  size_t segmentCount() const { return vertices_.size() / kFloatsPerSegment; }
  size_t capacity() const { return maxSegments_; }

 private:
  static constexpr size_t kFloatsPerVertex = 6;  // x, y, r, g, b, a
  static constexpr size_t kFloatsPerSegment = 6 * kFloatsPerVertex;
  size_t maxSegments_;
  std::vector<float> vertices_;
  size_t uploaded_ = 0;  // vertices on the GPU
};

}  // namespace qv
