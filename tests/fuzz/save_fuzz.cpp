// Save files, through loadGame as the slot screens call it: header, templates,
// terrain, units and clouds, into one world that lives for the whole run.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz_check.hpp"
#include "persistence/save_game.hpp"
#include "units/world.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("qv_fuzz_save_" + std::to_string(::getpid()) + ".sav")).string();
  static qv::World& world = [] () -> qv::World& {
    qv::World::Options o;
    o.water = o.sky = false;  // drawing only: the file has no records for them
    static qv::World w(o);
    qv::createDefaultTemplates(w.templates);
    return w;
  }();
  static const size_t templateCount = world.templates.all.size();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  // The three ways the game reads a save, picked by the length so every input keeps its bytes.
  const int mode = static_cast<int>(size % 3);
  const int result = qv::loadGame(world, path, mode);
  QV_FUZZ_REQUIRE(result >= qv::kLoadOk && result <= qv::kLoadSaveMissing);
  // A load fills the templates the game has; it never makes or drops one.
  QV_FUZZ_REQUIRE(world.templates.all.size() == templateCount);
  QV_FUZZ_REQUIRE(world.templates.assigned.size() + world.templates.unassigned.size() == templateCount);
  return 0;
}
