#include "units/world.hpp"

#include <algorithm>
#include <cmath>

#include "core/random.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

namespace qv {

namespace {
constexpr float kTwoPi = 2.0f * kPi;
std::unique_ptr<World>& sharedSlot() {
  static std::unique_ptr<World> world;
  return world;
}
bool containsTemplate(const std::vector<const Unit3DTemplate*>& list, const Unit3DTemplate* t) {
  for (const Unit3DTemplate* x : list)
    if (x == t) return true;
  return false;
}
}  // namespace

World::World() : World(Options{}) {}

World::World(const Options& options) {
  createObjects(options);
  grid.gridRebuild();
  scratchHabitat.reserve(64);
  dying.reserve(256);
  newUnits.reserve(256);
  scratchOne.reserve(64);
  placementYaw = rand01() * kTwoPi;
  updateLight();
}

World::~World() {
  sculptHistory.clear();
  if (terrain) terrain->setGroundPainters(nullptr);
  // Units and templates hold each other only one way, but templates may
  // refer to themselves (cannibals): break those cycles on the way out.
  grid.gridRebuild();
  dying.clear();
  newUnits.clear();
  templates.clear();
}

World& World::shared() {
  auto& slot = sharedSlot();
  if (!slot) slot = std::make_unique<World>();
  return *slot;
}

bool World::sharedExists() { return sharedSlot() != nullptr; }

void World::destroyShared() { sharedSlot().reset(); }

void World::createObjects(const Options& options) {
  if (options.terrain) {
    terrain = std::make_unique<Terrain>();
    terrain->setGroundPainters(this);
  }
  if (options.water) {
    water = std::make_unique<Water>(colours.lifted(WorldColours::kWater));
    waterSkyEdge = std::make_unique<WaterSkyEdge>();
  }
  if (options.sky) skyHorizon = std::make_unique<SkyHorizon>(colours.lifted(WorldColours::kSky));
  if (options.clouds) {
    clouds = std::make_unique<CloudSystem>();
    clouds->spawnClouds(false);
  }
}

void World::applyWorldColours() {
  if (skyHorizon) skyHorizon->setSkyColour(colours.lifted(WorldColours::kSky));
  if (terrain) terrain->setColorEmptyLand(colours.lifted(WorldColours::kLand));
  if (water) water->setWaterColour(colours.lifted(WorldColours::kWater));
  if (clouds) clouds->setCloudColour(colours.lifted(WorldColours::kCloud));
  updateLight();
}

Colour World::skyColour() const { return skyHorizon ? skyHorizon->skyColour() : colours.lifted(WorldColours::kSky); }
Colour World::skyHorizonColour() const {
  return skyHorizon ? skyHorizon->horizonColour() : skyHorizonColourFor(skyColour());
}
Colour World::waterColour() const { return water ? water->colour() : colours.lifted(WorldColours::kWater); }

// ---------------------------------------------------------------------------
// Clock and light.

void World::setGameSpeed(int speed) {
  switch (speed) {
    case 0: paused = true; break;
    case 1: paused = false; timeScale = 1.0f; break;
    case 2: paused = false; timeScale = 5.0f; break;
    case 3: paused = false; timeScale = 20.0f; break;
    default: break;
  }
}

float World::lightFactorAt(float t) {
  if (t <= 5.0f) return (t + 5.0f) / 10.0f;
  if (t <= 295.0f) return 1.0f;
  if (t <= 305.0f) return 1.0f - (t - 295.0f) / 10.0f;
  if (t <= 445.0f) return 0.0f;
  return (t - 445.0f) / 10.0f;
}

void World::updateLight() {
  const float f = std::clamp(lightFactorAt(timeOfDay), 0.0f, 1.0f);
  lightFactor = f;
  const float sun = (1.0f - f) * 0.5f + f;
  sunColour = {sun, sun, sun, 1.0f};
  clearColour = clearColourFor(skyColour(), f);
  daytime = f > 0.5f;
}

void World::step(float dt, float simDt) {
  if (simDt > 0.0f) unsavedChanges = true;
  timeOfDay += simDt;
  if (timeOfDay > kDayLength) timeOfDay = std::fmod(timeOfDay, kDayLength);
  updateLight();
  if (water) wavePhase += simDt * kWavePhasePerSecond;
  if (clouds) clouds->updateClouds(simDt, dt);
  frameParity = !frameParity;

  // Offspring share their parent's template and sizes are not edited mid-step, so
  // the largest radius holds for the whole walk.
  float largest = 0.0f;
  grid.forEachNear(0.0f, 0.0f, -1.0f, [&](const Unit3D& u) {
    if (u.unitTemplate) largest = std::max(largest, u.unitTemplate->radius());
  });
  stepLargestRadius = largest;
  UnitGrid::Query walk = grid.gridQuery(0.0f, 0.0f, -1.0f);
  while (Unit3D* u = walk.nextRaw()) {
    u->update(*this, simDt, dt, daytime);
    if (u->health <= 0.0f) {
      census.noteDeath(u->unitTemplate);
      std::shared_ptr<Unit3D> dead = u->shared_from_this();
      grid.gridEraseCurrent(walk);
      refreshGroundAround(*dead);
      dying.push_back(std::move(dead));
    } else {
      const int cx = UnitGrid::clampedCell(u->position.x);
      const int cy = UnitGrid::clampedCell(u->position.y);
      if (cx != u->gridCellX || cy != u->gridCellY) {
        // Refile through the walk so the unit behind it in this cell is not skipped.
        std::shared_ptr<Unit3D> keep = u->shared_from_this();
        grid.gridEraseCurrent(walk);
        grid.gridInsert(keep);
      }
    }
  }

  stepLargestRadius = -1.0f;

  for (size_t i = 0; i < dying.size();) {
    dying[i]->update(*this, simDt, dt, daytime);
    if (dying[i]->deadTime >= 1.0f)
      dying.erase(dying.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  // A unit that dies while still fading in stops counting down its fade: it
  // leaves this list with its death, or it would be kept and drawn forever.
  std::erase_if(newUnits, [](const std::shared_ptr<Unit3D>& u) { return u->fadeIn <= 0.0f || !u->alive(); });

  census.advance(simDt, grid);

  wholeSecondAccumulator += dt;
  if (wholeSecondAccumulator >= 1.0f) {
    ++wholeSeconds;
    wholeSecondAccumulator = 0.0f;
  }
  cyclicClock += dt;
  if (cyclicClock > kTwoPi) cyclicClock -= kTwoPi;
}

// ---------------------------------------------------------------------------
// Terrain questions.

float World::groundHeight(float x, float y) const { return terrain ? terrain->heightAt(x, y) : 0.0f; }
float World::slopeAt(float x, float y) const { return terrain ? terrain->slopeAt(x, y) : 0.0f; }

float World::standingHeight(const Unit3DTemplate& t, float x, float y) const {
  const float g = groundHeight(x, y);
  return (g <= 0.0f && t.floatsInWater) ? 0.0f : g;
}

float World::restingHeight(const Unit3DTemplate& t, float x, float y) const {
  return t.habitat == Unit3DTemplate::kLand ? groundHeight(x, y) : standingHeight(t, x, y);
}

bool World::standTest(Vec2 p, const Unit3D* unit, const Unit3DTemplate& t, bool habitatTest) const {
  if (std::fabs(p.x) >= kWorldLimit || std::fabs(p.y) >= kWorldLimit || !terrain) return false;
  if (habitatTest) {
    const float g = terrain->heightAt(p.x, p.y);
    if (t.habitat == Unit3DTemplate::kLand && !(g - 0.1875f >= 0.0f)) return false;
    if (t.habitat == Unit3DTemplate::kWater && !(g + 0.1875f < 0.0f)) return false;
  }
  const float plain = t.radius();
  const bool plantRoom = unit && t.stationary();
  const float extra = plantRoom ? t.sizeFactor() / 0.7f : 0.0f;
  bool free = true;
  // No neighbour further than its own radius plus ours (and the plants' room) matters.
  float reach = 8.0f;
  if (stepLargestRadius >= 0.0f) reach = std::min(reach, plain + 2.0f * extra + stepLargestRadius + 0.01f);
  grid.forEachNear(p.x, p.y, reach, [&](Unit3D& o) {
    if (!free || &o == unit || !o.unitTemplate) return;
    const Unit3DTemplate& ot = *o.unitTemplate;
    float need;
    if (plantRoom && &ot == &t)
      need = plain + extra + ot.radius() + ot.sizeFactor() / 0.7f;
    else
      need = plain + ot.radius();
    const float dx = o.position.x - p.x, dy = o.position.y - p.y;
    if (dx * dx + dy * dy < need * need) free = false;
  });
  return free;
}

float World::density(const Unit3D& u, Vec2 p, float r, const std::vector<const Unit3DTemplate*>& list,
                     bool habitatFilter) const {
  if (list.empty() || !(r > 0.0f) || !u.unitTemplate) return 0.0f;
  const float n = (7.5f * 7.5f / (r * r)) * 4.0f;
  const Unit3DTemplate& own = *u.unitTemplate;
  float sum = 0.0f;
  grid.forEachNear(p.x, p.y, r, [&](Unit3D& o) {
    // Nearness first: it reads only what the grid walk already brought in.
    const float dx = o.position.x - p.x, dy = o.position.y - p.y;
    const float d2 = dx * dx + dy * dy;
    if (d2 >= r * r || &o == &u || !o.unitTemplate || !o.alive()) return;
    if (!containsTemplate(list, o.unitTemplate.get())) return;
    if (habitatFilter && !o.standsInHabitatOf(own)) return;
    sum += (1.0f - std::sqrt(d2) / r * 0.5f) * o.unitTemplate->weight() * 4.0f / n;
  });
  return std::min(sum, 1.0f);
}

float World::densityOfTemplate(const Unit3D& u, Vec2 p, float r, const Unit3DTemplate* t, bool habitatFilter) const {
  if (!(r > 0.0f) || !u.unitTemplate) return 0.0f;
  const float n = (7.5f * 7.5f / (r * r)) * 4.0f;
  const Unit3DTemplate& own = *u.unitTemplate;
  float sum = 0.0f;
  grid.forEachNear(p.x, p.y, r, [&](Unit3D& o) {
    if (&o == &u || o.unitTemplate.get() != t || !o.alive()) return;
    const float dx = o.position.x - p.x, dy = o.position.y - p.y;
    const float d2 = dx * dx + dy * dy;
    if (d2 >= r * r) return;
    if (habitatFilter && !o.standsInHabitatOf(own)) return;
    sum += (1.0f - std::sqrt(d2) / r * 0.5f) * o.unitTemplate->weight() * 4.0f / n;
  });
  return std::min(sum, 1.0f);
}

// ---------------------------------------------------------------------------
// Placing and erasing.

TemplatePtr World::selected() const {
  if (selectedTemplate < 0 || selectedTemplate >= static_cast<int>(templates.assigned.size())) return nullptr;
  return templates.assigned[static_cast<size_t>(selectedTemplate)];
}

bool World::placementValid(const Unit3DTemplate& t, Vec3 point) const {
  if (!standTest({point.x, point.y}, nullptr, t, false)) return false;
  return t.climbsSlopes || slopeAt(point.x, point.y) < Unit3DTemplate::kMaxSlope;
}

std::shared_ptr<Unit3D> World::placeUnitOf(const TemplatePtr& t, Vec3 p, float yaw, bool keepColours) {
  if (!t) return nullptr;
  const Colour white{1, 1, 1, 1};
  auto unit = std::make_shared<Unit3D>(static_cast<uint8_t>(frameParity ? 0 : 1), t, p, yaw, Vec2{p.x, p.y},
                                       Vec2{p.x, p.y}, false, white, white, white, !keepColours, false);
  grid.gridInsert(unit);
  refreshGroundAround(*unit);
  return unit;
}

std::shared_ptr<Unit3D> World::placeUnit(Vec3 p, bool keepColours) {
  TemplatePtr t = selected();
  if (!t) return nullptr;
  auto unit = placeUnitOf(t, p, placementYaw, keepColours);
  placementYaw = static_cast<float>(randInt()) / 32767.0f * kTwoPi;
  return unit;
}

void World::addOffspring(const std::shared_ptr<Unit3D>& unit) {
  grid.gridInsert(unit);
  newUnits.push_back(unit);
  refreshGroundAround(*unit);
  ++stats.births;
  census.noteBirth(unit->unitTemplate);
}

void World::addLoadedUnit(const std::shared_ptr<Unit3D>& unit) {
  grid.gridInsert(unit);
  if (unit->fadeIn > 0.0f) newUnits.push_back(unit);
}

void World::refreshGroundAround(const Unit3D& unit) {
  if (!terrain || !unit.unitTemplate) return;
  const Unit3DTemplate& t = *unit.unitTemplate;
  if (!t.stationary() || !t.coloursGround()) return;
  terrain->refreshGroundColours({unit.position.x, unit.position.y}, false, false, groundpaint::kDefaultRefreshRadius);
}

int World::eraseUnderEraser() {
  if (!terrain || !pick.groundHit || !eraserWorldPress) return 0;
  const Vec2 at{pick.groundPoint.x, pick.groundPoint.y};
  int erased = 0;
  // Reach adds half a unit's radius to the eraser, so look a little wider than the eraser itself.
  UnitGrid::Query q = grid.gridQuery(at.x, at.y, eraserSize + 2.0f);
  while (std::shared_ptr<Unit3D> u = q.next()) {
    if (!u->withinReach(at, eraserSize)) continue;
    grid.gridEraseCurrent(q);
    refreshGroundAround(*u);
    std::erase(newUnits, u);
    ++erased;
  }
  return erased;
}

bool World::eraseUnit(const std::shared_ptr<Unit3D>& unit) {
  if (!unit) return false;
  const bool filed = grid.remove(*unit);
  if (filed) refreshGroundAround(*unit);
  const size_t before = newUnits.size() + dying.size();
  std::erase(newUnits, unit);
  std::erase(dying, unit);
  return filed || before != newUnits.size() + dying.size();
}

int World::removeUnitsOfTemplate(const Unit3DTemplate* t) {
  int removed = 0;
  UnitGrid::Query q = grid.gridQuery(0.0f, 0.0f, -1.0f);
  while (std::shared_ptr<Unit3D> u = q.next()) {
    if (u->unitTemplate.get() != t) continue;
    grid.gridEraseCurrent(q);
    refreshGroundAround(*u);
    ++removed;
  }
  // Units of the template still fading in or out are drawn from the lists: they go too.
  auto ofTemplate = [t](const std::shared_ptr<Unit3D>& u) { return u->unitTemplate.get() == t; };
  std::erase_if(newUnits, ofTemplate);
  std::erase_if(dying, ofTemplate);
  return removed;
}

int World::deleteTemplate(TemplatePtr t) {
  if (!t) return 0;
  const int removed = removeUnitsOfTemplate(t.get());
  const int at = templates.assignedIndex(t.get());
  templates.unassign(t);
  if (at >= 0) {
    if (selectedTemplate == at)
      selectedTemplate = -1;
    else if (selectedTemplate > at)
      --selectedTemplate;
  }
  return removed;
}

std::vector<std::shared_ptr<Unit3D>> World::allUnits() {
  std::vector<std::shared_ptr<Unit3D>> out;
  out.reserve(grid.unitCount());
  UnitGrid::Query q = grid.gridQuery(0.0f, 0.0f, -1.0f);
  while (std::shared_ptr<Unit3D> u = q.next()) out.push_back(std::move(u));
  return out;
}

void World::forEachPainter(float x, float y, float radius, GroundPainterVisitor& visitor) const {
  grid.forEachNear(x, y, radius, [&](Unit3D& u) {
    if (!u.unitTemplate || !u.alive()) return;
    const Unit3DTemplate& t = *u.unitTemplate;
    if (!t.stationary()) return;
    switch (t.colourGround) {
      case Unit3DTemplate::kGroundPrimary: visitor.painter(u.position.x, u.position.y, u.primaryColour); break;
      case Unit3DTemplate::kGroundSecondary: visitor.painter(u.position.x, u.position.y, u.secondaryColour); break;
      case Unit3DTemplate::kGroundOther: visitor.painter(u.position.x, u.position.y, u.groundColour); break;
      default: break;
    }
  });
}

// ---------------------------------------------------------------------------
// Sculpting.

bool World::sculptFrame(TerrainSculptor& sculptor, Vec2 centre, float dt, bool firstFrame) {
  if (!terrain) return false;
  if (firstFrame || !sculptHistory.strokeOpen()) sculptHistory.beginStroke(*terrain);
  const float radius = terraintool::clampSize(terrainBrushSize);
  if (!sculptor.apply(*terrain, terrainTool, centre, radius, terrainBrushRate, dt, firstFrame)) return false;
  settleUnits(centre, radius);
  unsavedChanges = true;
  return true;
}

bool World::undoSculpt() {
  Vec2 centre{};
  float radius = -1.0f;
  if (!terrain || !sculptHistory.undo(*terrain, centre, radius)) return false;
  settleUnits(centre, radius);
  unsavedChanges = true;
  return true;
}

bool World::redoSculpt() {
  Vec2 centre{};
  float radius = -1.0f;
  if (!terrain || !sculptHistory.redo(*terrain, centre, radius)) return false;
  settleUnits(centre, radius);
  unsavedChanges = true;
  return true;
}

void World::settleUnits(Vec2 centre, float radius) {
  if (!terrain || !(radius >= 0.0f)) return;
  // Ground moves under every triangle that shares a changed vertex, so a unit
  // up to one triangle edge outside the circle may stand on moved ground.
  const float reach = radius + Terrain::kSpacing * 1.2f;
  auto settle = [&](Unit3D& u) {
    const float dx = u.position.x - centre.x, dy = u.position.y - centre.y;
    if (dx * dx + dy * dy <= reach * reach) u.settleOnGround(*this);
  };
  grid.forEachNear(centre.x, centre.y, reach, settle);
  for (const auto& u : dying) settle(*u);
}

// ---------------------------------------------------------------------------

void World::resetWorld() {
  sculptHistory.clear();
  census.restart();
  if (terrain) terrain->resetGround();
  wavePhase = 0.0f;
  camera.reset();
  grid.gridRebuild();
  dying.clear();
  newUnits.clear();
  templates.resetForNewWorld();
  timeScale = 1.0f;
  timeOfDay = kStartTimeOfDay;
  selectedTemplate = -1;
  paused = false;
  toolMode = 0;
  unsavedChanges = true;
  placementPoint = {};
  placementShown = false;
  pick = PickState{};
  updateLight();
}

}  // namespace qv
