#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "units/unit_template.hpp"

namespace qv {

class World;
struct Camera;

// One placed creature, plant or rock. Shared by the unit grid, the world's
// dying and new-units lists and running grid walks; hunters hold it weakly.
class Unit3D : public std::enable_shared_from_this<Unit3D> {
 public:
  enum Activity : int32_t { kIdle = 0, kLookingAround = 1, kMoving = 2, kHunting = 3 };
  static constexpr float kInWaterDepth = 0.026f;

  // Placement: colours from the template's next colours (advanced unless
  // told not to); offspring: colours inherited from the given ones, fading in.
  Unit3D(uint8_t updateParity, std::shared_ptr<Unit3DTemplate> tmpl, Vec3 position, float yaw, Vec2 origin,
         Vec2 anchor, bool useGivenColours, const Colour& primary, const Colour& secondary, const Colour& ground,
         bool advanceNextColours, bool fadeIn);
  // Loading: a bare unit whose fields the save reader fills in.
  explicit Unit3D(std::shared_ptr<Unit3DTemplate> tmpl);

  // Fields, in the order the save records know them.
  float animTime = 0.0f;
  float animLift = 0.0f;
  bool hopping = false;
  float hopTime = 0.0f;
  float hopLift = 0.0f;
  float waterLift = 0.0f;
  Vec3 position{};
  std::shared_ptr<Unit3DTemplate> unitTemplate;
  float yaw = 0.0f;
  float animYaw = 0.0f;
  float animRoll = 0.0f;
  Vec3 destination{};
  bool turning = false;
  bool moving = false;
  bool animating = false;
  bool advancedLastStep = true;
  Vec2 origin{};
  Vec2 anchor{};
  int32_t activity = kIdle;
  float decisionTimer = 1.0f;
  float breedTimer = 1.0f;
  float ageFraction = 0.0f;
  float age = 0.0f;
  bool spareFlag = true;
  float health = 1.0f;
  float food = 1.0f;
  std::weak_ptr<Unit3D> prey;
  std::weak_ptr<Unit3D> unreachablePrey;
  bool facingDestination = false;
  Colour primaryColour{1, 1, 1, 1};
  Colour secondaryColour{1, 1, 1, 1};
  Colour groundColour{1, 1, 1, 1};
  float hitTimer = 0.0f;
  bool hit = false;
  float pace = 1.0f;
  float growth = 0.5f;
  Vec2 momentum{};
  std::vector<Vec2> recentMoves;  // at most 3, capacity reserved up front
  float deadTime = 0.0f;
  float fadeIn = 0.0f;
  bool asleep = false;
  int32_t inWater = -1;
  int32_t gridCellX = -1;
  int32_t gridCellY = -1;
  int32_t preyIndexFromFile = -1;
  uint8_t updateParity = 0;

  bool alive() const { return health > 0.0f; }
  bool onLand() const { return inWater == 0; }

  // The per-frame step: behaviour, movement and the life cycle.
  void update(World& world, float simDt, float realDt, bool isDay);
  // Horizontal distance to the point within half the radius plus the eraser radius.
  bool withinReach(Vec2 point, float eraserRadius) const;
  // The attacker's bite at the end of a successful hunt.
  void bite(Unit3D& preyUnit);
  // Hop curve of the move and hit animations.
  float hop(float t) const;
  // Vertical draw offset while in water, for the wave phase given.
  float waterOffset(float ground, float wavePhase) const;
  // After the ground under the unit moved: stand on the new ground (or the
  // water surface, as the template rests there), with the water state, the
  // water offset and a walk's destination height following.
  void settleOnGround(const World& world);
  float drawScale() const;
  float drawAlpha() const;
  Vec3 drawPosition() const { return {position.x, position.y, position.z + hopLift + animLift + waterLift}; }

  // Life-cycle steps, public for the world's tests and tools.
  void hungerStep(float dt);
  void ageingStep(float dt);
  void growthStep(float dt);

 private:
  friend class World;
  void idleDecision(World& world, float dt);
  void lookAround();
  void chooseDestination(World& world);
  void startHunt(World& world);
  void huntStep(World& world, float dt);
  void turn(float dt, bool hunting);
  void moveStep(World& world, float dt, bool hunting);
  void animate(float dt);
  void breedStep(World& world, float dt);
  bool groundOffsetTooLarge(const World& world) const;
  bool inOwnHabitat() const;
  bool standsInHabitatOf(const Unit3DTemplate& t) const;
  static void reaim(Vec3 from, Vec3& to, float step);
};


}  // namespace qv
