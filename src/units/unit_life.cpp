// The life cycle: hunger, bites, ageing, growth and breeding.
#include <algorithm>
#include <cmath>

#include "core/random.hpp"
#include "units/unit.hpp"
#include "units/world.hpp"

namespace qv {

namespace {
constexpr float kColonyReach = 6.5f;
constexpr float kColonyStep = 3.25f;
constexpr float kColonyOuter = 9.75f;
}  // namespace

void Unit3D::hungerStep(float dt) {
  const Unit3DTemplate& t = *unitTemplate;
  if (t.eats.empty() || health <= 0.0f) return;
  const float loss = dt / 180.0f * t.hungerMultiplier() * pace;
  if (asleep) {
    // Sleep stops hunger at one half; it never wakes a sleeper by starving it.
    if (food > 0.5f) food = std::max(0.5f, food - loss);
  } else {
    food -= loss;
  }
  if (food < 0.0f) health = 0.0f;
}

void Unit3D::ageingStep(float dt) {
  const Unit3DTemplate& t = *unitTemplate;
  if (health <= 0.0f) return;
  const float mult = t.lifespanMultiplier();
  if (mult <= 0.0f) return;  // Infinite
  const float lifetime = mult * 750.0f;
  const float slow = (asleep && (1.0f - ageFraction) * lifetime <= 30.0f) ? 1.0f / 30.0f : 1.0f;
  ageFraction += dt / lifetime * slow * pace;
  if (ageFraction > 1.0f) health = 0.0f;
}

void Unit3D::growthStep(float dt) {
  age += dt;
  if (growth < 1.0f) growth = std::min(1.0f, age / 75.0f * pace * 0.5f + 0.5f);
}

void Unit3D::bite(Unit3D& p) {
  if (p.health <= 0.0f || !p.unitTemplate || !unitTemplate) return;
  p.hit = true;
  p.hitTimer = 1.0f;
  if (!p.hopping) {
    p.hopping = true;
    p.hopTime = p.hopLift = 0.0f;
  }
  const float wP = p.unitTemplate->weight();
  if (wP <= 0.0f) return;
  const float wA = unitTemplate->weight();
  const float dmg = unitTemplate->damageMultiplier() * (wA * 0.25f / wP) / p.unitTemplate->healthMultiplier();
  const float share = p.unitTemplate->healthMultiplier() / unitTemplate->healthMultiplier();
  if (p.health < dmg) {
    food += (p.health / dmg) * 0.5f * share;
    p.health = 0.0f;
  } else {
    p.health -= dmg;
    food += 0.5f * share;
  }
  food = std::min(food, 1.0f);
}

void Unit3D::breedStep(World& world, float dt) {
  const Unit3DTemplate& t = *unitTemplate;
  if (!t.breeds || !world.terrain || !(dt > 0.0f)) return;  // paused worlds do not breed
  breedTimer -= dt / t.breedingPeriod();
  if (activity != kIdle || breedTimer > 0.0f) return;
  std::vector<const Unit3DTemplate*>& habitatSet = world.scratchHabitat;
  t.habitatSet(habitatSet);
  breedTimer = 0.6666667f + rand01() * 0.3333333f;
  std::vector<const Unit3DTemplate*>& eaten = world.scratchOne;
  eaten.clear();
  for (const auto& e : t.eats)
    if (e) eaten.push_back(e.get());

  const float R = t.radius();
  const float sf = t.sizeFactor();
  for (int child = 0; child < t.breedAmount; ++child) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      const float a = rand01() * 2.0f * kPi;
      const float d = t.stationary() ? sf / 0.7f * (1.0f + 0.75f * rand01()) + R : R + 0.125f;
      const Vec2 c{position.x + 2.0f * d * std::cos(a), position.y + 2.0f * d * std::sin(a)};
      Vec2 childOrigin = origin;
      if (!t.stationary()) {
        if (world.densityOfTemplate(*this, c, 7.5f, &t, false) >= 1.0f) continue;
        if (!eaten.empty() && world.density(*this, c, 4.5f, eaten, true) < 0.1f) continue;
        if (!habitatSet.empty() && world.density(*this, c, 4.5f, habitatSet, true) < 0.1f) continue;
      } else {
        const Vec2 fromOrigin = c - origin;
        const float dOrigin = std::sqrt(fromOrigin.x * fromOrigin.x + fromOrigin.y * fromOrigin.y);
        if (dOrigin > kColonyOuter) continue;
        if (dOrigin > kColonyReach) {
          const Vec2 fromAnchor = c - anchor;
          if (std::sqrt(fromAnchor.x * fromAnchor.x + fromAnchor.y * fromAnchor.y) > kColonyReach) continue;
          childOrigin = origin + fromOrigin * (kColonyStep / dOrigin);
        }
      }
      if (!world.standTest(c, this, t, true)) continue;
      const float z = world.standingHeight(t, c.x, c.y);
      if (!t.climbsSlopes && (inWater == 0 || z > 0.0f)) {
        const float dz = std::max(z, 0.0f) - (inWater == 1 ? 0.0f : position.z);
        const float h = std::sqrt((c.x - position.x) * (c.x - position.x) + (c.y - position.y) * (c.y - position.y));
        if (h > 0.0f && (std::fabs(dz) / h >= Unit3DTemplate::kMaxSlope ||
                         world.slopeAt(c.x, c.y) >= Unit3DTemplate::kMaxSlope))
          continue;
      }
      const float childYaw = 2.0f * kPi * rand01();
      auto offspring = std::make_shared<Unit3D>(static_cast<uint8_t>(world.frameParity ? 0 : 1), unitTemplate,
                                                Vec3{c.x, c.y, z}, childYaw, childOrigin, anchor, true,
                                                primaryColour, secondaryColour, groundColour, false, true);
      world.addOffspring(offspring);
      break;
    }
  }
}

}  // namespace qv
