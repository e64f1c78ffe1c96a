#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/model3d.hpp"
#include "world/camera.hpp"

namespace qv {

struct Cloud {
  enum State : int32_t { kDrifting = 0, kFadingOut = 1, kFinished = 2 };
  Vec3 position{};
  float yaw = 0.0f;     // [0, 2 pi)
  int32_t model = 0;    // index into the cloud model list
  float alpha = 1.0f;
  float fadeTimer = 0.0f;  // seconds left of the current fade
  int32_t state = kDrifting;
};
static_assert(sizeof(Cloud) == 32, "clouds are small plain records");

// Clouds drift in one direction at a fixed height; new ones fade in at the
// up-wind (+x, +y) edges, old ones fade out after leaving at the down-wind edges.
// They stand still while the game is paused or a dialog freezes the world.
class CloudSystem {
 public:
  static constexpr float kSpawnEdge = 172.0f;       // half the side of the square clouds live in
  static constexpr float kMinSpacing = 39.0f;       // no two clouds closer than this
  static constexpr float kHeight = 50.0f;
  static constexpr float kHeightJitter = 5.0f;
  static constexpr float kDrawScale = 20.0f;
  static constexpr float kSpawnInterval = 0.5f;     // simulated seconds between edge spawn tries
  static constexpr int kEdgeAttempts = 3;
  static constexpr int kFillAttempts = 800;
  static constexpr int kModelCount = 5;
  static std::string modelFileName(int i);  // i from 1
  static constexpr const char* kRecordEnd = "**Current Cloud Instance End**";

  CloudSystem();

  // Edge spawns try 3 places and add at most one cloud, fading in; the initial
  // fill tries 800 places anywhere and keeps every one that is far enough from
  // the others, fully visible. Returns the number of clouds added.
  int spawnClouds(bool atEdge);
  // Drift and spawning follow simDt, fades follow unscaled dt; nothing at all
  // happens while simDt is 0.
  void updateClouds(float simDt, float dt);
  void drawClouds(const Camera& camera, const Colour& sunColour) const;

  // Ignores changes within the colour tolerance; true when stored.
  bool setCloudColour(const Colour& colour);
  const Colour& cloudColour() const { return colour_; }

  // Save records in list order.
  void writeRecords(std::ostream& out) const;
  // Replaces the list with the records in the lines (the rest of a save file after
  // the cloud marker). A cloud whose position line is not three numbers is dropped.
  // Returns false when a number could not be read (the clouds read before it stay).
  // A list left empty gets the initial fill, so a sky is never bare after loading.
  bool readRecords(const std::vector<std::string>& lines);
  bool readRecords(std::istream& in);

  // "Cloud 1.obj" .. "Cloud 5.obj" in that order (saves store the index); loaded on first need.
  void ensureModels();
  const std::vector<Model3D>& models() const { return models_; }

  std::vector<Cloud> clouds;
  Vec3 drift;  // world units per simulated second
  float spawnCountdown = 0.0f;

 private:
  bool tooClose(Vec3 p) const;
  Colour colour_{0.0f, 1.0f, 1.0f, 1.0f};
  std::vector<Model3D> models_;
};

}  // namespace qv
