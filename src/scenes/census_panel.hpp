#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/font.hpp"
#include "ui/hud.hpp"
#include "ui/image.hpp"
#include "ui/line_chart.hpp"
#include "ui/template_preview.hpp"

namespace qv {

class World;
class Census;

// The census over the world (Tab): for every template with living units a
// turning preview, its name, how many live and how many were born and died in
// the last game minute, sorted by count and paged; beside them a chart of the
// counts over the last 30 game minutes, one line per template in its primary
// colour. Reads the world's census; costs nothing while hidden.
class CensusPanel {
 public:
  static constexpr int kBody = 3900, kPreviousPage = 3901, kNextPage = 3902;
  static constexpr int kRowsPerPage = 8;
  // Shown size in design pixels and its top-left corner (y up from the centre).
  static constexpr float kWidth = 1660.0f, kHeight = 850.0f, kLeft = -830.0f, kTop = 468.0f;

  CensusPanel();
  // Live counts, the sorted rows and the texts; the chart when a sample arrived.
  void update(World& world, float dt);
  void draw(float alpha);
  // Design pixels from the interface centre. Inside the panel it answers a
  // button's identifier or kBody (so the world under it is not touched), else 0.
  int mouse(float x, float y, int action);

  int page() const { return page_; }
  int pageCount() const { return pageCount_; }
  int listedCount() const { return static_cast<int>(order_.size()); }
  // Template of the listed row at the index on the current page (null past the end).
  const Unit3DTemplate* listedTemplate(int row) const;
  size_t chartSegments() const { return chart_.segmentCount(); }

 private:
  struct RowWidgets {
    std::optional<ImageUnit3DTemplate> preview;
    ImageRect swatch;
    TextDynamic name, count, births, deaths;
    const Unit3DTemplate* shownTemplate = nullptr;
    int shownCount = -1, shownBirths = -1, shownDeaths = -1;
  };
  void refreshRows(const Census& census);
  void rebuildChart(const Census& census);
  void setPage(int page);

  std::shared_ptr<Hud> hud_;
  std::shared_ptr<HudButton> previous_, next_;
  std::array<RowWidgets, kRowsPerPage> rows_;
  TextDynamic pageText_, peakText_, halfText_, emptyText_;
  ImageRect chartBack_, gridLine_;
  LineChartMesh chart_;
  std::vector<int> order_;   // census rows with living units, by count
  std::vector<float> points_;  // one line's points while the chart is rebuilt
  int page_ = 0, pageCount_ = 1, shownPage_ = -1;
  float recountTimer_ = 0.0f;
  uint64_t chartSerial_ = ~uint64_t{0};  // the census state the chart was built for
  size_t chartRows_ = 0;
};

// The one census panel of the run; made on first use (it needs the fonts and pictures).
CensusPanel& censusPanel();
bool censusPanelExists();
// Whether the panel is open (Tab); kept across scenes, forgotten with the run.
bool& censusPanelOpen();

}  // namespace qv
