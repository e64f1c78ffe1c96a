#pragma once
#include <cstdint>

namespace qv {

// One process-wide generator with the classic rand() contract (0..32767).
// It seeds itself from the clock on first use; the terrain reseeds it with a
// fixed value for its jitter and clears the flag, so the next user reseeds.
namespace rng {
inline constexpr int kMax = 32767;
int next();                  // 0..32767
float next01();              // next() / 32767
void seed(uint32_t value);   // seeds and marks as seeded
void clearSeededFlag();      // the next call seeds from the clock again
bool seeded();
}  // namespace rng

inline int randInt() { return rng::next(); }
inline float rand01() { return rng::next01(); }

}  // namespace qv
