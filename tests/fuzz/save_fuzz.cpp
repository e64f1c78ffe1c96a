// Save files, through loadGame as the slot screens call it, into one world that
// lives for the whole run; and the terrain record on its own.
//
// The world here has no terrain: resetting a world's ground for every input would
// cost ten times the reading. The terrain record (the lines between its start
// marker and the units' marker) goes to a terrain of its own instead, as loadGame
// would hand it over.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "persistence/save_game.hpp"
#include "scratch_file.hpp"
#include "units/world.hpp"
#include "world/terrain.hpp"

namespace {

qv::World& fuzzWorld() {
  static qv::World& world = []() -> qv::World& {
    qv::World::Options o;
    o.terrain = o.water = o.sky = false;
    static qv::World w(o);
    qv::createDefaultTemplates(w.templates);
    return w;
  }();
  return world;
}

void readTerrainRecord(std::string_view text) {
  static qv::Terrain terrain;
  constexpr std::string_view kStart = "*****Terrain Start*****\n", kEnd = "*****Unit Instances Start*****";
  const size_t start = text.find(kStart);
  if (start == std::string_view::npos) return;
  const size_t end = text.find(kEnd, start);
  if (end == std::string_view::npos) return;
  std::vector<std::string> lines;
  for (size_t at = start + kStart.size(); at < end;) {
    const size_t eol = std::min(text.find('\n', at), end);
    lines.emplace_back(text.substr(at, eol - at));
    at = eol + 1;
  }
  try {
    terrain.readSaveRecord(lines);
  } catch (const std::exception&) {
    // loadGame reports a record that does not read as a damaged save
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::World& world = fuzzWorld();
  static const size_t templateCount = world.templates.all.size();
  // The three ways the game reads a save, picked by the length so every input keeps its bytes.
  const int mode = static_cast<int>(size % 3);
  const int result = qv::loadGame(world, scratchFile("save.sav", data, size), mode);
  QV_FUZZ_REQUIRE(result >= qv::kLoadOk && result <= qv::kLoadSaveMissing);
  // A load fills the templates the game has; it never makes or drops one.
  QV_FUZZ_REQUIRE(world.templates.all.size() == templateCount);
  QV_FUZZ_REQUIRE(world.templates.assigned.size() + world.templates.unassigned.size() == templateCount);
  readTerrainRecord(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
