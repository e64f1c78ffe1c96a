#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "units/unit_template.hpp"

namespace qv {

class UnitGrid;

// How many units of each template live in the world, how many were born and
// died lately, and a history of the counts for the census panel. Counts are
// sampled every few game seconds (simulated time: the world's speed and pause
// apply) into a ring of fixed size, so memory stays bounded and a sample
// never allocates. Not saved: a new world or a load starts it afresh.
class Census {
 public:
  static constexpr float kSamplePeriod = 5.0f;  // game seconds between samples
  static constexpr int kSamples = 360;          // 30 game minutes
  static constexpr int kMinuteSamples = 12;     // one game minute
  static constexpr size_t kReservedRows = 64;   // more templates than this still work, with one allocation

  struct Row {
    const Unit3DTemplate* key = nullptr;
    std::weak_ptr<Unit3DTemplate> unitTemplate;
    int count = 0;  // living units at the last count
    int pendingBirths = 0, pendingDeaths = 0;  // since the last sample
    std::array<uint16_t, kSamples> counts{}, births{}, deaths{};
  };

  Census();

  // Back to no rows and no history.
  void restart();
  // Births (offspring) and deaths (hunger, age, bites) of living units.
  void noteBirth(const TemplatePtr& t);
  void noteDeath(const TemplatePtr& t);
  // Runs the sample clock by simDt; each full period counts the grid into the ring.
  void advance(float simDt, const UnitGrid& grid);
  // Counts the living units now (without sampling), for a panel that wants live numbers.
  void recount(const UnitGrid& grid);

  const std::vector<Row>& rows() const { return rows_; }
  // Samples held (at most kSamples), and the count of a row `age` samples ago (0 = the newest).
  int sampleCount() const { return filled_; }
  int countAt(const Row& row, int age) const { return row.counts[ringIndex(age)]; }
  // Births and deaths within the last game minute (the sample in progress included).
  int birthsLastMinute(const Row& row) const;
  int deathsLastMinute(const Row& row) const;
  // The largest count in the history, over every row (at least 1).
  int peakCount() const;
  float sinceSample() const { return clock_; }
  // Changes with every sample and every restart (for views that redraw on change).
  uint64_t serial() const { return serial_; }

 private:
  Row& rowFor(const TemplatePtr& t);
  int ringIndex(int age) const { return ((head_ - 1 - age) % kSamples + kSamples) % kSamples; }
  int sumRecent(const std::array<uint16_t, kSamples>& a, int pending) const;

  std::vector<Row> rows_;
  int head_ = 0;    // where the next sample goes
  int filled_ = 0;  // samples written, up to kSamples
  float clock_ = 0.0f;
  uint64_t serial_ = 0;
};

}  // namespace qv
