#include <gtest/gtest.h>

#include <algorithm>

#include "render/palette.hpp"
#include "units_fixture.hpp"

using namespace qv;
using qvtest::col;

namespace {

int optionIndex(const Colour& c) { return c.r > 0.5f ? 0 : (c.g > 0.5f ? 1 : 2); }

TEST(UnitTemplateColours, OffspringKeepsParentColourThreeTimesInFourSingleAndEmptyListsAndNextColoursWrap) {
  // A parent colour that is still an option is kept three times in four, the other quarter
  // shared by the others; one that is no longer an option, or a fresh choice, is uniform.
  const struct { Colour parent; bool fresh; double share[3]; } rows[] = {
      {col(1, 0, 0), false, {0.75, 0.125, 0.125}}, {col(1, 1, 0), false, {1 / 3.0, 1 / 3.0, 1 / 3.0}},
      {col(1, 0, 0), true, {1 / 3.0, 1 / 3.0, 1 / 3.0}}};
  rng::seed(99);
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  t->primaryColourOptions = {col(1, 0, 0), col(0, 1, 0), col(0, 0, 1)};
  for (const auto& row : rows) {
    int counts[3] = {0, 0, 0}, n = 40000;
    for (int i = 0; i < n; ++i) ++counts[optionIndex(t->chooseColour(Unit3DTemplate::kPrimaryPart, row.parent, row.fresh))];
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(counts[k] / double(n), row.share[k], 0.012) << "option " << k;
  }
  EXPECT_TRUE(t->chooseColour(Unit3DTemplate::kGroundPart, col(1, 0, 0), false).sameAs(col(1, 1, 1)));
  // The secondary list has one option: always that one, fresh or not.
  for (int i = 0; i < 20; ++i)
    EXPECT_TRUE(t->chooseColour(Unit3DTemplate::kSecondaryPart, col(1, 0, 0), i % 2).sameAs(col(0, 0, 1)));

  t->ensureNextColours();
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(col(0, 0, 1)) && t->nextGroundColour.sameAs(col(1, 1, 1)))
      << "the only option; white without options";

  // {from, step, expected}: wrapping both ways; an unknown colour goes to the first option.
  const struct { Colour from; int step; Colour to; } steps[] = {
      {col(0, 0, 1), +1, col(1, 0, 0)}, {col(1, 0, 0), -1, col(0, 0, 1)}, {col(0.3f, 0.3f, 0.3f), -1, col(1, 0, 0)}};
  for (const auto& r : steps) {
    t->nextPrimaryColour = r.from;
    t->stepNextColour(r.step, Unit3DTemplate::kPrimaryPart);
    EXPECT_TRUE(t->nextPrimaryColour.sameAs(r.to)) << r.from.r << " " << r.step;
  }
  t->nextGroundColour = col(0.2f, 0.2f, 0.2f);
  t->stepNextColour(+1, Unit3DTemplate::kGroundPart);
  EXPECT_TRUE(t->nextGroundColour.sameAs(col(0.2f, 0.2f, 0.2f))) << "empty lists leave it unchanged";

  // An edit that removes the current next colour picks a fresh valid one.
  t->nextPrimaryColour = col(0, 1, 0);
  t->primaryColourOptions = {col(1, 0, 0), col(0, 0, 1)};
  t->ensureNextColours();
  EXPECT_FALSE(t->nextPrimaryColour.sameAs(col(0, 1, 0)));
}

std::vector<int> ids(const std::vector<TemplatePtr>& list) {
  std::vector<int> out;
  for (const auto& t : list) out.push_back(t->templateId);
  return out;
}
using Ids = std::vector<int>;

TEST(UnitTemplateLists, UnassignKeepsIdOrderAssignCanGoToTheFrontAndANewWorldUnassignsAll) {
  Unit3DTemplate::setNextTemplateId(0);
  TemplateLists lists;
  std::vector<TemplatePtr> ts;
  for (int i = 0; i < 7; ++i) lists.all.push_back(ts.emplace_back(qvtest::makeTemplate(0))), lists.assign(ts.back());
  for (int i : {5, 2, 6, 0, 0}) lists.unassign(ts[i]);  // twice is once
  EXPECT_EQ(ids(lists.unassigned), (Ids{0, 2, 5, 6}));
  EXPECT_EQ(lists.assignedIndex(ts[3].get()), 1);  // 1, 3, 4 remain
  lists.assign(ts[5], true);
  EXPECT_EQ(ids(lists.assigned), (Ids{5, 1, 3, 4}));
  lists.assign(ts[5]);  // re-assigning moves, never duplicates
  EXPECT_EQ(ids(lists.assigned), (Ids{1, 3, 4, 5}));
  // The n-th template not excluded.
  EXPECT_TRUE(lists.nthAssignedNotIn(0, {ts[1]}) == ts[3] && lists.nthAssignedNotIn(5, {}) == nullptr &&
              lists.nthUnassignedNotIn(1, {ts[0]}) == ts[6]);
  // Handing over an element of the list being edited moves exactly that template.
  lists.unassign(lists.assigned.front());
  EXPECT_EQ(std::pair(ids(lists.assigned), ids(lists.unassigned)), std::pair(Ids{3, 4, 5}, Ids{0, 1, 2, 6}));
  lists.assign(lists.unassigned.front(), true);
  EXPECT_EQ(std::pair(ids(lists.assigned), ids(lists.unassigned)), std::pair(Ids{0, 3, 4, 5}, Ids{1, 2, 6}));
  // A new world unassigns everything, in id order, and drops the relations.
  std::tie(ts[3]->eats, ts[3]->likes, ts[3]->claimedByLoad) = std::tuple(std::vector{ts[0], ts[3]}, std::vector{ts[0]}, true);
  lists.resetForNewWorld();
  EXPECT_EQ(std::pair(ids(lists.assigned), ids(lists.unassigned)), std::pair(Ids{}, Ids{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(ts[3]->eats.empty() && ts[3]->likes.empty() && !ts[3]->claimedByLoad);
}

TEST(UnitTemplateHabitat, OnlyStationaryOtherTemplatesLikedFirst) {
  auto self = qvtest::makeTemplate(0), plant = qvtest::makeTemplate(0), rock = qvtest::makeTemplate(0), grazer = qvtest::makeTemplate(2);
  self->likes = {grazer, rock, self};
  self->eats = {plant, grazer, self};
  EXPECT_EQ(self->habitatSet(), (std::vector<TemplatePtr>{rock, plant}));
  std::vector<const Unit3DTemplate*> raw;
  self->habitatSet(raw);
  EXPECT_EQ(raw, (std::vector<const Unit3DTemplate*>{rock.get(), plant.get()}));
  // The rule filters live: a template that starts moving leaves the set.
  rock->moveSpeed = Unit3DTemplate::kSlow;
  EXPECT_EQ(self->habitatSet().size(), 1u);
  // Outside a world's lists nothing breaks the self-reference for us.
  self->likes = self->eats = {};
}

TEST(UnitTemplateMeasures, ModelSwapsCarryMeasures) {
  auto flat = qvtest::makeTemplate(2), tall = qvtest::makeTemplate(2, false, 1, "UnitsTest Tall.obj");
  ASSERT_NEAR(flat->modelHeightMax(), 1.0f, 1e-4f) << "the test model must load";
  const auto facts = [](const Unit3DTemplate& t) { return std::tuple(t.templateId, t.modelFileName(), t.radius(), t.hopSpeed); };
  const auto tallBefore = facts(*tall), flatBefore = facts(*flat);
  flat->swapModel(*tall);
  EXPECT_EQ(std::pair(facts(*flat), facts(*tall)), std::pair(tallBefore, flatBefore));
}

TEST(UnitTemplateDefaults, SixUnassignedInIdOrderAllPrimaryGroundWithPaletteColours) {
  qvtest::useTestData();
  TemplateLists lists;
  createDefaultTemplates(lists);
  ASSERT_TRUE(lists.unassigned.size() == 6u && lists.assigned.size() + 6u == lists.all.size());
  EXPECT_TRUE(std::ranges::is_sorted(lists.unassigned, {}, [](const TemplatePtr& t) { return t->templateId; }));
  for (const auto& t : lists.all) {
    EXPECT_TRUE(t->colourGround == Unit3DTemplate::kGroundPrimary && t->breeds && t->startsAsBaby);
    EXPECT_FALSE(t->primaryColourOptions.empty() || t->secondaryColourOptions.empty()) << t->modelFileName();
    for (const Colour& c : t->primaryColourOptions) EXPECT_GE(paletteIndexOf(c), 0);
  }
  lists.clear();
}

}  // namespace
