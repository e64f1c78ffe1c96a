#include "units/unit.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/random.hpp"
#include "render/model3d.hpp"
#include "units/world.hpp"
#include "world/camera.hpp"
#include "world/water.hpp"

namespace qv {

namespace {
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kFacingTolerance = 0.043633234f;  // 2.5 degrees
constexpr float kTwistAngle = 0.2617994f;         // 15 degrees
constexpr float kPreyRadius = 7.5f;
constexpr float kColonyReach = 6.5f;

float wrapAngle(float a) {
  // Into (-pi, pi].
  a = std::fmod(a, kTwoPi);
  if (a <= -kPi) a += kTwoPi;
  if (a > kPi) a -= kTwoPi;
  return a;
}

float dist2(Vec2 a, Vec2 b) {
  const float dx = a.x - b.x, dy = a.y - b.y;
  return std::sqrt(dx * dx + dy * dy);
}

Vec2 xy(Vec3 v) { return {v.x, v.y}; }
}  // namespace

Unit3D::Unit3D(uint8_t parity, std::shared_ptr<Unit3DTemplate> tmpl, Vec3 pos, float yaw_, Vec2 origin_, Vec2 anchor_,
               bool useGivenColours, const Colour& primary, const Colour& secondary, const Colour& ground,
               bool advanceNextColours, bool fade)
    : position(pos), unitTemplate(std::move(tmpl)), yaw(yaw_), origin(origin_), anchor(anchor_), updateParity(parity) {
  decisionTimer = 1.0f + rand01() * 0.66f;
  if (unitTemplate) breedTimer = 0.6666667f + rand01() * 0.3333333f;
  pace = 0.9f + rand01() * 0.2f;
  fadeIn = fade ? 1.0f : 0.0f;
  recentMoves.reserve(4);
  if (!unitTemplate) return;
  Unit3DTemplate& t = *unitTemplate;
  if (useGivenColours) {
    primaryColour = t.chooseColour(Unit3DTemplate::kPrimaryPart, primary, false);
    secondaryColour = t.chooseColour(Unit3DTemplate::kSecondaryPart, secondary, false);
    groundColour = t.chooseColour(Unit3DTemplate::kGroundPart, ground, false);
    return;
  }
  Colour* mine[3] = {&primaryColour, &secondaryColour, &groundColour};
  for (int part = Unit3DTemplate::kPrimaryPart; part <= Unit3DTemplate::kGroundPart; ++part) {
    Colour& next = t.nextColour(part);
    bool& chosen = t.nextChosen(part);
    if (!chosen) {
      next = t.chooseColour(part, next, true);
      chosen = true;
    }
    *mine[part - 1] = next;
    if (advanceNextColours) next = t.chooseColour(part, next, true);
  }
}

Unit3D::Unit3D(std::shared_ptr<Unit3DTemplate> tmpl) : unitTemplate(std::move(tmpl)) { recentMoves.reserve(4); }

bool Unit3D::inOwnHabitat() const {
  switch (unitTemplate->habitat) {
    case Unit3DTemplate::kLand: return inWater == 0;
    case Unit3DTemplate::kWater: return inWater == 1;
    default: return true;
  }
}

bool Unit3D::standsInHabitatOf(const Unit3DTemplate& t) const {
  switch (t.habitat) {
    case Unit3DTemplate::kLand: return inWater == 0;
    case Unit3DTemplate::kWater: return inWater == 1;
    default: return true;
  }
}

bool Unit3D::withinReach(Vec2 point, float eraserRadius) const {
  const float r = unitTemplate ? unitTemplate->radius() : 0.0f;
  return dist2(xy(position), point) <= r * 0.5f + eraserRadius;
}

float Unit3D::hop(float t) const {
  const Unit3DTemplate& tp = *unitTemplate;
  const float k = tp.stationary() ? 1.0f : ((tp.speedValue() - 1.0f) / 1.5f + 1.0f);
  return (t * tp.hopSpeed - t * t * 4.0f * 0.5f) * k;
}

float Unit3D::drawScale() const {
  if (!unitTemplate) return 1.0f;
  return unitTemplate->size * (unitTemplate->startsAsBaby ? growth : 1.0f);
}

float Unit3D::drawAlpha() const {
  if (health <= 0.0f) return std::max(0.0f, 1.0f - deadTime);
  if (fadeIn > 0.0f) return 1.0f - fadeIn;
  return 1.0f;
}

float Unit3D::waterOffset(float ground, float wavePhase) const {
  const Unit3DTemplate& t = *unitTemplate;
  const float w = waveHeight(position.x, position.y, wavePhase);
  if (t.stationary() && std::fabs(position.z - ground) <= 0.05f) return w * 0.125f;
  const float depth = -ground;
  if (depth <= 0.0f) return 0.0f;
  const float k = t.stationary() ? 0.1f : 0.525f;
  const float m = std::min(depth, t.modelHeightMax() * t.modelScale() * growth * t.size * k - w);
  float lift = -position.z - m;
  if (!t.stationary()) lift = std::min(lift, 0.0f);
  return lift;
}

void Unit3D::settleOnGround(const World& world) {
  if (!unitTemplate) return;
  const Unit3DTemplate& t = *unitTemplate;
  position.z = world.restingHeight(t, position.x, position.y);
  inWater = position.z <= kInWaterDepth ? 1 : 0;
  waterLift = inWater == 1 ? waterOffset(world.groundHeight(position.x, position.y), world.wavePhase) : 0.0f;
  // A walk ends at its destination's height: it must not lead into the old ground.
  if (moving && activity == kMoving) destination.z = world.standingHeight(t, destination.x, destination.y);
}

// ---------------------------------------------------------------------------
// The per-frame step.

void Unit3D::update(World& world, float simDt, float realDt, bool isDay) {
  const uint8_t parity = world.frameParity ? 1 : 0;
  if (!unitTemplate || updateParity == parity) return;
  updateParity = parity;
  if (inWater == -1) inWater = position.z <= kInWaterDepth ? 1 : 0;
  if (health <= 0.0f) {
    deadTime += realDt;
    return;
  }
  if (fadeIn > 0.0f) fadeIn -= realDt;
  if (!world.terrain) return;
  const Unit3DTemplate& t = *unitTemplate;

  asleep = t.sleeps != Unit3DTemplate::kNeverSleeps && activity == kIdle && !t.stationary() &&
           ((isDay && t.sleeps == Unit3DTemplate::kSleepsByDay) ||
            (!isDay && t.sleeps == Unit3DTemplate::kSleepsByNight));

  const float dt = simDt;
  switch (activity) {
    case kIdle:
      if (!asleep) idleDecision(world, dt);
      break;
    case kLookingAround:
      turn(dt, false);
      if (!turning) activity = kIdle;
      break;
    case kMoving:
      if (t.stationary()) moving = turning = false;  // edited to stationary mid-walk
      moveStep(world, dt, false);
      turn(dt, false);
      animate(dt);
      if (!moving && !turning && !animating) activity = kIdle;
      break;
    case kHunting:
      huntStep(world, dt);
      break;
    default:
      activity = kIdle;
      break;
  }

  if (!asleep) breedStep(world, dt);

  if (hit) {
    hitTimer -= simDt;
    if (hitTimer <= 0.0f) hit = false;
  }
  if (hopping) {
    hopTime += simDt;
    hopLift = hop(hopTime * 1.5f) * 0.3f;
    if (hopLift < 0.0f) {
      hopping = false;
      hopTime = hopLift = 0.0f;
    }
  }

  const bool wasAlive = health > 0.0f;
  hungerStep(dt);
  ageingStep(dt);
  growthStep(dt);
  if (wasAlive && health <= 0.0f) ++world.stats.deaths;

  waterLift = inWater == 1 ? waterOffset(world.groundHeight(position.x, position.y), world.wavePhase) : 0.0f;
}

// ---------------------------------------------------------------------------
// Decisions.

void Unit3D::idleDecision(World& world, float dt) {
  if (unitTemplate->stationary()) return;
  decisionTimer -= dt;
  if (decisionTimer > 0.0f) return;
  decisionTimer = 1.0f + rand01() * 0.66f;
  if (food < 0.5f && randInt() % 3 == 0) {
    startHunt(world);
    return;
  }
  const int r = randInt() % 8;
  if (r >= 4 && r <= 6) {
    lookAround();
  } else if (r == 7) {
    activity = kMoving;
    chooseDestination(world);
  }
}

void Unit3D::lookAround() {
  activity = kLookingAround;
  const float s = (randInt() % 2 == 0) ? 1.0f : -1.0f;
  const float a = s * (kPi / 3.0f + rand01() * 2.0f * kPi / 3.0f);
  destination = {position.x + std::cos(a), position.y + std::sin(a), position.z};
  turning = true;
}

void Unit3D::chooseDestination(World& world) {
  if (!world.terrain) return;
  const Unit3DTemplate& t = *unitTemplate;
  std::vector<const Unit3DTemplate*>& habitatSet = world.scratchHabitat;
  t.habitatSet(habitatSet);
  const bool inHabitat = inOwnHabitat();
  Vec2 towards{};
  if (!inHabitat) {
    try {
      towards = world.terrain->nearestCentroid(xy(position), t.habitat == Unit3DTemplate::kWater) - xy(position);
    } catch (const std::out_of_range&) {
      return;  // no land (or no sea) anywhere: stay where it is
    }
  }
  const float towardsLen = std::sqrt(towards.x * towards.x + towards.y * towards.y);
  const int attempts = inHabitat ? 10 : 40;
  const bool hasMomentum = momentum.x != 0.0f || momentum.y != 0.0f;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    const float a = rand01() * kTwoPi;
    float d = 1.0f + rand01() * 0.5f;
    if (!inHabitat) d *= 1.5f;
    const Vec2 offset{d * std::cos(a), d * std::sin(a)};
    const Vec2 cand = xy(position) + offset;
    if (!inHabitat && towardsLen > 0.0f) {
      const float c = (offset.x * towards.x + offset.y * towards.y) / (d * towardsLen);
      if (c < 0.70710677f) continue;  // more than 45 degrees off
    }
    if (hasMomentum) {
      const float p = std::max(0.0f, offset.x * momentum.x + offset.y * momentum.y);
      if (rand01() > p * 0.75f + 0.25f) continue;
    }
    if (!world.standTest(cand, this, t, inHabitat)) continue;
    if (t.stationary() && dist2(cand, origin) > kColonyReach) continue;
    const float q = std::min(1.0f, world.density(*this, cand, 3.5f, habitatSet, true) / 0.15f);
    if (rand01() > q * 0.9f + 0.1f) continue;
    const float z = world.standingHeight(t, cand.x, cand.y);
    if (!t.climbsSlopes && (inWater == 0 || z > 0.0f)) {
      const float dz = std::max(z, 0.0f) - (inWater == 1 ? 0.0f : position.z);
      if (std::fabs(dz) / d >= Unit3DTemplate::kMaxSlope ||
          world.slopeAt(cand.x, cand.y) >= Unit3DTemplate::kMaxSlope)
        continue;
    }
    destination = {cand.x, cand.y, z};
    turning = moving = true;
    animating = t.moveAnimation >= 1 && t.moveAnimation <= 3;
    if (recentMoves.size() >= 3) recentMoves.erase(recentMoves.begin());
    recentMoves.push_back(offset);
    Vec2 sum{};
    for (const Vec2& m : recentMoves) sum = sum + m;
    momentum = sum * (1.0f / static_cast<float>(recentMoves.size()));
    return;
  }
}

void Unit3D::startHunt(World& world) {
  prey.reset();
  const Unit3DTemplate& t = *unitTemplate;
  Vec2 awayDir{};
  bool avoid = false;
  if (auto u = unreachablePrey.lock(); u && u->alive() && u->gridCellX >= 0) {
    const Vec2 d = xy(u->position) - xy(position);
    const float len = std::sqrt(d.x * d.x + d.y * d.y);
    if (len > 0.0f) {
      awayDir = d * (1.0f / len);
      avoid = true;
    }
  }
  const bool inHabitat = inOwnHabitat();
  Unit3D* best = nullptr;
  float bestScore = 0.0f;
  world.grid.forEachNear(position.x, position.y, kPreyRadius, [&](Unit3D& c) {
    // Nearness first: it reads only what the grid walk already brought in.
    const Vec2 off = xy(c.position) - xy(position);
    const float d = std::sqrt(off.x * off.x + off.y * off.y);
    if (d >= kPreyRadius) return;
    if (&c == this || !c.unitTemplate || !c.alive()) return;
    if (!t.eatsTemplate(c.unitTemplate.get())) return;
    if (inHabitat && !c.standsInHabitatOf(t)) return;
    if (!t.climbsSlopes && (inWater == 0 || c.inWater == 0)) {
      const float za = inWater == 1 ? 0.0f : position.z;
      const float zb = c.inWater == 1 ? 0.0f : c.position.z;
      if ((d > 0.0f && std::fabs(zb - za) / d >= Unit3DTemplate::kMaxSlope) ||
          world.slopeAt(c.position.x, c.position.y) >= Unit3DTemplate::kMaxSlope)
        return;
    }
    float score = 1.0f - d / kPreyRadius;
    if (avoid && d > 0.0f) score -= 0.5f * (awayDir.x * off.x + awayDir.y * off.y) / d;
    if (!best || score > bestScore) {
      best = &c;
      bestScore = score;
    }
  });
  if (!best) return;
  prey = best->weak_from_this();
  turning = moving = true;
  animating = t.moveAnimation >= 1 && t.moveAnimation <= 3;
  activity = kHunting;
}

bool Unit3D::groundOffsetTooLarge(const World& world) const {
  float g = world.groundHeight(position.x, position.y);
  if (g <= 0.0f && unitTemplate->floatsInWater) g = 0.0f;
  return std::fabs(g - position.z) > kInWaterDepth;
}

void Unit3D::huntStep(World& world, float dt) {
  std::shared_ptr<Unit3D> p = prey.lock();
  if (!p || !p->alive() || p->gridCellX < 0) {
    prey.reset();
    turning = moving = false;
    activity = animating ? kMoving : kIdle;
    if (groundOffsetTooLarge(world)) chooseDestination(world);
    return;
  }
  moveStep(world, dt, true);
  turn(dt, true);
  animate(dt);
  if (!moving && facingDestination) {
    if (!advancedLastStep) {
      unreachablePrey = p;
    } else {
      bite(*p);
      ++world.stats.bites;
      if (p->health <= 0.0f) ++world.stats.kills;
      unreachablePrey.reset();
    }
    if (animating) {
      activity = kMoving;
      turning = false;
    } else {
      activity = kIdle;
    }
    if (groundOffsetTooLarge(world)) chooseDestination(world);
  }
}

// ---------------------------------------------------------------------------
// Steering.

void Unit3D::turn(float dt, bool hunting) {
  if (!turning) return;
  Vec2 target;
  if (hunting) {
    std::shared_ptr<Unit3D> p = prey.lock();
    if (!p) {
      facingDestination = false;
      return;
    }
    target = xy(p->position);
  } else {
    target = xy(destination);
  }
  const float dx = target.x - position.x, dy = target.y - position.y;
  const float dir = (dx == 0.0f && dy == 0.0f) ? yaw : std::atan2(dy, dx);
  const float err = wrapAngle(dir - yaw);
  facingDestination = std::fabs(err) < kFacingTolerance;
  const float rate = unitTemplate->speedValue() * (hunting ? 4.7f : 2.35f);
  if (rate * dt <= std::fabs(err)) {
    yaw = wrapAngle(yaw + (err < 0.0f ? -rate * dt : rate * dt));
  } else {
    yaw = wrapAngle(dir);
    if (!hunting) turning = false;
  }
}

void Unit3D::reaim(Vec3 from, Vec3& to, float step) {
  // Re-aims at the wanted point and takes a full step toward it.
  Vec3 aim = to - from;
  const float len = length(aim);
  if (len > 0.0f) to = from + aim * (step / len);
}

void Unit3D::moveStep(World& world, float dt, bool hunting) {
  if (!moving || dt <= 0.0f || !world.terrain) return;
  const Unit3DTemplate& t = *unitTemplate;
  Vec3 goal = destination;
  if (hunting) {
    std::shared_ptr<Unit3D> p = prey.lock();
    if (!p) return;
    const Vec2 toMe = xy(position) - xy(p->position);
    const float len = std::sqrt(toMe.x * toMe.x + toMe.y * toMe.y);
    const float keep = t.frontReach() + (p->unitTemplate ? p->unitTemplate->radius() : 0.0f);
    goal = p->position;
    if (len > 0.0f) {
      goal.x += toMe.x / len * keep;
      goal.y += toMe.y / len * keep;
    }
    const float g = world.groundHeight(goal.x, goal.y);
    goal.z = (g < 0.0f && g < p->position.z) ? p->position.z : g;
  }
  const float v = t.speedValue();
  const float step = hunting ? v * dt : v * 0.5f * dt;
  advancedLastStep = true;
  const Vec3 old = position;
  const Vec3 toGoal = goal - old;
  const float dist = length(toGoal);
  Vec3 next;
  bool arrived = false;
  if (step < dist) {
    next = old + toGoal * (step / dist);
    if (inWater == 0) {
      const float g = world.groundHeight(next.x, next.y);
      if (next.z != g) {
        next.z = g;
        reaim(old, next, step);
        next.z = world.groundHeight(next.x, next.y);
      }
    } else {
      // Between the sea floor and the surface; where the floor rises above the
      // surface the unit walks out onto the shore instead of under the ground.
      auto clampZ = [&](Vec3& p) {
        const float g = world.groundHeight(p.x, p.y);
        const float z = std::min(std::max(p.z, g), std::max(g, 0.0f));
        const bool changed = z != p.z;
        p.z = z;
        return changed;
      };
      if (clampZ(next)) {
        reaim(old, next, step);
        clampZ(next);
      }
    }
  } else {
    next = goal;
    arrived = true;
  }
  if (!t.climbsSlopes && inWater == 0) {
    const float ahead = world.slopeAt(next.x, next.y);
    const float behind = world.slopeAt(2.0f * old.x - next.x, 2.0f * old.y - next.y);
    if (ahead > Unit3DTemplate::kMaxSlope && !(behind > Unit3DTemplate::kMaxSlope)) {
      next = old;
      arrived = true;
      advancedLastStep = false;
    }
  }
  // Units never leave the playable square, whatever a hunt's goal says.
  next.x = std::clamp(next.x, -World::kWorldLimit + 0.001f, World::kWorldLimit - 0.001f);
  next.y = std::clamp(next.y, -World::kWorldLimit + 0.001f, World::kWorldLimit - 0.001f);
  position = next;
  if (arrived) moving = false;
  inWater = position.z <= kInWaterDepth ? 1 : 0;
}

void Unit3D::animate(float dt) {
  if (!animating) return;
  const Unit3DTemplate& t = *unitTemplate;
  const float period = t.hopDuration;
  animTime += dt;
  if (animTime >= period) {
    animTime -= period;
    if (!moving) {
      animTime = 0.0f;
      animating = false;
    }
  }
  if (period <= 0.0f) animTime = 0.0f;  // a model without height has no cycle
  const float phase = period > 0.0f ? std::sin(kTwoPi * animTime / period) * kTwistAngle : 0.0f;
  switch (t.moveAnimation) {
    case Unit3DTemplate::kBounces:
      animLift = hop(animTime);
      animRoll = animYaw = 0.0f;
      break;
    case Unit3DTemplate::kWaddles:
      animLift = hop(animTime) * 0.5f;
      animRoll = phase;
      break;
    case Unit3DTemplate::kTwists:
      animLift = 0.0f;
      animYaw = phase;
      animRoll = 0.0f;
      break;
    default:
      break;
  }
}

}  // namespace qv
