#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/model_batch.hpp"
#include "support/test_program.hpp"
#include "world/camera.hpp"

using namespace qv;

namespace {

constexpr float kAspect = 16.0f / 9.0f;

// Level with the horizon at the origin, looking along +y.
Camera levelCamera() { return {.yaw = 0.0, .pitch = -kPi / 2.0, .position = {0.0f, 0.0f, 0.0f}}; }

void begin(ModelBatch& b, const Camera& c, bool lod = true) {
  b.begin({c.yaw, c.pitch, c.position}, kAspect, 720, lod);
}

TEST(ModelBatch, CullsSpheresOutsideTheView) {
  ModelBatch b;
  begin(b, levelCamera());
  // At depth 10 the view reaches 7.36 to the side. (Points against the projection from
  // any pose: the next case.)
  const struct { Vec3 centre; float radius; bool visible; } cases[] = {
      {{7.2f, 10, 0}, 0.1f, true}, {{7.6f, 10, 0}, 0.1f, false}, {{8.0f, 10, 0}, 1.0f, true},  // the sphere reaches in
      {{0, 0.05f, 0}, 0.01f, false}, {{0, 0.05f, 0}, 0.2f, true},  // before the near plane
      {{0, 1001, 0}, 0.5f, false},                                 // past the far plane
  };
  for (const auto& c : cases) EXPECT_EQ(b.sphereVisible(c.centre, c.radius), c.visible) << c.centre.x << "," << c.centre.y << "," << c.centre.z;
}

TEST(ModelBatch, CullingAgreesWithTheShadersProjectionFromAnyPose) {
  // Points well inside the clip volume are kept, points well outside dropped,
  // for turned and tilted cameras anywhere.
  rng::seed(99);
  int inside = 0, outside = 0;
  for (int pose = 0; pose < 20; ++pose) {
    Camera c;
    c.position = {rand01() * 100.0f - 50.0f, rand01() * 100.0f - 50.0f, rand01() * 40.0f - 5.0f};
    c.yaw = rand01() * 6.28;
    c.pitch = -rand01() * 3.1;
    ModelBatch b;
    begin(b, c);
    for (int i = 0; i < 500; ++i) {
      const Vec3 p{c.position.x + rand01() * 80.0f - 40.0f, c.position.y + rand01() * 80.0f - 40.0f,
                   c.position.z + rand01() * 80.0f - 40.0f};
      const Vec4 clip = c.toClip(p, kAspect);
      const float m = std::max(std::fabs(clip.x), std::fabs(clip.y));  // depth is well inside near and far
      if (clip.w > 0.2f && m < 0.95f * clip.w) {
        EXPECT_TRUE(b.sphereVisible(p, 0.0f));
        ++inside;
      } else if (clip.w < -0.2f || (clip.w > 0.2f && m > 1.05f * clip.w)) {
        EXPECT_FALSE(b.sphereVisible(p, 0.0f));
        ++outside;
      }
    }
  }
  EXPECT_TRUE(inside > 200 && outside > 2000) << inside << " inside, " << outside << " outside";
}

TEST(ModelBatch, DetailFallsWithDistanceAndOnlyWhenAllowed) {
  const std::filesystem::path exe = platform::nativePath(testsupport::testProgramFolder());
  if (!std::filesystem::exists(exe / "Data" / "Models" / "Ostrichlike.obj")) GTEST_SKIP() << "no Data/Models";
  platform::overrideProgramFolder(testsupport::testProgramFolder());
  const Model3D m("Ostrichlike.obj");
  const ModelMeshes& mm = m.meshes();
  ASSERT_GT(mm.lodCount, 1);
  const float scale = m.scaleNormalised();
  ModelBatch b;
  begin(b, levelCamera());
  EXPECT_EQ(b.levelFor(mm, {0, 1.5f, 0}, scale), 0);  // close: the whole mesh
  int last = 0;
  for (float d = 1.0f; d < 400.0f; d *= 1.25f) {
    const int l = b.levelFor(mm, {0, d, 0}, scale);
    EXPECT_GE(l, last) << d;
    last = l;
  }
  EXPECT_EQ(last, mm.lodCount - 1);  // a dot on the horizon: the coarsest
  // A unit grown ten times as big keeps more detail at the same distance.
  EXPECT_LT(b.levelFor(mm, {0, 60.0f, 0}, scale * 10.0f), b.levelFor(mm, {0, 60.0f, 0}, scale));
  ModelBatch full;
  begin(full, levelCamera(), false);
  EXPECT_EQ(full.levelFor(mm, {0, 300.0f, 0}, scale), 0);
}

}  // namespace
