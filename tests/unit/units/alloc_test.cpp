// The world step must not touch the heap in steady state: every allocation
// in the units test program is counted here.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "units_fixture.hpp"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
// All forms replaced: under the address sanitizer the library's own sized delete
// would otherwise meet blocks from this malloc.
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace qv;

TEST(WorldStepHeap, SteadyStateUpdatesDoNotAllocate) {
  auto w = qvtest::makeWorld(9001, true);
  qvtest::shape(*w, qvtest::IslandBrush{});
  auto plant = qvtest::makeTemplate(0, false, 3), grazer = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, false, 3);
  auto hunter = qvtest::makeTemplate(Unit3DTemplate::kFast, false, 3);
  grazer->eats = grazer->likes = {plant};
  hunter->eats = {grazer};
  hunter->damage = 0;
  plant->health = grazer->health = 2;
  for (int i = 0; i < 200; ++i)
    qvtest::put(*w, i % 2 ? plant : (i % 10 == 0 ? hunter : grazer), -30.0f + (i % 20) * 3.0f, -30.0f + (i / 20) * 6.0f);
  w->setGameSpeed(3);
  for (int i = 0; i < 400; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  ASSERT_GT(w->stats.bites, 0u) << "the hunters are busy";
  const long before = gAllocations.load();
  for (int i = 0; i < 200; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  EXPECT_EQ(gAllocations.load() - before, 0);
}

}  // namespace
