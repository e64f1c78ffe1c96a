#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/colour.hpp"

namespace qv {

class Model3D;

// The editable definition of a kind of unit. Every living unit reads its
// template every frame, so an edit changes all of them at once.
class Unit3DTemplate {
 public:
  // Setting values (the editor's option indexes).
  enum MoveSpeed : int32_t { kStationary = 0, kSlow = 1, kNormalSpeed = 2, kFast = 3 };
  enum ColourGround : int32_t { kGroundNone = 0, kGroundPrimary = 1, kGroundSecondary = 2, kGroundOther = 3 };
  enum MoveAnimation : int32_t { kSlides = 0, kBounces = 1, kWaddles = 2, kTwists = 3 };
  enum Sleeps : int32_t { kNeverSleeps = 0, kSleepsByDay = 1, kSleepsByNight = 2 };
  enum Habitat : int32_t { kLand = 0, kWater = 1, kBoth = 2 };
  enum Part : int { kPrimaryPart = 1, kSecondaryPart = 2, kGroundPart = 3 };

  static constexpr float kMaxSlope = 1.4281480f;  // tan(55 degrees)

  Unit3DTemplate(std::string modelFileName, float size, std::vector<Colour> primaryOptions,
                 std::vector<Colour> secondaryOptions, int32_t moveSpeed, std::vector<Colour> coloursLikedForEating,
                 int32_t colourGround, int32_t lifespan, bool breeds, bool startsAsBaby, int32_t moveAnimation);
  ~Unit3DTemplate();
  Unit3DTemplate(const Unit3DTemplate&) = delete;
  Unit3DTemplate& operator=(const Unit3DTemplate&) = delete;

  // Fields, in the order the save records and the editor know them.
  std::vector<int32_t> eatsIndexes;
  std::vector<int32_t> likesIndexes;
  std::vector<std::shared_ptr<Unit3DTemplate>> likes;
  std::vector<std::shared_ptr<Unit3DTemplate>> eats;
  std::vector<Colour> coloursLikedForEating;
  std::unique_ptr<Model3D> model;
  std::vector<Colour> primaryColourOptions;
  std::vector<Colour> secondaryColourOptions;
  std::vector<Colour> groundColourOptions;
  int32_t moveSpeed = 0;
  int32_t extraChoice = 0;
  bool floatsInWater = true;
  bool climbsSlopes = false;
  bool breeds = false;
  int32_t breedFrequency = 1;
  int32_t breedAmount = 1;
  int32_t extraValue = 1;
  int32_t lifespan = 1;
  int32_t health = 1;
  int32_t damage = 1;
  int32_t hunger = 1;
  bool startsAsBaby = false;
  float size = 1.0f;
  int32_t templateId = 0;
  Colour nextPrimaryColour{1, 1, 1, 1};
  bool nextPrimaryChosen = false;
  Colour nextSecondaryColour{1, 1, 1, 1};
  bool nextSecondaryChosen = false;
  Colour nextGroundColour{1, 1, 1, 1};
  bool nextGroundChosen = false;
  int32_t colourGround = 0;
  int32_t moveAnimation = 0;
  float hopSpeed = 0.0f;
  float hopDuration = 0.0f;
  int32_t sleeps = 0;
  int32_t habitat = 2;
  bool claimedByLoad = false;

  const std::string& modelFileName() const;

  // Model measures in model units (0 for a model that failed to load) and the
  // world-size measures derived from them and the template size.
  float modelRadiusMax() const { return radiusMax_; }
  float modelHeightMax() const { return heightMax_; }
  float modelReachFront() const { return reachFront_; }
  float modelScale() const { return scaleNormalised_; }
  float radius() const { return radiusMax_ * scaleNormalised_ * size; }
  float frontReach() const { return reachFront_ * scaleNormalised_ * size; }
  float worldHeight() const { return heightMax_ * scaleNormalised_ * size; }
  float sizeFactor() const { return (size - 1.0f) * 0.5f * 0.6f + 0.7f; }
  float weight() const { const float s = sizeFactor(); return s * s; }
  bool stationary() const { return moveSpeed == kStationary; }
  bool coloursGround() const { return colourGround >= 1 && colourGround <= 3; }
  // Movement speed value: Slow 0.5, Normal 1, Fast 2; 0 for stationary templates.
  float speedValue() const;
  // Rate multipliers of the life-cycle settings; unknown values count as Normal.
  float lifespanMultiplier() const;  // 0 for Infinite (never ages)
  float hungerMultiplier() const;
  float healthMultiplier() const;
  float damageMultiplier() const;
  float breedingPeriod() const;  // seconds
  bool eatsTemplate(const Unit3DTemplate* t) const;
  bool likesTemplate(const Unit3DTemplate* t) const;

  // part 1 primary, 2 secondary, 3 ground options.
  Colour chooseColour(int part, const Colour& parent, bool fresh) const;
  void ensureNextColours();
  void stepNextColour(int step, int part);
  std::vector<std::shared_ptr<Unit3DTemplate>> habitatSet() const;
  // Liked then eaten stationary templates other than this one, into a reused vector.
  void habitatSet(std::vector<const Unit3DTemplate*>& out) const;
  void recomputeHop();
  // Exchanges model data and template ids with another template (the editor's "Change Model").
  void swapModel(Unit3DTemplate& other);

  const std::vector<Colour>& options(int part) const;
  Colour& nextColour(int part);
  bool& nextChosen(int part);

  // Process-wide id counter; tests reset it for predictable ids.
  static int32_t peekNextTemplateId();
  static void setNextTemplateId(int32_t id);

 private:
  void takeModelMeasures();
  float radiusMax_ = 0.0f, heightMax_ = 0.0f, reachFront_ = 0.0f, scaleNormalised_ = 1.0f;
};

using TemplatePtr = std::shared_ptr<Unit3DTemplate>;

// The three process-wide template lists: every template the units interface
// knows, the assigned ones (shown and placeable; position = save reference
// number) and the unassigned ones, kept in templateId order.
struct TemplateLists {
  std::vector<TemplatePtr> all;
  std::vector<TemplatePtr> assigned;
  std::vector<TemplatePtr> unassigned;

  // By value: callers often pass an element of the very list being edited.
  void assign(TemplatePtr t, bool atFront = false);
  void unassign(TemplatePtr t);
  bool inAll(const Unit3DTemplate* t) const;
  bool isAssigned(const Unit3DTemplate* t) const;
  int assignedIndex(const Unit3DTemplate* t) const;  // -1 when not assigned
  // The n-th template of the list that is not in the exclusion list; empty when there is none.
  TemplatePtr nthAssignedNotIn(int n, const std::vector<TemplatePtr>& exclude) const;
  TemplatePtr nthUnassignedNotIn(int n, const std::vector<TemplatePtr>& exclude) const;
  // World unload: everything unassigned, load claims and relations cleared.
  void resetForNewWorld();
  void clear();
};

// The default set: one template per shipped model, appended to the lists
// (assigned or unassigned as the set says), in creation order.
void createDefaultTemplates(TemplateLists& lists);
// The model files of the default set, in creation order.
const std::vector<std::string>& defaultTemplateModelNames();

}  // namespace qv
