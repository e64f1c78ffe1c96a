#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "units_fixture.hpp"

using namespace qv;

namespace {

// The default set's models when the data folder was generated beside the
// tests; otherwise stand-ins under the same names, so the rules still run.
void useDefaultModels(const std::vector<std::string>& names) {
  namespace fs = std::filesystem;
  qvtest::useTestData();
  const fs::path real = fs::path(qvtest::realProgramFolder()) / "Data" / "Models";
  bool all = true;
  for (const auto& n : names) all = all && fs::exists(real / n);
  if (all) {
    platform::overrideProgramFolder(qvtest::realProgramFolder());
    return;
  }
  const fs::path mine = fs::path(qvtest::unitsTestFolder()) / "Data" / "Models";
  for (const auto& n : names)
    if (!fs::exists(mine / n)) fs::copy_file(mine / "UnitsTest Flat.obj", mine / n);
}

TemplatePtr byModel(const TemplateLists& lists, const std::string& name) {
  for (const auto& t : lists.all)
    if (t->modelFileName() == name) return t;
  return nullptr;
}

bool finite(const Unit3D& u) {
  return std::isfinite(u.position.x) && std::isfinite(u.position.y) && std::isfinite(u.position.z) &&
         std::isfinite(u.yaw) && std::isfinite(u.food) && std::isfinite(u.health) && std::isfinite(u.waterLift) &&
         std::isfinite(u.animLift) && std::isfinite(u.hopLift) && std::isfinite(u.momentum.x);
}

TEST(EcosystemSoak, TwentyDaysAtSpeedTwentyStaySane) {
  const std::vector<std::string> models = {"Mushroom Tree.obj", "Cup Tree.obj", "Lily Pineapple.obj",
                                           "Little Bug.obj", "Chickenlike.obj", "3 Legged Spider Like.obj",
                                           "One Eyed Fishlike Creature.obj"};
  useDefaultModels(models);
  auto w = qvtest::makeWorld(20261206, true);
  qvtest::IslandBrush island;
  island.peak = 8.0f, island.radius = 45.0f;
  qvtest::shape(*w, island);
  createDefaultTemplates(w->templates);
  TemplatePtr t[7];
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(t[i] = byModel(w->templates, models[i])) << models[i];
  auto [mushroom, cup, lily, bug, chicken, spider, fish] = t;
  lily->habitat = fish->habitat = Unit3DTemplate::kWater;
  fish->eats = {lily};
  for (auto& walker : {bug, chicken, spider}) walker->habitat = Unit3DTemplate::kLand;
  bug->eats = {mushroom, cup};
  chicken->eats = bug->eats;
  chicken->sleeps = Unit3DTemplate::kSleepsByNight;
  spider->eats = {bug, chicken};
  spider->likes = {mushroom};
  spider->damage = 2;
  spider->breedFrequency = 0;

  // Plant colonies around the island, grazers among them, a few hunters, fish offshore.
  for (int c = 0; c < 8; ++c) {
    const float a = c * 2.0f * kPi / 8.0f, x = 22.0f * std::cos(a), y = 22.0f * std::sin(a);
    qvtest::put(*w, c % 2 ? mushroom : cup, x, y);
    qvtest::put(*w, c % 2 ? cup : mushroom, x + 3.0f, y - 2.0f);
    qvtest::put(*w, c % 2 ? bug : chicken, x + 1.0f, y + 1.5f);
    qvtest::put(*w, bug, x - 1.5f, y + 0.5f);
  }
  for (int c = 0; c < 4; ++c) {
    const float a = (c + 0.5f) * 2.0f * kPi / 4.0f;
    qvtest::put(*w, spider, 18.0f * std::cos(a), 18.0f * std::sin(a));
    qvtest::put(*w, lily, 58.0f * std::cos(a), 58.0f * std::sin(a));
    qvtest::put(*w, fish, 60.0f * std::cos(a), 60.0f * std::sin(a));
  }

  w->setGameSpeed(3);
  size_t peak = 0;
  std::map<const Unit3DTemplate*, size_t> peakOf;
  bool sane = true;
  const int steps = 20 * 450;  // 20 days at 1 simulated second per step
  for (int i = 0; i < steps && sane; ++i) {
    w->step(0.05f, w->simDtFor(0.05f, false));
    if (i % 450 == 0 || i == steps - 1) {
      const auto units = w->allUnits();
      peak = std::max(peak, units.size());
      std::map<const Unit3DTemplate*, size_t> count;
      for (const auto& u : units) {
        ++count[u->unitTemplate.get()];
        const auto p = u->prey.lock();
        const char* fault =
            !finite(*u) ? "non-finite unit"
            : std::fabs(u->position.x) >= 82.485f || std::fabs(u->position.y) >= 82.485f ? "unit outside the world"
            : u->position.z < w->groundHeight(u->position.x, u->position.y) - 1e-3f     ? "unit under the ground"
            : p && p->gridCellX < 0 && std::find(w->dying.begin(), w->dying.end(), p) == w->dying.end()
                ? "prey outside the world"
                : nullptr;
        if (fault) ADD_FAILURE() << fault << " at step " << i;
        sane = sane && !fault;
      }
      for (auto& [tp, n] : count) peakOf[tp] = std::max(peakOf[tp], n);
    }
  }
  EXPECT_TRUE(sane && w->stats.births > 0u && w->stats.bites > 0u && w->stats.deaths > 0u);
  EXPECT_LT(peak, 2500u) << "populations stay bounded";
  for (auto& [tp, n] : peakOf) EXPECT_LT(n, 1200u) << tp->modelFileName();
  w->templates.clear();
  qvtest::useTestData();
}

}  // namespace
