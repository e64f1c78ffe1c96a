#include "core/random.hpp"

#include <chrono>

namespace qv::rng {
namespace {
// A small LCG of our own instead of std::rand: identical sequences on every
// platform and standard library, which keeps seeded tests and worlds stable.
struct State {
  uint32_t s = 1;
  bool seeded = false;
};
State& st() {
  static State s;
  return s;
}
}  // namespace

void seed(uint32_t value) {
  st().s = value;
  st().seeded = true;
}

void clearSeededFlag() { st().seeded = false; }
bool seeded() { return st().seeded; }

int next() {
  State& s = st();
  if (!s.seeded) {
    seed(static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  }
  s.s = s.s * 1103515245u + 12345u;
  return static_cast<int>((s.s >> 16) & 0x7fff);
}

float next01() { return static_cast<float>(next()) / static_cast<float>(kMax); }

}  // namespace qv::rng
