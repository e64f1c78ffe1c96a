// The save file: one value per line, no keys, so reader and writer must agree
// on the order line by line. The default world shipped with the game is an
// ordinary save file, read with the same code.
#include "persistence/save_game.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>

#include "core/log.hpp"
#include "core/text_io.hpp"
#include "core/version.hpp"
#include "platform/platform.hpp"
#include "render/palette.hpp"
#include "units/unit.hpp"
#include "units/unit_template.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"
#include "world/terrain.hpp"

namespace qv {

namespace {

constexpr const char* kHeaderStart = "Quillon Vale Save File";
constexpr const char* kTemplatesStart = "*****Unit Templates Start*****";
constexpr const char* kUnassignedStart = "*****Unit Templates Unassigned Start*****";
constexpr const char* kTerrainStart = "*****Terrain Start*****";
constexpr const char* kUnitsStart = "*****Unit Instances Start*****";
constexpr const char* kCloudsStart = "*****Cloud Instances Start*****";
constexpr const char* kTemplateEnd = "**Current Unit Template End**";
constexpr const char* kUnitEnd = "**Current Unit Instance End**";
constexpr const char* kColourListStart = "List Color Options Start";
constexpr const char* kPrimaryEnd = "List Color Primary Options End";
constexpr const char* kSecondaryEnd = "List Color Secondary Options End";
constexpr const char* kEatsStart = "List Units Eats Start";
constexpr const char* kEatsEnd = "List Units Eats End";
constexpr const char* kLikedColoursStart = "List Color Options Liked for Eating Start";
constexpr const char* kLikedColoursEnd = "List Color Options Liked for Eating End";
constexpr const char* kLikesStart = "List Units Likes Start";
constexpr const char* kLikesEnd = "List Units Likes End";
constexpr const char* kGroundEnd = "List Color Ground Alternate Options End";

using textio::fixed6;
using textio::ParseError;

// ---------------------------------------------------------------------------
// Writing.

void putColour(std::ostream& out, const Colour& c) {
  out << fixed6(c.r) << ',' << fixed6(c.g) << ',' << fixed6(c.b) << '\n';
}
void putFloat(std::ostream& out, float v) { out << fixed6(v) << '\n'; }
void putInt(std::ostream& out, int v) { out << v << '\n'; }
void putBool(std::ostream& out, bool v) { out << (v ? 1 : 0) << '\n'; }

void putColourList(std::ostream& out, const std::vector<Colour>& list, const char* end) {
  out << kColourListStart << '\n';
  for (const Colour& c : list) putColour(out, c);
  out << end << '\n';
}

// References are assigned-list positions; templates outside that list cannot be named.
void putReferences(std::ostream& out, const std::vector<TemplatePtr>& list, const TemplateLists& lists) {
  for (const TemplatePtr& t : list) {
    const int index = lists.assignedIndex(t.get());
    if (index >= 0) putInt(out, index);
  }
}

void putTemplate(std::ostream& out, const Unit3DTemplate& t, const TemplateLists& lists) {
  if (!t.model) logLine("ERROR: Problem saving unit template.");
  out << t.modelFileName() << '\n';
  putFloat(out, t.size);
  putColourList(out, t.primaryColourOptions, kPrimaryEnd);
  putColourList(out, t.secondaryColourOptions, kSecondaryEnd);
  putInt(out, t.moveSpeed);
  out << kEatsStart << '\n';
  putReferences(out, t.eats, lists);
  out << kEatsEnd << '\n';
  out << kLikedColoursStart << '\n';
  for (const Colour& c : t.coloursLikedForEating) putColour(out, c);
  out << kLikedColoursEnd << '\n';
  out << kLikesStart << '\n';
  putReferences(out, t.likes, lists);
  out << kLikesEnd << '\n';
  putInt(out, t.extraChoice);
  putInt(out, t.colourGround);
  putColourList(out, t.groundColourOptions, kGroundEnd);
  putInt(out, t.lifespan);
  putBool(out, t.breeds);
  putBool(out, t.startsAsBaby);
  putInt(out, t.moveAnimation);
  putInt(out, t.sleeps);
  putInt(out, t.habitat);
  putInt(out, t.health);
  putInt(out, t.damage);
  putInt(out, t.hunger);
  putInt(out, t.breedFrequency);
  putInt(out, t.extraValue);
  putInt(out, t.breedAmount);
  putBool(out, t.floatsInWater);
  putBool(out, t.climbsSlopes);
  out << kTemplateEnd << '\n';
}

// Unit records are most of a big save, so they are appended straight to the
// text; to_chars with six decimals gives exactly what "%f" gives.
void addFixed6(std::string& out, double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  if (r.ec == std::errc{}) out.append(buf, r.ptr);
  else out += fixed6(v);
}
void addInt(std::string& out, int v) {
  char buf[16];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
  out += '\n';
}
void addBool(std::string& out, bool v) { out += v ? "1\n" : "0\n"; }
void addFloat(std::string& out, float v) {
  addFixed6(out, v);
  out += '\n';
}
void addPair(std::string& out, Vec2 v) {
  addFixed6(out, v.x), out += ',', addFixed6(out, v.y), out += '\n';
}
void addTriple(std::string& out, float a, float b, float c) {
  addFixed6(out, a), out += ',', addFixed6(out, b), out += ',', addFixed6(out, c), out += '\n';
}
void addColour(std::string& out, const Colour& c) { addTriple(out, c.r, c.g, c.b); }

void putUnit(std::string& out, const Unit3D& u, int templateRef, int preyRef) {
  addTriple(out, u.position.x, u.position.y, u.position.z);
  addInt(out, templateRef);
  addFloat(out, u.yaw);
  addTriple(out, u.destination.x, u.destination.y, u.destination.z);
  addBool(out, u.turning);
  addBool(out, u.moving);
  addBool(out, u.animating);
  addFloat(out, u.animTime);
  addPair(out, u.origin);
  addPair(out, u.anchor);
  addInt(out, u.activity);
  addFloat(out, u.decisionTimer);
  addFloat(out, u.breedTimer);
  addFloat(out, u.age);
  addFloat(out, u.ageFraction);
  addBool(out, u.spareFlag);
  addFloat(out, u.health);
  addFloat(out, u.food);
  addInt(out, preyRef);
  addBool(out, u.facingDestination);
  addColour(out, u.primaryColour);
  addColour(out, u.secondaryColour);
  addColour(out, u.groundColour);
  addFloat(out, u.hitTimer);
  addBool(out, u.hit);
  addFloat(out, u.pace);
  addFloat(out, u.growth);
  addPair(out, u.momentum);
  addFloat(out, u.hopTime);
  addBool(out, u.hopping);
  addFloat(out, u.fadeIn);
  out += kUnitEnd;
  out += '\n';
}

// The colour a world-options row saves: its checked swatch, white without one.
Colour savedRowColour(const WorldColours& colours, int row) {
  const int swatch = colours.checkedSwatch[row];
  if (swatch >= 0 && swatch < kPaletteSize) return kPalette[swatch].colour;
  return {1.0f, 1.0f, 1.0f, 1.0f};
}

// ---------------------------------------------------------------------------
// Reading.

// The plain decimal numbers our writer produces are read with from_chars (a big
// save holds hundreds of thousands); anything else takes the general rules of
// textio::toFloat, errors included.
float numberOf(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  float v = 0.0f;
  const auto r = std::from_chars(first, last, v);
  const bool hex = r.ptr < last && (*r.ptr == 'x' || *r.ptr == 'X');
  if (r.ec == std::errc{} && r.ptr != first && !hex && std::isfinite(v)) return v;
  return textio::toFloat(std::string(text));
}

// Walks the lines of one record; every read that does not fit throws, which
// the loader turns into "corrupt, keep what was read".
class Lines {
 public:
  explicit Lines(const std::vector<std::string>& lines) : lines_(lines) {}
  const std::string& next() {
    if (at_ >= lines_.size()) throw ParseError("record ends early");
    return lines_[at_++];
  }
  void expect(const char* marker) {
    if (next() != marker) throw ParseError(std::string("expected ") + marker);
  }
  bool peekIs(const char* marker) const { return at_ < lines_.size() && lines_[at_] == marker; }
  int integer() { return textio::toInt(next()); }
  bool flag() { return textio::toInt(next()) != 0; }
  float number() { return numberOf(next()); }

 private:
  const std::vector<std::string>& lines_;
  size_t at_ = 0;
};

// "a,b,c" into n floats; fewer numbers than asked is an error.
void splitNumbers(const std::string& line, float* out, int n) {
  size_t start = 0;
  for (int k = 0; k < n; ++k) {
    const size_t comma = line.find(',', start);
    if (k < n - 1 && comma == std::string::npos) throw ParseError("too few numbers in \"" + line + "\"");
    const std::string_view all(line);
    out[k] = numberOf(all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    start = comma + 1;
  }
}
Colour colourOf(const std::string& line) {
  float v[3];
  splitNumbers(line, v, 3);
  return {v[0], v[1], v[2], 1.0f};
}
Vec2 pairOf(const std::string& line) {
  float v[2];
  splitNumbers(line, v, 2);
  return {v[0], v[1]};
}
Vec3 tripleOf(const std::string& line) {
  float v[3];
  splitNumbers(line, v, 3);
  return {v[0], v[1], v[2]};
}

std::vector<Colour> colourList(Lines& in, const char* end) {
  std::vector<Colour> list;
  in.expect(kColourListStart);
  while (!in.peekIs(end)) list.push_back(colourOf(in.next()));
  in.next();
  return list;
}
std::vector<int32_t> referenceList(Lines& in, const char* start, const char* end) {
  std::vector<int32_t> list;
  in.expect(start);
  while (!in.peekIs(end)) list.push_back(in.integer());
  in.next();
  return list;
}

// The fields after the model line, in record order. The record is parsed into
// a scratch copy first, so a broken record leaves the template as it was.
struct TemplateFields {
  float size = 1.0f;
  std::vector<Colour> primary, secondary, liked, ground;
  std::vector<int32_t> eats, likes;
  int32_t moveSpeed = 0, extraChoice = 0, colourGround = 0, lifespan = 1, moveAnimation = 0, sleeps = 0, habitat = 2,
          health = 1, damage = 1, hunger = 1, breedFrequency = 1, extraValue = 1, breedAmount = 1;
  bool breeds = false, startsAsBaby = false, floatsInWater = true, climbsSlopes = false;
};

TemplateFields readTemplateFields(Lines& in) {
  TemplateFields f;
  f.size = in.number();
  f.primary = colourList(in, kPrimaryEnd);
  f.secondary = colourList(in, kSecondaryEnd);
  f.moveSpeed = in.integer();
  f.eats = referenceList(in, kEatsStart, kEatsEnd);
  in.expect(kLikedColoursStart);
  while (!in.peekIs(kLikedColoursEnd)) f.liked.push_back(colourOf(in.next()));
  in.next();
  f.likes = referenceList(in, kLikesStart, kLikesEnd);
  f.extraChoice = in.integer();
  f.colourGround = in.integer();
  f.ground = colourList(in, kGroundEnd);
  f.lifespan = in.integer();
  f.breeds = in.flag();
  f.startsAsBaby = in.flag();
  f.moveAnimation = in.integer();
  f.sleeps = in.integer();
  f.habitat = in.integer();
  f.health = in.integer();
  f.damage = in.integer();
  f.hunger = in.integer();
  f.breedFrequency = in.integer();
  f.extraValue = in.integer();
  f.breedAmount = in.integer();
  f.floatsInWater = in.flag();
  f.climbsSlopes = in.flag();
  return f;
}

// Settings are option indexes the editor and the rules look up; a hand-edited
// or damaged file must not carry a value outside its options into the game.
// Such a value means the setting's plain choice ("Normal" where there is one),
// never its nearest extreme: a damaged lifespan of 5 must not become "Infinite".
int32_t option(int32_t v, int32_t lo, int32_t hi, int32_t plain) { return v < lo || v > hi ? plain : v; }

void applyTemplateFields(Unit3DTemplate& t, TemplateFields&& f) {
  using T = Unit3DTemplate;
  f.moveSpeed = option(f.moveSpeed, 0, 3, 2);
  f.extraChoice = option(f.extraChoice, 0, 3, 0);
  f.colourGround = option(f.colourGround, 0, 3, 0);
  f.lifespan = option(f.lifespan, 0, 3, 1);
  f.moveAnimation = option(f.moveAnimation, 0, 3, 0);
  f.sleeps = option(f.sleeps, 0, 2, 0);
  f.habitat = option(f.habitat, 0, 2, T::kBoth);
  f.health = option(f.health, 0, 2, 1);
  f.damage = option(f.damage, 0, 2, 1);
  f.hunger = option(f.hunger, 0, 2, 1);
  f.breedFrequency = option(f.breedFrequency, 0, 2, 1);
  f.breedAmount = option(f.breedAmount, 1, 2, 1);
  t.size = std::clamp(f.size, 1.0f, 3.0f);
  t.primaryColourOptions = std::move(f.primary);
  t.secondaryColourOptions = std::move(f.secondary);
  t.moveSpeed = f.moveSpeed;
  t.eatsIndexes = std::move(f.eats);
  t.coloursLikedForEating = std::move(f.liked);
  t.likesIndexes = std::move(f.likes);
  t.extraChoice = f.extraChoice;
  t.colourGround = f.colourGround;
  t.groundColourOptions = std::move(f.ground);
  t.lifespan = f.lifespan;
  t.breeds = f.breeds;
  t.startsAsBaby = f.startsAsBaby;
  t.moveAnimation = f.moveAnimation;
  t.sleeps = f.sleeps;
  t.habitat = f.habitat;
  t.health = f.health;
  t.damage = f.damage;
  t.hunger = f.hunger;
  t.breedFrequency = f.breedFrequency;
  t.extraValue = f.extraValue;
  t.breedAmount = f.breedAmount;
  t.floatsInWater = f.floatsInWater;
  t.climbsSlopes = f.climbsSlopes;
  // The relations are rebuilt from the numbers once every template is in.
  t.eats.clear();
  t.likes.clear();
  // The next placed unit's colours must come from the new options.
  t.nextPrimaryChosen = t.nextSecondaryChosen = t.nextGroundChosen = false;
  t.recomputeHop();
  t.claimedByLoad = true;
}

// A unit record has this many value lines before its end marker.
constexpr size_t kUnitRecordLines = 31;

// A damaged or hand-edited record must not put a unit where the grid and the
// terrain have no cells, or give it rates the life rules never produce.
void keepInRange(Unit3D& u) {
  static constexpr float kEdge = World::kWorldLimit - 0.001f;
  const auto inWorld = [](float& v) { v = std::clamp(v, -kEdge, kEdge); };
  inWorld(u.position.x), inWorld(u.position.y), inWorld(u.destination.x), inWorld(u.destination.y);
  inWorld(u.origin.x), inWorld(u.origin.y), inWorld(u.anchor.x), inWorld(u.anchor.y);
  u.pace = std::clamp(u.pace, 0.9f, 1.1f);
  u.ageFraction = std::clamp(u.ageFraction, 0.0f, 1.0f);
  u.growth = std::clamp(u.growth, 0.5f, 1.0f);
  u.age = std::max(u.age, 0.0f);
  u.health = std::clamp(u.health, 0.0f, 1.0f);
  u.food = std::clamp(u.food, 0.0f, 1.0f);
  u.fadeIn = std::clamp(u.fadeIn, 0.0f, 1.0f);
  if (u.activity < Unit3D::kIdle || u.activity > Unit3D::kHunting) u.activity = Unit3D::kIdle;
}

std::shared_ptr<Unit3D> readUnit(const std::vector<std::string>& lines, const TemplatePtr& tmpl, int& preyRef) {
  Lines in(lines);
  auto u = std::make_shared<Unit3D>(tmpl);
  u->position = tripleOf(in.next());
  in.next();  // the template reference, resolved by the caller
  u->yaw = in.number();
  u->destination = tripleOf(in.next());
  u->turning = in.flag();
  u->moving = in.flag();
  u->animating = in.flag();
  u->animTime = in.number();
  u->origin = pairOf(in.next());
  u->anchor = pairOf(in.next());
  u->activity = in.integer();
  u->decisionTimer = in.number();
  u->breedTimer = in.number();
  u->age = in.number();
  u->ageFraction = in.number();
  u->spareFlag = in.flag();
  u->health = in.number();
  u->food = in.number();
  preyRef = in.integer();
  u->facingDestination = in.flag();
  u->primaryColour = colourOf(in.next());
  u->secondaryColour = colourOf(in.next());
  u->groundColour = colourOf(in.next());
  u->hitTimer = in.number();
  u->hit = in.flag();
  u->pace = in.number();
  u->growth = in.number();
  u->momentum = pairOf(in.next());
  u->hopTime = in.number();
  u->hopping = in.flag();
  u->fadeIn = in.number();
  keepInRange(*u);
  u->inWater = u->position.z <= Unit3D::kInWaterDepth ? 1 : 0;
  return u;
}

// Version numbers of a header "... Version a.b.c.d". The major number is the
// one character in front of the first dot; the others follow the dots.
struct FileVersion {
  int major = 0, minor = 0, patch = 0, build = 0;
};
FileVersion parseVersion(const std::string& header) {
  const size_t d1 = header.find('.');
  if (d1 == std::string::npos || d1 == 0) throw ParseError("no version in the header");
  const size_t d2 = header.find('.', d1 + 1);
  const size_t d3 = d2 == std::string::npos ? std::string::npos : header.find('.', d2 + 1);
  if (d3 == std::string::npos) throw ParseError("no version in the header");
  FileVersion v;
  v.major = textio::toInt(header.substr(d1 - 1, 1));
  v.minor = textio::toInt(header.substr(d1 + 1, d2 - d1 - 1));
  v.patch = textio::toInt(header.substr(d2 + 1, d3 - d2 - 1));
  v.build = textio::toInt(header.substr(d3 + 1));
  return v;
}

int versionResult(const FileVersion& v) {
  if (v.major == 0 && v.minor < 11) return kLoadOldVersion;
  const int mine[4] = {kVersion[0], kVersion[1], kVersion[2], kVersion[3]};
  const int theirs[4] = {v.major, v.minor, v.patch, v.build};
  for (int k = 0; k < 4; ++k) {
    if (theirs[k] < mine[k]) return kLoadOk;
    if (theirs[k] > mine[k]) return kLoadNewerVersion;
  }
  return kLoadOk;
}

TemplatePtr freeTemplateFor(const TemplateLists& lists, const std::string& model) {
  for (const TemplatePtr& t : lists.unassigned)
    if (!t->claimedByLoad && t->modelFileName() == model) return t;
  return nullptr;
}

// The state of one load, kept outside the parsing so that a failure part way
// still leaves the references resolved and the terrain rebuilt.
struct LoadState {
  LoadState(World& w, int m) : world(w), mode(m) {}
  World& world;
  int mode;
  int result = kLoadOk;
  std::vector<int> templateSlots;            // file reference -> assigned position, -1 none
  std::vector<std::shared_ptr<Unit3D>> units;  // by unit record, null when not added
  std::vector<int> preyRefs;
  bool terrainTouched = false;
  // Set when the file turned out cut short or a record broken; what was read stays.
  bool damaged = false;

  // Every line of a complete file ends in a line break: one without it was cut off mid-line.
  bool readLine(std::istream& in, std::string& line) {
    if (!textio::readLine(in, line)) return false;
    if (in.eof()) damaged = true;
    return true;
  }
  // Lines up to (not including) a marker; false when the input ended first.
  bool collectUntil(std::istream& in, const char* marker, std::vector<std::string>& out) {
    out.clear();
    std::string line;
    while (readLine(in, line)) {
      if (line == marker) return true;
      out.push_back(line);
    }
    return false;
  }

  TemplatePtr templateAt(int ref) const {
    if (ref < 0 || ref >= static_cast<int>(templateSlots.size())) return nullptr;
    const int slot = templateSlots[ref];
    const auto& assigned = world.templates.assigned;
    if (slot < 0 || slot >= static_cast<int>(assigned.size())) return nullptr;
    return assigned[slot];
  }

  void readTemplate(const std::vector<std::string>& lines, bool assignedSection) {
    Lines in(lines);
    const std::string& model = in.next();
    TemplatePtr t = freeTemplateFor(world.templates, model);
    if (!t) {
      if (mode != kLoadTemplatesOnly) logLine("ERROR: Problem loading unit template.");
      // Keeps the positions of the records after it.
      if (assignedSection) templateSlots.push_back(-1);
      return;
    }
    applyTemplateFields(*t, readTemplateFields(in));
    if (!assignedSection || mode == kLoadTemplatesOnly) return;
    if (world.templates.inAll(t.get())) {
      world.templates.assign(t);
      templateSlots.push_back(static_cast<int>(world.templates.assigned.size()) - 1);
    } else {
      templateSlots.push_back(-1);
    }
  }

  void resolve() {
    // A templates-only read leaves the loaded slot's relations alone.
    if (mode == kLoadTemplatesOnly) return;
    for (const TemplatePtr& t : world.templates.assigned) {
      if (!t->claimedByLoad) continue;
      t->eats.clear();
      t->likes.clear();
      for (int ref : t->eatsIndexes)
        if (TemplatePtr e = templateAt(ref)) t->eats.push_back(e);
      for (int ref : t->likesIndexes)
        if (TemplatePtr l = templateAt(ref)) t->likes.push_back(l);
    }
    for (size_t k = 0; k < units.size(); ++k) {
      if (!units[k]) continue;
      const int ref = preyRefs[k];
      if (ref >= 0 && ref < static_cast<int>(units.size()) && units[ref] && ref != static_cast<int>(k))
        units[k]->prey = units[ref];
    }
  }

  void finish() {
    resolve();
    if (terrainTouched && world.terrain) world.terrain->finishLoading();
  }

  // One unit record's value lines. Records have a fixed length, so one that
  // lost its end marker cannot swallow the next; one that lost lines is dropped
  // but keeps its position for the prey references after it.
  void readUnitRecord(const std::vector<std::string>& group) {
    if (group.size() != kUnitRecordLines) {
      damaged = true;
      units.push_back(nullptr);
      preyRefs.push_back(-1);
      return;
    }
    int preyRef = -1;
    TemplatePtr t = templateAt(textio::toInt(group[1]));
    std::shared_ptr<Unit3D> u = readUnit(group, t, preyRef);
    if (!t || !world.templates.inAll(t.get())) u.reset();
    if (u) world.addLoadedUnit(u);
    units.push_back(u);
    preyRefs.push_back(preyRef);
  }

  void readUnits(std::istream& in) {
    std::vector<std::string> group;
    std::string line;
    bool endDue = false;  // a full record was read; its end marker comes next
    while (readLine(in, line)) {
      if (line == kCloudsStart) {
        if (!group.empty()) readUnitRecord(group);
        if (endDue || !group.empty()) damaged = true;
        return;
      }
      if (line == kUnitEnd) {
        if (!endDue) readUnitRecord(group);
        group.clear();
        endDue = false;
        continue;
      }
      if (endDue) {
        damaged = true;  // the marker is missing: this line starts the next record
        endDue = false;
      }
      group.push_back(line);
      if (group.size() == kUnitRecordLines) {
        readUnitRecord(group);
        group.clear();
        endDue = true;
      }
    }
    throw ParseError("no cloud section");
  }

  void read(std::istream& in) {
    std::string line;
    if (!readLine(in, line)) throw ParseError("empty file");
    const FileVersion version = parseVersion(line);
    // Old and newer files are read all the same; the code only warns the player.
    result = versionResult(version);
    readLine(in, line);  // the save date
    if (!readLine(in, line)) throw ParseError("no camera");
    const double yaw = textio::toDouble(line);
    if (!readLine(in, line)) throw ParseError("no camera");
    const double pitch = textio::toDouble(line);
    float xyz[3];
    for (float& v : xyz) {
      if (!readLine(in, line)) throw ParseError("no camera");
      v = textio::toFloat(line);
    }
    if (mode == kLoadSlot) {
      Camera& c = world.camera;
      c.yaw = yaw;
      c.pitch = pitch;
      c.position = {xyz[0], xyz[1], xyz[2]};
      c.yawDelta = c.pitchDelta = 0.0;
      c.velocity = {};
      c.displacement = {};
      c.maxHeight = xyz[2];
    }
    if (!readLine(in, line)) throw ParseError("no clock");
    const float clock = textio::toFloat(line);
    if (mode == kLoadSlot && clock >= 0.0f && clock < World::kDayLength) {
      world.timeOfDay = clock;
      world.updateLight();
    }
    if (version.major > 0 || version.minor > 11) {
      Colour rows[4];
      for (Colour& c : rows) {
        if (!readLine(in, line)) throw ParseError("no world colours");
        c = colourOf(line);
      }
      if (mode != kLoadTemplatesOnly) {
        for (int r = 0; r < 4; ++r) {
          const int swatch = paletteIndexOf(rows[r]);
          world.colours.checkedSwatch[r] = swatch;
          world.colours.row[r] = swatch >= 0 ? kPalette[swatch].colour : Colour{1.0f, 1.0f, 1.0f, 1.0f};
        }
        world.applyWorldColours();
      }
    }

    std::vector<std::string> group;
    collectUntil(in, kTemplatesStart, group);
    bool assignedSection = true;
    group.clear();
    for (;;) {
      if (!readLine(in, line)) throw ParseError("file ends inside the templates");
      if (line == kUnassignedStart) {
        assignedSection = false;
        group.clear();
        continue;
      }
      if (line == kTerrainStart) break;
      if (line == kTemplateEnd) {
        readTemplate(group, assignedSection);
        group.clear();
        continue;
      }
      group.push_back(line);
    }

    // A templates-only read stops here: the slot just loaded keeps its ground, units and sky.
    if (mode == kLoadTemplatesOnly) return;

    if (!collectUntil(in, kUnitsStart, group)) throw ParseError("file ends inside the terrain");
    if (world.terrain) {
      terrainTouched = true;
      world.terrain->readSaveRecord(group);
    }

    readUnits(in);

    std::vector<std::string> rest;
    while (readLine(in, line)) rest.push_back(line);
    // The cloud reader skips an unfinished last record; here that means the file was cut short.
    while (!rest.empty() && rest.back().empty()) rest.pop_back();
    if (!rest.empty() && rest.back() != CloudSystem::kRecordEnd) damaged = true;
    if (world.clouds && !world.clouds->readRecords(rest)) throw ParseError("cloud record");
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Save slots.

SaveSlots& saveSlots() {
  static SaveSlots slots;
  return slots;
}

std::string saveSlotPath(int slot) {
  return platform::userDataPath("Saves") + platform::kSep + "Save " + std::to_string(slot + 1) + ".sav";
}

void markSlotSaved(int slot, const std::string& date) {
  if (slot < 0 || slot >= kSaveSlotCount) return;
  SaveSlots& s = saveSlots();
  s.empty[slot] = false;
  s.date[slot] = date;
  if (s.onSlotSaved) s.onSlotSaved(slot, date);
}

std::string saveSlotLabel(int slot) {
  if (slot < 0 || slot >= kSaveSlotCount) return {};
  const SaveSlots& s = saveSlots();
  const std::string number = std::to_string(slot + 1);
  if (s.empty[slot]) return "Empty " + number;
  return "Save " + number + " " + s.date[slot];
}

namespace {
// A date is ten characters at most; anything longer is damage and would only
// stretch the slot's button.
constexpr size_t kMaxSlotDateChars = 16;

// Reads at most `limit` characters of the next line and skips the rest of it,
// so a damaged file with one enormous line costs no memory and little time.
bool readBoundedLine(std::istream& in, std::string& line, size_t limit) {
  line.clear();
  if (!in.good()) return false;
  for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
    if (c == '\n') return true;
    if (line.size() == limit) {
      in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
  return !line.empty();
}

std::string slotDateLabel(std::string date) {
  while (!date.empty() && date.back() == '\r') date.pop_back();
  if (date.size() > kMaxSlotDateChars) date.resize(kMaxSlotDateChars);
  for (char& c : date)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return date;
}
}  // namespace

void scanSaveSlots() {
  for (int s = 0; s < kSaveSlotCount; ++s) {
    // Only the slot files themselves count: a folder of that name is no save, and
    // a "<slot>.tmp" left by an interrupted save is never looked at.
    const std::string path = saveSlotPath(s);
    if (platform::isFolder(path)) continue;
    std::ifstream in = platform::openInput(path, std::ios::binary);
    if (!in) continue;
    std::string header, date;
    readBoundedLine(in, header, 64);
    readBoundedLine(in, date, kMaxSlotDateChars + 1);
    markSlotSaved(s, slotDateLabel(date));
  }
}

std::string saveDateText(int year, int month, int day) {
  return std::to_string(year) + "." + std::to_string(month) + "." + std::to_string(day);
}

std::string todaysSaveDate() {
  const std::tm local = platform::localTime(std::time(nullptr));
  return saveDateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

// ---------------------------------------------------------------------------
// Writing.

std::string templateToText(const Unit3DTemplate& t, const World& world) {
  std::ostringstream out;
  putTemplate(out, t, world.templates);
  return out.str();
}

std::string saveGameText(World& world, const std::string& date) {
  std::ostringstream out;
  out << kHeaderStart << "  Version " << kVersionText << '\n';
  out << date << '\n';
  const Camera& c = world.camera;
  out << textio::streamDefault(c.yaw) << '\n' << textio::streamDefault(c.pitch) << '\n';
  out << textio::streamDefault(c.position.x) << '\n'
      << textio::streamDefault(c.position.y) << '\n'
      << textio::streamDefault(c.position.z) << '\n';
  putFloat(out, world.timeOfDay);
  for (int r = 0; r < 4; ++r) putColour(out, savedRowColour(world.colours, r));

  const TemplateLists& lists = world.templates;
  out << kTemplatesStart << '\n';
  for (const TemplatePtr& t : lists.assigned) putTemplate(out, *t, lists);
  out << kUnassignedStart << '\n';
  for (const TemplatePtr& t : lists.unassigned)
    if (lists.inAll(t.get())) putTemplate(out, *t, lists);

  out << kTerrainStart << '\n';
  if (world.terrain) world.terrain->writeSaveRecord(out);

  out << kUnitsStart << '\n';
  std::string text = std::move(out).str();
  const std::vector<std::shared_ptr<Unit3D>> units = world.allUnits();
  text.reserve(text.size() + units.size() * 480 + 16384);
  std::unordered_map<const Unit3D*, int> position;
  position.reserve(units.size());
  for (size_t k = 0; k < units.size(); ++k) position[units[k].get()] = static_cast<int>(k);
  for (const auto& u : units) {
    int preyRef = -1;
    if (auto p = u->prey.lock()) {
      auto it = position.find(p.get());
      if (it != position.end()) preyRef = it->second;
    }
    putUnit(text, *u, lists.assignedIndex(u->unitTemplate.get()), preyRef);
  }

  text += kCloudsStart;
  text += '\n';
  if (world.clouds) {
    std::ostringstream clouds;
    world.clouds->writeRecords(clouds);
    text += clouds.str();
  }
  return text;
}

bool writeSaveFile(World& world, const std::string& path, const std::string& date) {
  // The whole text is built first; the file is then replaced in one step, so a
  // failure or a kill at any moment leaves the older save complete.
  const std::string text = saveGameText(world, date);
  const size_t sep = path.find_last_of("/\\");
  if (sep != std::string::npos && !platform::isFolder(path.substr(0, sep))) platform::makeFolder(path.substr(0, sep));
  return platform::writeFileAtomically(path, text);
}

int saveGame(World& world, int slot) {
  if (slot < 0 || slot >= kSaveSlotCount) {
    logLine("ERROR: Couldn't save the game: there is no save slot ", slot, ".");
    return -1;
  }
  try {
    const std::string date = todaysSaveDate();
    if (!writeSaveFile(world, saveSlotPath(slot), date)) {
      logLine("ERROR: Couldn't write the save file \"", saveSlotPath(slot), "\".");
      return -1;
    }
    markSlotSaved(slot, date);
    world.unsavedChanges = false;
    logLine("Game saved correctly.");
    return 0;
  } catch (const std::exception&) {
    logLine("ERROR: Exception thrown couldn't save the game.");
    return -1;
  }
}

// ---------------------------------------------------------------------------
// Reading.

int loadGameFromStream(World& world, std::istream& in, int mode) {
  // Strokes made on the ground being replaced must not be undone onto the loaded one.
  if (mode != kLoadTemplatesOnly) {
    world.sculptHistory.clear();
    world.census.restart();
  }
  LoadState state(world, mode);
  try {
    state.read(in);
  } catch (const std::exception&) {
    logLine("ERROR: Exception thrown couldn't load the game save file.");
    state.finish();
    return kLoadCorrupt;
  }
  state.finish();
  if (state.damaged) {
    logLine("ERROR: The game save file is incomplete or damaged; what could be read was loaded.");
    return kLoadCorrupt;
  }
  logLine("Loaded the game save file correctly.");
  return state.result;
}

int loadGame(World& world, const std::string& path, int mode) {
  std::ifstream in = platform::openInput(path);
  // A folder opens like an empty file on some systems; it is no save either way.
  if (!in || platform::isFolder(path)) {
    logLine("ERROR: Couldn't load the game save file.");
    if (mode == kLoadSlot) return kLoadSaveMissing;
    if (mode == kLoadNewGame) return kLoadDefaultWorldMissing;
    return kLoadOk;
  }
  // A file that is not one of our saves must not wipe the world it would replace.
  std::string header;
  const std::streampos start = in.tellg();
  if (!textio::readLine(in, header) || header.rfind(kHeaderStart, 0) != 0) {
    logLine("ERROR: Exception thrown couldn't load the game save file.");
    return kLoadCorrupt;
  }
  in.seekg(start);
  // Records fill the templates the game knows; a world that has none yet gets the default set first.
  if (world.templates.all.empty()) createDefaultTemplates(world.templates);
  if (mode != kLoadTemplatesOnly) world.resetWorld();
  return loadGameFromStream(world, in, mode);
}

std::string defaultWorldPath() {
  return platform::programPath(std::string("Data") + platform::kSep + "Default World.sav");
}

int loadDefaultWorld(World& world, DefaultWorldPart part) {
  return loadGame(world, defaultWorldPath(), part == DefaultWorldPart::kTemplatesOnly ? kLoadTemplatesOnly : kLoadNewGame);
}

}  // namespace qv
