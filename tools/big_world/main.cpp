// Writes a crowded island as a save file, for checking the frame rate of a thriving
// world in the real game:
//   quillon-big-world <units> "<path>.sav"
// The island and its ecosystem are the benchmarks' (bench/bench_island.cpp).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_island.hpp"
#include "persistence/save_game.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <units> <file.sav>\n", argv[0]);
    return 2;
  }
  const int units = std::atoi(argv[1]);
  auto world = qvbench::buildIslandWorld(units);
  // A new world's clock and camera, so the save opens on the usual view.
  world->camera.reset();
  world->setGameSpeed(1);
  if (!qv::writeSaveFile(*world, argv[2], qv::todaysSaveDate())) {
    std::fprintf(stderr, "could not write %s\n", argv[2]);
    return 1;
  }
  std::printf("%zu units written to %s\n", world->unitCount(), argv[2]);
  return 0;
}
