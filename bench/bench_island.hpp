#pragma once
// The island world the benchmarks measure: a mixed ecosystem of plants, rocks,
// grazers and hunters spread over a round island, already running for a while.
#include <memory>

#include "units/world.hpp"

namespace qvbench {

// About `units` units (plants and rocks stay put; creatures keep every rule).
std::unique_ptr<qv::World> buildIslandWorld(int units);

}  // namespace qvbench
