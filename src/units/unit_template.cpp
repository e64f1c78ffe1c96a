#include "units/unit_template.hpp"

#include <algorithm>
#include <cmath>

#include "core/random.hpp"
#include "render/model3d.hpp"

namespace qv {

namespace {
int32_t gNextTemplateId = 0;
const Colour kWhite{1, 1, 1, 1};
const std::string kNoModelName;

int findOption(const std::vector<Colour>& options, const Colour& c) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i].sameAs(c)) return static_cast<int>(i);
  return -1;
}
}  // namespace

int32_t Unit3DTemplate::peekNextTemplateId() { return gNextTemplateId; }
void Unit3DTemplate::setNextTemplateId(int32_t id) { gNextTemplateId = id; }

Unit3DTemplate::Unit3DTemplate(std::string modelFileName, float size_, std::vector<Colour> primaryOptions,
                               std::vector<Colour> secondaryOptions, int32_t moveSpeed_,
                               std::vector<Colour> coloursLiked, int32_t colourGround_, int32_t lifespan_,
                               bool breeds_, bool startsAsBaby_, int32_t moveAnimation_)
    : coloursLikedForEating(std::move(coloursLiked)),
      model(std::make_unique<Model3D>(std::move(modelFileName))),
      primaryColourOptions(std::move(primaryOptions)),
      secondaryColourOptions(std::move(secondaryOptions)),
      moveSpeed(moveSpeed_),
      breeds(breeds_),
      lifespan(lifespan_),
      startsAsBaby(startsAsBaby_),
      size(size_),
      templateId(gNextTemplateId++),
      colourGround(colourGround_),
      moveAnimation(moveAnimation_) {
  takeModelMeasures();
  recomputeHop();
}

Unit3DTemplate::~Unit3DTemplate() = default;

const std::string& Unit3DTemplate::modelFileName() const { return model ? model->fileName() : kNoModelName; }

void Unit3DTemplate::takeModelMeasures() {
  if (model) {
    radiusMax_ = model->radiusMax();
    heightMax_ = model->heightMax();
    reachFront_ = model->reachFront();
    scaleNormalised_ = model->scaleNormalised();
  } else {
    radiusMax_ = heightMax_ = reachFront_ = 0.0f;
    scaleNormalised_ = 1.0f;
  }
}

void Unit3DTemplate::recomputeHop() {
  takeModelMeasures();
  const float h = heightMax_ * scaleNormalised_ * size * 0.33f * 8.0f;
  hopSpeed = h > 0.0f ? std::sqrt(h) : 0.0f;
  hopDuration = hopSpeed * 0.5f;
}

void Unit3DTemplate::swapModel(Unit3DTemplate& other) {
  if (&other == this) return;
  std::swap(model, other.model);
  std::swap(templateId, other.templateId);
  recomputeHop();
  other.recomputeHop();
}

float Unit3DTemplate::speedValue() const {
  switch (moveSpeed) {
    case kSlow: return 0.5f;
    case kNormalSpeed: return 1.0f;
    case kFast: return 2.0f;
    default: return 0.0f;
  }
}

float Unit3DTemplate::lifespanMultiplier() const {
  switch (lifespan) {
    case 0: return 0.5f;
    case 2: return 1.5f;
    case 3: return 0.0f;
    default: return 1.0f;
  }
}

float Unit3DTemplate::hungerMultiplier() const {
  switch (hunger) {
    case 0: return 0.5f;
    case 2: return 2.0f;
    default: return 1.0f;
  }
}

static float strengthMultiplier(int32_t v) {
  switch (v) {
    case 0: return 0.25f;
    case 2: return 4.0f;
    default: return 1.0f;
  }
}
float Unit3DTemplate::healthMultiplier() const { return strengthMultiplier(health); }
float Unit3DTemplate::damageMultiplier() const { return strengthMultiplier(damage); }

float Unit3DTemplate::breedingPeriod() const {
  switch (breedFrequency) {
    case 0: return 135.0f;
    case 2: return 14.85f;
    default: return 45.0f;
  }
}

bool Unit3DTemplate::eatsTemplate(const Unit3DTemplate* t) const {
  for (const auto& e : eats)
    if (e.get() == t) return true;
  return false;
}

bool Unit3DTemplate::likesTemplate(const Unit3DTemplate* t) const {
  for (const auto& e : likes)
    if (e.get() == t) return true;
  return false;
}

const std::vector<Colour>& Unit3DTemplate::options(int part) const {
  switch (part) {
    case kSecondaryPart: return secondaryColourOptions;
    case kGroundPart: return groundColourOptions;
    default: return primaryColourOptions;
  }
}

Colour& Unit3DTemplate::nextColour(int part) {
  switch (part) {
    case kSecondaryPart: return nextSecondaryColour;
    case kGroundPart: return nextGroundColour;
    default: return nextPrimaryColour;
  }
}

bool& Unit3DTemplate::nextChosen(int part) {
  switch (part) {
    case kSecondaryPart: return nextSecondaryChosen;
    case kGroundPart: return nextGroundChosen;
    default: return nextPrimaryChosen;
  }
}

Colour Unit3DTemplate::chooseColour(int part, const Colour& parent, bool fresh) const {
  const std::vector<Colour>& opts = options(part);
  const int n = static_cast<int>(opts.size());
  if (n == 0) return kWhite;
  if (n == 1) return opts[0];
  if (fresh) return opts[static_cast<size_t>(randInt() % n)];
  const int parentIndex = findOption(opts, parent);
  const int r = randInt() % 4;
  if (parentIndex < 0) return opts[static_cast<size_t>(randInt() % n)];
  if (r >= 1) return parent;
  const int k = randInt() % (n - 1);
  return opts[static_cast<size_t>(k < parentIndex ? k : k + 1)];
}

void Unit3DTemplate::ensureNextColours() {
  for (int part = kPrimaryPart; part <= kGroundPart; ++part) {
    Colour& next = nextColour(part);
    bool& chosen = nextChosen(part);
    if (!chosen || findOption(options(part), next) < 0) {
      next = chooseColour(part, next, true);
      chosen = true;
    }
  }
}

void Unit3DTemplate::stepNextColour(int step, int part) {
  const std::vector<Colour>& opts = options(part);
  const int n = static_cast<int>(opts.size());
  if (n == 0) return;
  const int at = findOption(opts, nextColour(part));
  int idx = 0;
  if (at >= 0) {
    idx = at + step;
    if (idx < 0) idx = n - 1;
    if (idx >= n) idx = 0;
  }
  nextColour(part) = opts[static_cast<size_t>(idx)];
  nextChosen(part) = true;
}

void Unit3DTemplate::habitatSet(std::vector<const Unit3DTemplate*>& out) const {
  out.clear();
  for (const auto& t : likes)
    if (t && t.get() != this && t->stationary()) out.push_back(t.get());
  for (const auto& t : eats)
    if (t && t.get() != this && t->stationary()) out.push_back(t.get());
}

std::vector<std::shared_ptr<Unit3DTemplate>> Unit3DTemplate::habitatSet() const {
  std::vector<std::shared_ptr<Unit3DTemplate>> out;
  for (const auto& t : likes)
    if (t && t.get() != this && t->stationary()) out.push_back(t);
  for (const auto& t : eats)
    if (t && t.get() != this && t->stationary()) out.push_back(t);
  return out;
}

// ---- template lists ----

namespace {
bool eraseFrom(std::vector<TemplatePtr>& list, const Unit3DTemplate* t) {
  auto it = std::find_if(list.begin(), list.end(), [&](const TemplatePtr& p) { return p.get() == t; });
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}
bool contains(const std::vector<TemplatePtr>& list, const Unit3DTemplate* t) {
  return std::any_of(list.begin(), list.end(), [&](const TemplatePtr& p) { return p.get() == t; });
}
TemplatePtr nthNotIn(const std::vector<TemplatePtr>& list, int n, const std::vector<TemplatePtr>& exclude) {
  if (n < 0) return nullptr;
  int seen = 0;
  for (const auto& t : list) {
    if (contains(exclude, t.get())) continue;
    if (seen++ == n) return t;
  }
  return nullptr;
}
}  // namespace

void TemplateLists::assign(TemplatePtr t, bool atFront) {
  if (!t) return;
  eraseFrom(unassigned, t.get());
  eraseFrom(assigned, t.get());
  if (atFront)
    assigned.insert(assigned.begin(), t);
  else
    assigned.push_back(t);
}

void TemplateLists::unassign(TemplatePtr t) {
  if (!t) return;
  eraseFrom(assigned, t.get());
  if (contains(unassigned, t.get())) return;
  auto it = std::find_if(unassigned.begin(), unassigned.end(),
                         [&](const TemplatePtr& p) { return p->templateId > t->templateId; });
  unassigned.insert(it, t);
}

bool TemplateLists::inAll(const Unit3DTemplate* t) const { return contains(all, t); }
bool TemplateLists::isAssigned(const Unit3DTemplate* t) const { return contains(assigned, t); }

int TemplateLists::assignedIndex(const Unit3DTemplate* t) const {
  for (size_t i = 0; i < assigned.size(); ++i)
    if (assigned[i].get() == t) return static_cast<int>(i);
  return -1;
}

TemplatePtr TemplateLists::nthAssignedNotIn(int n, const std::vector<TemplatePtr>& exclude) const {
  return nthNotIn(assigned, n, exclude);
}
TemplatePtr TemplateLists::nthUnassignedNotIn(int n, const std::vector<TemplatePtr>& exclude) const {
  return nthNotIn(unassigned, n, exclude);
}

void TemplateLists::resetForNewWorld() {
  const std::vector<TemplatePtr> wasAssigned = assigned;
  for (const auto& t : wasAssigned) unassign(t);
  for (const auto& t : unassigned) {
    t->claimedByLoad = false;
    t->likes.clear();
    t->eats.clear();
    t->likesIndexes.clear();
    t->eatsIndexes.clear();
  }
}

void TemplateLists::clear() {
  // Templates may refer to each other (a cannibal eats itself): break the
  // cycles so clearing the lists really frees them.
  for (auto* list : {&all, &assigned, &unassigned})
    for (const auto& t : *list) {
      t->likes.clear();
      t->eats.clear();
    }
  all.clear();
  assigned.clear();
  unassigned.clear();
}

}  // namespace qv
