#pragma once
// Shared helpers for the units tests: small prism models written to a private
// data folder, island terrains, and a world built without a window.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <tuple>
#include <unistd.h>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "units/unit.hpp"
#include "units/unit_template.hpp"
#include "units/world.hpp"
#include "support/test_program.hpp"

namespace qvtest {

inline std::string unitsTestFolder() {
  static const std::string folder = [] {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("qv_units_test_" + std::to_string(::getpid()));
    fs::create_directories(root / "Data" / "Models");
    // Eight-sided prisms facing +x: a flat one (radius 2, height 1) and a tall one (radius 1, height 4).
    auto writePrism = [&](const std::string& name, float r, float h) {
      std::ofstream out(root / "Data" / "Models" / name);
      out << "# test model\n# made by the units tests\no Prism\n";
      for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 2.0f * 3.14159265f / 8.0f, x = r * std::cos(a), y = r * std::sin(a);
        out << "v " << x << " " << y << " 0\nv " << x << " " << y << " " << h << "\n";
      }
      out << "vn 0 0 1\nvn 0 0 -1\nvn 1 0 0\nusemtl Primary\n";
      for (int k = 1; k < 7; ++k) out << "f 2//1 " << 2 * k + 2 << "//1 " << 2 * k + 4 << "//1\n";
      out << "usemtl Secondary\n";
      for (int k = 1; k < 7; ++k) out << "f 1//2 " << 2 * k + 1 << "//2 " << 2 * k + 3 << "//2\n";
      out << "usemtl Black\n";
      for (int k = 0; k < 8; ++k)
        out << "f " << 2 * k + 1 << "//3 " << 2 * (k + 1) % 16 + 1 << "//3 " << 2 * (k + 1) % 16 + 2 << "//3\n";
    };
    writePrism("UnitsTest Flat.obj", 2.0f, 1.0f);
    writePrism("UnitsTest Tall.obj", 1.0f, 4.0f);
    return root.string() + "/";
  }();
  // The folder goes with the test program.
  static const struct Cleanup {
    ~Cleanup() { std::error_code ec; std::filesystem::remove_all(folder, ec); }
  } cleanup;
  return folder;
}

// The executable's own folder, remembered before the tests point it elsewhere.
inline const std::string& realProgramFolder() { return testsupport::testProgramFolder(); }
inline void useTestData() {
  realProgramFolder();
  qv::platform::overrideProgramFolder(unitsTestFolder());
}

inline qv::Colour col(float r, float g, float b) { return {r, g, b, 1.0f}; }

// A template of the test model with the settings the rules care about.
inline qv::TemplatePtr makeTemplate(int moveSpeed, bool breeds = false, int lifespan = 1,
                                    const std::string& model = "UnitsTest Flat.obj") {
  useTestData();
  using Colours = std::vector<qv::Colour>;
  return std::make_shared<qv::Unit3DTemplate>(model, 1.0f, Colours{col(1, 0, 0)}, Colours{col(0, 0, 1)}, moveSpeed, Colours{},
      qv::Unit3DTemplate::kGroundPrimary, lifespan, breeds, true, qv::Unit3DTemplate::kBounces);
}

// A dome island: 6 high at the centre, the shore at radius 50, a sea floor at -4.
struct IslandBrush : qv::HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    return std::max(6.0f * (1.0f - (x * x + y * y) / 2500.0f), -4.0f);
  }
};
inline void shape(qv::World& w, const qv::HeightBrush& brush) {
  w.terrain->reshapeWith({0.0f, 0.0f}, 200.0f, brush);
}
// The whole terrain from a rule height(x, y, vertex column).
template <class F>
void shapeBy(qv::World& w, F height) {
  struct Brush : qv::HeightBrush {
    F h;
    explicit Brush(F f) : h(f) {}
    float newHeight(int i, int, float x, float y, float, float) const override { return h(x, y, i); }
  };
  shape(w, Brush(height));
}
// Land at `land` for x < 0, sea floor at `sea` beyond it.
inline void shapeCoast(qv::World& w, float land = 1.0f, float sea = -3.0f) {
  shapeBy(w, [=](float x, float, int) { return x < 0.0f ? land : sea; });
}

// A world with terrain only (no sea, sky or clouds objects), seeded.
inline std::unique_ptr<qv::World> makeWorld(uint32_t seed = 777, bool water = false) {
  useTestData();
  auto w = std::make_unique<qv::World>(qv::World::Options{.water = water, .sky = false, .clouds = false});
  qv::rng::seed(seed);  // the terrain reseeded the generator for its jitter
  return w;
}
// The same on level ground at height 1.
inline std::unique_ptr<qv::World> makeLevelWorld(uint32_t seed) {
  auto w = makeWorld(seed);
  shapeBy(*w, [](float, float, int) { return 1.0f; });
  return w;
}

// Places a unit without touching the template's next colours.
inline std::shared_ptr<qv::Unit3D> put(qv::World& w, const qv::TemplatePtr& t, float x, float y, float yaw = 0.0f) {
  return w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, yaw, true);
}

// A placed unit sits out the first world step after its placement (the frame
// parity guard); a still step uses that up so the next step moves it.
inline void settle(qv::World& w) { w.step(0.0f, 0.0f); }

// Sends a unit walking to `to` with no new decision for a long while.
inline void sendTo(qv::Unit3D& u, qv::Vec3 to) {
  std::tie(u.decisionTimer, u.activity, u.destination) = std::tuple(1000.0f, qv::Unit3D::kMoving, to);
  u.moving = u.turning = true;
}

}  // namespace qvtest
