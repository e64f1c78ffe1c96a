#include "scenes/census_panel.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "units/world.hpp"

namespace qv {

namespace {

// Layout in design pixels from the panel's top-left corner (y up).
constexpr float kRowTop = -192.0f, kRowStep = 71.0f, kPreviewSize = 64.0f;
constexpr float kNameX = 146.0f, kNameWidth = 400.0f;
constexpr float kCountX = 560.0f, kBornX = 676.0f, kDiedX = 786.0f, kNumberBox = 96.0f;
constexpr float kChartX = 930.0f, kChartBottom = -735.0f, kChartWidth = 680.0f, kChartHeight = 550.0f;
constexpr float kLineThickness = 3.0f;
constexpr float kRecountPeriod = 0.25f;  // real seconds between live counts
const Colour kHeaderColour = kMessageColour;
const Colour kWhite{1.0f, 1.0f, 1.0f, 1.0f};

std::unique_ptr<CensusPanel>& panelSlot() {
  static std::unique_ptr<CensusPanel> panel;
  return panel;
}

Colour primaryOf(const Unit3DTemplate& t) {
  return t.primaryColourOptions.empty() ? kWhite : t.primaryColourOptions.front();
}

// "Mushroom Tree.obj" -> "Mushroom Tree", shortened with "..." to fit the column.
void setName(TextDynamic& text, const Unit3DTemplate& t, float widthPx) {
  std::string name = t.modelFileName();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".obj") == 0) name.resize(name.size() - 4);
  text.setText(name);
  while (text.width() > widthPx && name.size() > 1) {
    name.pop_back();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    text.setText(name + "...");
  }
}

void setNumber(TextDynamic& text, int& shown, int value, const char* format) {
  if (shown == value) return;
  shown = value;
  char buf[24];
  std::snprintf(buf, sizeof buf, format, value);
  text.setText(buf);
}

// The chart's top line: the peak rounded up to 1, 2 or 5 times a power of ten.
int chartTop(int peak) {
  int step = 1;
  while (true) {
    for (int m : {1, 2, 5})
      if (m * step >= peak) return m * step;
    step *= 10;
  }
}

TextDynamic centred(int size, float x, float y, float box, const Colour& colour) {
  TextDynamic t(size, "", x, y, colour);
  t.setCentring(true, static_cast<int>(x), static_cast<int>(box));
  return t;
}

}  // namespace

CensusPanel& censusPanel() {
  if (!panelSlot()) panelSlot() = std::make_unique<CensusPanel>();
  return *panelSlot();
}
bool censusPanelExists() { return panelSlot() != nullptr; }
bool& censusPanelOpen() {
  static bool open = false;
  return open;
}

CensusPanel::CensusPanel()
    : pageText_(26, "", 226.0f, -793.0f, kHeaderColour),
      peakText_(26, "", kChartX + 10.0f, kChartBottom + kChartHeight - 6.0f, kHeaderColour),
      halfText_(26, "", kChartX + 10.0f, kChartBottom + kChartHeight * 0.5f - 6.0f, kHeaderColour),
      emptyText_(centred(26, kChartX, kChartBottom + kChartHeight * 0.5f + 13.0f, kChartWidth, kHeaderColour)),
      chartBack_("White Pixel.png", 1.0f, 1.0f, kAnchorTopLeft),
      gridLine_("White Pixel.png", 1.0f, 1.0f, kAnchorTopLeft),
      chart_(static_cast<size_t>(Census::kReservedRows) * (Census::kSamples - 1)) {
  hud_ = std::make_shared<Hud>();
  hud_->background = std::make_shared<ImageHudUnits>(kWidth - 24.0f, kHeight - 203.0f);
  hud_->setPositionPx(kLeft, kTop);
  auto text = [&](float x, float y, const char* s, int size, const Colour& c) {
    hud_->addComponent(std::make_shared<HudTextStatic>(x, y, s, size, c), 0);
  };
  text(48.0f, -40.0f, "Census", 47, kWhite);
  text(232.0f, -56.0f, "Every kind of unit in the world, and how it fares", 26, kHeaderColour);
  ImageTextStatic probe(26, "Tab to close");
  text(kWidth - 56.0f - static_cast<float>(probe.width), -56.0f, "Tab to close", 26, kHeaderColour);
  text(kNameX, -146.0f, "Unit", 26, kHeaderColour);
  auto header = [&](float x, const char* s) {
    ImageTextStatic p(26, s);
    text(x + std::floor((kNumberBox - static_cast<float>(p.width)) / 2.0f), -146.0f, s, 26, kHeaderColour);
  };
  header(kCountX, "Count");
  header(kBornX, "Born");
  header(kDiedX, "Died");
  text(kChartX, -146.0f, "Counts over the last 30 game minutes", 26, kHeaderColour);
  text(kChartX, kChartBottom - 12.0f, "30 min ago", 26, kHeaderColour);
  ImageTextStatic mid(26, "15 min"), now(26, "now");
  text(kChartX + std::floor((kChartWidth - static_cast<float>(mid.width)) / 2.0f), kChartBottom - 12.0f, "15 min", 26,
       kHeaderColour);
  text(kChartX + kChartWidth - static_cast<float>(now.width), kChartBottom - 12.0f, "now", 26, kHeaderColour);
  text(430.0f, -793.0f, "Born and died: within the last game minute", 26, kHeaderColour);
  previous_ = std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Arrow Facing Left.png", "", 44.0f,
                                                        -772.0f, kPreviousPage, "Previous Page", kTooltipAbove);
  next_ = std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Arrow Facing Right.png", "", 130.0f,
                                                    -772.0f, kNextPage, "Next Page", kTooltipAbove);
  hud_->addComponent(previous_, 1);
  hud_->addComponent(next_, 1);

  for (int k = 0; k < kRowsPerPage; ++k) {
    RowWidgets& r = rows_[static_cast<size_t>(k)];
    const float y = kRowTop - kRowStep * static_cast<float>(k);
    r.preview.emplace(kPreviewSize, kPreviewSize, nullptr, true);
    r.preview->scaleFactor = 0.75f;  // long models (fish) stay inside the small square
    r.preview->offsetX = pxToUnits(48.0f);
    r.preview->offsetY = pxToUnits(y);
    r.swatch = ImageRect("White Pixel.png", 8.0f, 44.0f, kAnchorTopLeft, pxToUnits(126.0f), pxToUnits(y - 10.0f));
    r.name = TextDynamic(33, "", kNameX, y - 14.0f, kWhite);
    r.count = centred(33, kCountX, y - 14.0f, kNumberBox, kHeaderColour);
    r.births = centred(33, kBornX, y - 14.0f, kNumberBox, kHeaderColour);
    r.deaths = centred(33, kDiedX, y - 14.0f, kNumberBox, kHeaderColour);
  }
  order_.reserve(Census::kReservedRows);
  points_.reserve(2 * Census::kSamples);
}

const Unit3DTemplate* CensusPanel::listedTemplate(int row) const { return rows_[static_cast<size_t>(row)].shownTemplate; }

void CensusPanel::setPage(int page) { page_ = std::clamp(page, 0, std::max(pageCount_ - 1, 0)); }

void CensusPanel::update(World& world, float dt) {
  Census& census = world.census;
  recountTimer_ -= dt;
  if (recountTimer_ <= 0.0f) {
    census.recount(world.grid);
    recountTimer_ = kRecountPeriod;
  }
  hud_->update(dt);
  refreshRows(census);
  if (census.serial() != chartSerial_ || census.rows().size() != chartRows_) rebuildChart(census);
}

void CensusPanel::refreshRows(const Census& census) {
  const auto& rows = census.rows();
  order_.clear();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].count > 0) order_.push_back(static_cast<int>(i));
  std::sort(order_.begin(), order_.end(), [&](int a, int b) {
    if (rows[a].count != rows[b].count) return rows[a].count > rows[b].count;
    return rows[a].key->modelFileName() < rows[b].key->modelFileName();
  });
  pageCount_ = std::max(1, (static_cast<int>(order_.size()) + kRowsPerPage - 1) / kRowsPerPage);
  setPage(page_);
  previous_->setState(page_ > 0 ? kStateActive : kStateDisabled);
  next_->setState(page_ + 1 < pageCount_ ? kStateActive : kStateDisabled);
  if (shownPage_ != page_ || pageText_.text().empty()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Page %d of %d", page_ + 1, pageCount_);
    pageText_.setText(buf);
    shownPage_ = page_;
  }
  for (int k = 0; k < kRowsPerPage; ++k) {
    RowWidgets& w = rows_[static_cast<size_t>(k)];
    const int listed = page_ * kRowsPerPage + k;
    if (listed >= static_cast<int>(order_.size())) {
      if (w.shownTemplate) w.preview->setTemplate(nullptr);
      w.shownTemplate = nullptr;
      continue;
    }
    const Census::Row& row = rows[static_cast<size_t>(order_[static_cast<size_t>(listed)])];
    if (w.shownTemplate != row.key) {
      w.shownTemplate = row.key;
      w.preview->setTemplate(row.unitTemplate.lock());
      setName(w.name, *row.key, kNameWidth);
      w.swatch.drawColour = primaryOf(*row.key);
    }
    setNumber(w.count, w.shownCount, row.count, "%d");
    const int born = census.birthsLastMinute(row), died = census.deathsLastMinute(row);
    setNumber(w.births, w.shownBirths, born, born > 0 ? "+%d" : "%d");
    setNumber(w.deaths, w.shownDeaths, died, died > 0 ? "-%d" : "%d");
  }
  if (pageText_.text().empty()) shownPage_ = -1;
}

void CensusPanel::rebuildChart(const Census& census) {
  chartSerial_ = census.serial();
  chartRows_ = census.rows().size();
  const int top = chartTop(census.peakCount());
  char buf[24];
  const int n = census.sampleCount();
  std::snprintf(buf, sizeof buf, "%d", top);
  peakText_.setText(n >= 2 ? buf : "");
  std::snprintf(buf, sizeof buf, "%d", top / 2);
  halfText_.setText(n >= 2 && top >= 2 ? buf : "");
  // Until two samples exist there is no line to draw: say why the chart is empty.
  emptyText_.setText(n >= 2 ? "" : "The chart fills as game time passes");
  chart_.begin();
  if (n >= 2) {
    const float dx = kChartWidth / static_cast<float>(Census::kSamples - 1);
    const float scale = kChartHeight / static_cast<float>(top);
    for (const Census::Row& row : census.rows()) {
      points_.clear();
      bool any = false;
      for (int age = n - 1; age >= 0; --age) {
        const int c = census.countAt(row, age);
        any = any || c > 0;
        points_.push_back(kChartWidth - dx * static_cast<float>(age));
        points_.push_back(static_cast<float>(c) * scale);
      }
      if (any) chart_.addLine(points_.data(), points_.size() / 2, primaryOf(*row.key), kLineThickness);
    }
  }
  chart_.finish();
}

void CensusPanel::draw(float alpha) {
  hud_->tooltipsDrawnByOwner = true;
  hud_->draw(alpha);
  const float x = hud_->posX, y = hud_->posY;
  // The chart's darker ground and its quarter lines.
  drawRect(chartBack_, x + pxToUnits(kChartX), y + pxToUnits(kChartBottom + kChartHeight), 0.0f, alpha * 0.35f, 1.0f,
           kChartWidth, kChartHeight, {0.0f, 0.0f, 0.0f, 1.0f}, -1.0f);
  for (int q = 0; q <= 4; ++q)
    drawRect(gridLine_, x + pxToUnits(kChartX), y + pxToUnits(kChartBottom + kChartHeight * q / 4.0f + 1.0f), 0.0f,
             alpha * (q == 0 ? 0.6f : 0.2f), 1.0f, kChartWidth, 2.0f, kHeaderColour, -1.0f);
  chart_.draw(x + pxToUnits(kChartX), y + pxToUnits(kChartBottom), alpha);
  peakText_.draw(x, y, alpha);
  emptyText_.draw(x, y, alpha);
  halfText_.draw(x, y, alpha);
  for (RowWidgets& r : rows_) {
    if (!r.shownTemplate) continue;
    r.preview->draw(x, y, alpha);
    r.swatch.draw(x, y, alpha);
    r.name.draw(x, y, alpha);
    r.count.draw(x, y, alpha);
    r.births.draw(x, y, alpha);
    r.deaths.draw(x, y, alpha);
  }
  pageText_.draw(x, y, alpha);
  hud_->drawTooltips(alpha);
}

int CensusPanel::mouse(float mx, float my, int action) {
  const bool inside = mx >= kLeft && mx <= kLeft + kWidth && my <= kTop && my >= kTop - kHeight;
  if (!inside) {
    hud_->mouse(-10000.0f, -10000.0f, kMouseMove);
    return 0;
  }
  const int r = hud_->mouse(mx - hud_->posX * 540.0f, my - hud_->posY * 540.0f, action);
  if (action == kMousePress && r == kPreviousPage) setPage(page_ - 1);
  if (action == kMousePress && r == kNextPage) setPage(page_ + 1);
  return r > 0 ? r : kBody;
}

}  // namespace qv
