#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "units/census.hpp"
#include "units/unit.hpp"
#include "units/unit_grid.hpp"
#include "units/unit_template.hpp"
#include "world/camera.hpp"
#include "world/ground_colours.hpp"
#include "world/sculpt_history.hpp"
#include "world/terrain.hpp"
#include "world/terrain_tools.hpp"

namespace qv {

class Water;
class WaterSkyEdge;
class SkyHorizon;
class CloudSystem;

// The world colours chosen with the world options: for each row (sky, land,
// water, cloud) the checked swatch (palette index, -1 for none) and the row's
// raw colour (white without a checked swatch). The objects get them lifted.
struct WorldColours {
  enum Row : int { kSky = 0, kLand = 1, kWater = 2, kCloud = 3 };
  int checkedSwatch[4] = {-1, -1, -1, -1};
  Colour row[4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
  Colour lifted(int r) const { return row[r].lifted(); }
};

// The tool in the player's hand; the top bar's Erase, Terrain and World buttons
// pick the last three.
enum ToolMode : int { kNoTool = 0, kPlacementTool = 1, kEraserTool = 2, kTerrainTool = 3, kWorldColoursTool = 4 };

// The process-wide world every gameplay scene shares: terrain, sea, sky and
// clouds, the camera, the units with their grid and lists, the clock and the
// tool and pick state. The first gameplay scene creates it (World::shared());
// tests and benchmarks construct their own, without a window.
class World : public GroundPainters {
 public:
  struct Options {
    bool terrain = true;
    bool water = true;
    bool sky = true;
    bool clouds = true;
  };
  static constexpr float kDayLength = 450.0f;
  static constexpr float kStartTimeOfDay = 75.0f;
  static constexpr float kWorldLimit = 82.485f;
  static constexpr float kDefaultEraserSize = 1.25f;
  static constexpr Vec3 kSunPosition{25.0f, -50.0f, 50.0f};

  World();
  explicit World(const Options& options);
  ~World() override;
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // The game's one world, built on first use (by the first gameplay scene).
  static World& shared();
  static bool sharedExists();
  // Frees the shared world (at shut-down, while the GL context still exists).
  static void destroyShared();

  // ---- owned objects (absent ones are skipped everywhere) ----
  std::unique_ptr<Terrain> terrain;
  std::unique_ptr<Water> water;
  std::unique_ptr<SkyHorizon> skyHorizon;
  std::unique_ptr<WaterSkyEdge> waterSkyEdge;
  std::unique_ptr<CloudSystem> clouds;
  Camera camera;

  // ---- units ----
  UnitGrid grid;
  std::vector<std::shared_ptr<Unit3D>> dying;     // dead, fading out for one real second
  std::vector<std::shared_ptr<Unit3D>> newUnits;  // still fading in
  TemplateLists templates;
  int selectedTemplate = -1;  // index into templates.assigned, -1 none

  // ---- clock and light ----
  float timeOfDay = kStartTimeOfDay;
  float timeScale = 1.0f;
  bool paused = false;
  float lightFactor = 1.0f;
  Colour sunColour{1, 1, 1, 1};
  Colour clearColour{1, 1, 1, 1};
  bool daytime = true;
  float wavePhase = 0.0f;  // never wrapped
  bool frameParity = false;
  int wholeSeconds = 0;
  float wholeSecondAccumulator = 0.0f;
  float cyclicClock = 0.0f;  // unscaled seconds wrapped at 2 pi
  bool unsavedChanges = false;

  // ---- tools and picking ----
  int toolMode = kNoTool;  // a ToolMode
  PickState pick;
  Vec3 placementPoint{};
  bool placementShown = false;
  float placementYaw = 0.0f;
  bool leftButtonLastFrame = false;
  float eraserSize = kDefaultEraserSize;
  bool eraserWorldPress = false;
  int terrainTool = 0;             // 0 Raise Round .. 6 Flatten Horizontal
  float terrainBrushSize = 5.0f;   // 1.25 to 30
  float terrainBrushRate = 1.25f;  // 1.25 to 5
  bool terrainWorldPress = false;
  WorldColours colours;

  // ---- running the world ----
  // simDt for a frame: 0 when paused or frozen, else dt x time scale.
  float simDtFor(float dt, bool frozen) const { return (paused || frozen) ? 0.0f : dt * timeScale; }
  // 0 pauses; 1, 2, 3 unpause at 1x, 5x and 20x.
  void setGameSpeed(int speed);
  // One update after picking, the camera and the tools: the day clock and
  // light, waves, clouds, every unit, the dying and new-units lists and the
  // unscaled clocks. Marks unsaved changes whenever simulated time passes.
  void step(float dt, float simDt);
  // Light factor of a time of day, and the colours derived from it.
  static float lightFactorAt(float timeOfDay);
  void updateLight();

  // ---- units ----
  TemplatePtr selected() const;
  // Whether a unit of the template may stand at the point (free space, habitat
  // not tested) and, unless it climbs, the ground there is not too steep.
  bool placementValid(const Unit3DTemplate& t, Vec3 point) const;
  // Places a unit of the selected template with the placement yaw, then draws
  // the next yaw. keepColours holds the template's next colours. Null when no
  // template is selected.
  std::shared_ptr<Unit3D> placeUnit(Vec3 position, bool keepColours = false);
  // Places a unit of any template (tests, tools and the loader's helpers).
  std::shared_ptr<Unit3D> placeUnitOf(const TemplatePtr& t, Vec3 position, float yaw, bool keepColours = false);
  // Erases the units under the eraser when the ground is hit and the press
  // began in the world. Returns how many went.
  int eraseUnderEraser();
  // Takes every unit of the template out of the world at once (no fade).
  int removeUnitsOfTemplate(const Unit3DTemplate* t);
  // The units screen's delete: the template's units leave at once, then the
  // template is unassigned (kept, with its settings); the selection follows.
  int deleteTemplate(TemplatePtr t);  // by value: the argument may live in the lists it edits
  // Takes one unit out of the world at once (grid, lists); false when absent.
  bool eraseUnit(const std::shared_ptr<Unit3D>& unit);
  void refreshGroundAround(const Unit3D& unit);
  // Files a unit loaded from a save (no ground refresh; the loader refreshes all).
  void addLoadedUnit(const std::shared_ptr<Unit3D>& unit);
  // An offspring joins the grid and the new-units list and paints the ground.
  void addOffspring(const std::shared_ptr<Unit3D>& unit);
  size_t unitCount() const { return grid.unitCount(); }
  // Every unit of the grid in grid order (allocates; for saving, tools and tests).
  std::vector<std::shared_ptr<Unit3D>> allUnits();

  // Gives every existing object its row colour, lifted towards white.
  void applyWorldColours();
  Colour skyColour() const;
  Colour skyHorizonColour() const;
  Colour waterColour() const;

  // Ground height for units: heightAt, 0 without terrain.
  float groundHeight(float x, float y) const;
  float slopeAt(float x, float y) const;
  // Where a unit of the template stands at (x, y): on the ground, or at the
  // surface when the ground there is under water and the template floats.
  float standingHeight(const Unit3DTemplate& t, float x, float y) const;
  // Where a unit at rest sits after the ground moved under it: standingHeight,
  // except that a "Land" unit stays on the bottom (its float option does not
  // apply: placement puts it there and the editor greys the option out).
  float restingHeight(const Unit3DTemplate& t, float x, float y) const;
  // Stand test: may a unit (or, with unit null, a unit of the template) stand at the point?
  bool standTest(Vec2 point, const Unit3D* unit, const Unit3DTemplate& t, bool habitatTest) const;
  // Density of units of the given templates around p for unit u (0..1).
  float density(const Unit3D& u, Vec2 p, float r, const std::vector<const Unit3DTemplate*>& templates,
                bool habitatFilter) const;
  float densityOfTemplate(const Unit3D& u, Vec2 p, float r, const Unit3DTemplate* t, bool habitatFilter) const;

  // ---- sculpting ----
  // One frame of the selected terrain tool around centre: a press's first use
  // opens a stroke for undo; the units on the changed ground settle on it.
  // Returns whether the ground could have changed.
  bool sculptFrame(TerrainSculptor& sculptor, Vec2 centre, float dt, bool firstFrame);
  // The press is over (button up, tool or scene left): the stroke is filed.
  void endSculptStroke() { sculptHistory.endStroke(); }
  // The last stroke undone / the last undone stroke done again, units settled.
  bool undoSculpt();
  bool redoSculpt();
  // Units within the circle (and the triangles around its rim) settle on the ground.
  void settleUnits(Vec2 centre, float radius);
  SculptHistory sculptHistory;

  // New world: flat-ground colours reset, waves, camera, units and template
  // assignments cleared, clock and tools back to their start values.
  void resetWorld();

  // GroundPainters: stationary colouring units near a point, in grid order.
  void forEachPainter(float x, float y, float radius, GroundPainterVisitor& visitor) const override;

  // Counters for diagnostics and tests (births, meals and deaths since construction).
  struct Stats {
    uint64_t births = 0;
    uint64_t bites = 0;
    uint64_t kills = 0;
    uint64_t deaths = 0;
  };
  Stats stats;
  // Per-template counts, births and deaths with their recent history (not saved).
  Census census;

  // Scratch for the simulation, reused so steps do not allocate.
  std::vector<const Unit3DTemplate*> scratchHabitat;
  std::vector<const Unit3DTemplate*> scratchOne;
  // The largest radius of a filed unit, known only while step() runs (-1 otherwise):
  // stand tests then search just as far as a neighbour could reach.
  float stepLargestRadius = -1.0f;

 private:
  void createObjects(const Options& options);
};

}  // namespace qv
