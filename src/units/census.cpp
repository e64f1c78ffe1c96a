#include "units/census.hpp"

#include <algorithm>
#include <cmath>

#include "units/unit.hpp"
#include "units/unit_grid.hpp"

namespace qv {

namespace {
uint16_t clamp16(int v) { return static_cast<uint16_t>(std::clamp(v, 0, 65535)); }
}  // namespace

Census::Census() { rows_.reserve(kReservedRows); }

void Census::restart() {
  rows_.clear();
  head_ = filled_ = 0;
  clock_ = 0.0f;
  ++serial_;
}

Census::Row& Census::rowFor(const TemplatePtr& t) {
  for (Row& r : rows_)
    if (r.key == t.get()) return r;
  Row& r = rows_.emplace_back();
  r.key = t.get();
  r.unitTemplate = t;
  return r;
}

void Census::noteBirth(const TemplatePtr& t) {
  if (t) ++rowFor(t).pendingBirths;
}

void Census::noteDeath(const TemplatePtr& t) {
  if (t) ++rowFor(t).pendingDeaths;
}

void Census::recount(const UnitGrid& grid) {
  for (Row& r : rows_) r.count = 0;
  // Units of one template cluster in cells, so the last row found is usually the next one wanted.
  Row* last = nullptr;
  grid.forEachNear(0.0f, 0.0f, -1.0f, [&](Unit3D& u) {
    if (!u.unitTemplate || !u.alive()) return;
    if (!last || last->key != u.unitTemplate.get()) last = &rowFor(u.unitTemplate);
    ++last->count;
  });
}

void Census::advance(float simDt, const UnitGrid& grid) {
  if (!(simDt > 0.0f)) return;
  clock_ += simDt;
  if (clock_ < kSamplePeriod) return;
  // A step longer than the whole history fills it once; the rest would be overwritten anyway.
  const int due = static_cast<int>(std::min(clock_ / kSamplePeriod, static_cast<float>(kSamples)));
  clock_ = std::fmod(clock_, kSamplePeriod);
  recount(grid);
  for (int n = 0; n < due; ++n) {
    for (Row& r : rows_) {
      r.counts[head_] = clamp16(r.count);
      r.births[head_] = clamp16(n == 0 ? r.pendingBirths : 0);
      r.deaths[head_] = clamp16(n == 0 ? r.pendingDeaths : 0);
    }
    head_ = (head_ + 1) % kSamples;
    filled_ = std::min(filled_ + 1, kSamples);
  }
  for (Row& r : rows_) r.pendingBirths = r.pendingDeaths = 0;
  ++serial_;
}

int Census::sumRecent(const std::array<uint16_t, kSamples>& a, int pending) const {
  // The sample in progress plus the whole samples that complete the minute.
  int sum = pending;
  const int n = std::min(filled_, kMinuteSamples - 1);
  for (int age = 0; age < n; ++age) sum += a[ringIndex(age)];
  return sum;
}

int Census::birthsLastMinute(const Row& row) const { return sumRecent(row.births, row.pendingBirths); }
int Census::deathsLastMinute(const Row& row) const { return sumRecent(row.deaths, row.pendingDeaths); }

int Census::peakCount() const {
  int peak = 1;
  for (const Row& r : rows_) {
    for (int age = 0; age < filled_; ++age) peak = std::max(peak, static_cast<int>(r.counts[ringIndex(age)]));
  }
  return peak;
}

}  // namespace qv
