#pragma once
#include <cmath>

namespace qv {

struct Colour {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;

  // Setters treat changes below 1e-5 of the stored value's magnitude as noise,
  // so slider jitter does not trigger expensive ground or water refreshes.
  bool sameAs(const Colour& o) const {
    return close(r, o.r) && close(g, o.g) && close(b, o.b);
  }
  // Colours applied to the world and painted by units are lifted towards white.
  Colour lifted() const { return {0.45f + 0.55f * r, 0.45f + 0.55f * g, 0.45f + 0.55f * b, a}; }

 private:
  static bool close(float stored, float other) { return std::fabs(stored - other) <= 1e-5f * std::fabs(stored); }
};

}  // namespace qv
