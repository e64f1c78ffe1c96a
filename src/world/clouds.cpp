#include "world/clouds.hpp"

#include <algorithm>
#include <istream>
#include <ostream>

#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"

namespace qv {

std::string CloudSystem::modelFileName(int i) { return "Cloud " + std::to_string(i) + ".obj"; }

CloudSystem::CloudSystem() : drift(normalize(Vec3{-2.0f, -1.0f, 0.0f}) * 2.0f) {
  // A full sky holds about sixty clouds; room for more keeps edge spawns from allocating mid-game.
  clouds.reserve(256);
}

void CloudSystem::ensureModels() {
  if (!models_.empty()) return;
  models_.reserve(kModelCount);
  for (int i = 1; i <= kModelCount; ++i) models_.emplace_back(modelFileName(i));
}

bool CloudSystem::tooClose(Vec3 p) const {
  const float limit = kMinSpacing * kMinSpacing;
  for (const Cloud& c : clouds) {
    const Vec3 d = c.position - p;
    if (dot(d, d) <= limit) return true;
  }
  return false;
}

int CloudSystem::spawnClouds(bool atEdge) {
  const int attempts = atEdge ? kEdgeAttempts : kFillAttempts;
  int added = 0;
  for (int a = 0; a < attempts; ++a) {
    Vec3 p;
    p.z = kHeight + (2.0f * rand01() - 1.0f) * kHeightJitter;
    if (atEdge) {
      const float s = (2.0f * rand01() - 1.0f) * kSpawnEdge;
      // Up-wind edges only: the drift carries clouds towards -x and -y.
      if (randInt() % 2 == 0) {
        p.x = s;
        p.y = kSpawnEdge;
      } else {
        p.x = kSpawnEdge;
        p.y = s;
      }
    } else {
      p.x = (2.0f * rand01() - 1.0f) * kSpawnEdge;
      p.y = (2.0f * rand01() - 1.0f) * kSpawnEdge;
    }
    if (tooClose(p)) continue;
    ensureModels();
    Cloud c;
    c.position = p;
    c.yaw = 2.0f * rand01() * kPi;
    const int count = static_cast<int>(models_.size());
    c.model = count > 0 ? randInt() % count : 0;
    c.alpha = atEdge ? 0.0f : 1.0f;
    c.fadeTimer = atEdge ? 1.0f : 0.0f;
    c.state = Cloud::kDrifting;
    clouds.push_back(c);
    ++added;
    if (atEdge) break;
  }
  return added;
}

void CloudSystem::updateClouds(float simDt, float dt) {
  if (!(simDt > 0.0f)) return;
  size_t kept = 0;
  for (size_t i = 0; i < clouds.size(); ++i) {
    Cloud c = clouds[i];
    c.position += drift * simDt;
    if (c.state == Cloud::kDrifting && (c.position.x < -kSpawnEdge || c.position.y < -kSpawnEdge)) {
      c.state = Cloud::kFadingOut;
      c.fadeTimer = 1.0f;
    }
    if (c.fadeTimer > 0.0f) {
      c.fadeTimer -= dt;
      if (c.fadeTimer <= 0.0f) {
        c.fadeTimer = 0.0f;
        c.alpha = c.state == Cloud::kFadingOut ? 0.0f : 1.0f;
        if (c.state == Cloud::kFadingOut) c.state = Cloud::kFinished;
      } else {
        c.alpha = c.state == Cloud::kFadingOut ? c.fadeTimer : 1.0f - c.fadeTimer;
      }
    }
    if (c.state == Cloud::kFinished) continue;
    clouds[kept++] = c;
  }
  clouds.resize(kept);
  spawnCountdown -= simDt;
  if (spawnCountdown <= 0.0f) {
    spawnClouds(true);
    spawnCountdown += kSpawnInterval;
  }
}

void CloudSystem::drawClouds(const Camera& camera, const Colour& sunColour) const {
  const CameraPose pose{camera.yaw, camera.pitch, camera.position};
  const Colour water{1.0f, 1.0f, 1.0f, 1.0f};
  const Colour white{1.0f, 1.0f, 1.0f, 1.0f};
  for (const Cloud& c : clouds) {
    if (c.model < 0 || c.model >= static_cast<int>(models_.size())) continue;
    models_[static_cast<size_t>(c.model)].drawModel(pose, Vec3{25.0f, -50.0f, 50.0f}, water, sunColour, c.position,
                                                    c.yaw, 0.0f, kDrawScale, colour_, white, false, Vec2{0.0f, 0.0f},
                                                    c.alpha, false, false);
  }
}

bool CloudSystem::setCloudColour(const Colour& colour) {
  if (colour_.sameAs(colour)) return false;
  colour_ = colour;
  return true;
}

void CloudSystem::writeRecords(std::ostream& out) const {
  for (const Cloud& c : clouds) {
    out << textio::fixed6(c.position.x) << ',' << textio::fixed6(c.position.y) << ',' << textio::fixed6(c.position.z)
        << '\n'
        << textio::fixed6(c.yaw) << '\n'
        << c.model << '\n'
        << textio::fixed6(c.alpha) << '\n'
        << textio::fixed6(c.fadeTimer) << '\n'
        << c.state << '\n'
        << kRecordEnd << '\n';
  }
}

namespace {

// "x,y,z" with exactly three numbers; anything else leaves the position unset.
bool parsePosition(const std::string& line, Vec3& out) {
  Vec3 p;
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t comma = line.find(',', start);
    const bool last = i == 2;
    if (last != (comma == std::string::npos)) return false;
    const std::string piece = line.substr(start, last ? std::string::npos : comma - start);
    try {
      p[i] = textio::toFloat(piece);
    } catch (const textio::ParseError&) {
      return false;
    }
    start = comma + 1;
  }
  out = p;
  return true;
}

// A cloud from one record's lines (without the end marker). Later fields the
// record lacks keep their defaults. Throws ParseError for an unreadable number.
bool cloudFromLines(const std::vector<std::string>& lines, size_t first, size_t end, Cloud& c) {
  c = Cloud{};
  if (first >= end || !parsePosition(lines[first], c.position)) return false;
  const size_t n = end - first;
  if (n > 1) c.yaw = textio::toFloat(lines[first + 1]);
  if (n > 2) c.model = textio::toInt(lines[first + 2]);
  if (n > 3) c.alpha = textio::toFloat(lines[first + 3]);
  if (n > 4) c.fadeTimer = textio::toFloat(lines[first + 4]);
  if (n > 5) c.state = textio::toInt(lines[first + 5]);
  // A hand-edited or damaged record must not leave a cloud that never fades or never leaves.
  c.alpha = std::min(std::max(c.alpha, 0.0f), 1.0f);
  c.fadeTimer = std::min(std::max(c.fadeTimer, 0.0f), 1.0f);
  if (c.state < Cloud::kDrifting || c.state > Cloud::kFinished) c.state = Cloud::kDrifting;
  return true;
}

}  // namespace

bool CloudSystem::readRecords(const std::vector<std::string>& lines) {
  clouds.clear();
  bool ok = true;
  size_t first = 0;
  try {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] != kRecordEnd) {
        // Blank lines between records are not part of the next one.
        if (i == first && lines[i].empty()) ++first;
        continue;
      }
      Cloud c;
      if (cloudFromLines(lines, first, i, c)) {
        clouds.push_back(c);
      } else {
        logLine("ERROR: Problem loading cloud instance.");
      }
      first = i + 1;
    }
  } catch (const textio::ParseError& e) {
    logLine("ERROR: Exception thrown while reading the cloud instances: ", e.what());
    ok = false;
  }
  if (!clouds.empty()) ensureModels();
  if (clouds.empty()) spawnClouds(false);
  return ok;
}

bool CloudSystem::readRecords(std::istream& in) {
  std::vector<std::string> lines;
  std::string line;
  while (textio::readLine(in, line)) lines.push_back(line);
  return readRecords(lines);
}

}  // namespace qv
