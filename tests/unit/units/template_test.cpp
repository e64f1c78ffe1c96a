#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "render/model3d.hpp"
#include "render/palette.hpp"
#include "units_fixture.hpp"

using namespace qv;
using qvtest::col;

namespace {

TemplatePtr threeColourTemplate() {
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  t->primaryColourOptions = {col(1, 0, 0), col(0, 1, 0), col(0, 0, 1)};
  return t;
}

TEST(UnitTemplateColours, OffspringKeepsParentColourThreeTimesInFour) {
  rng::seed(99);
  auto t = threeColourTemplate();
  std::map<int, int> counts;
  const int n = 40000;
  for (int i = 0; i < n; ++i) {
    const Colour c = t->chooseColour(Unit3DTemplate::kPrimaryPart, col(1, 0, 0), false);
    counts[c.r > 0.5f ? 0 : (c.g > 0.5f ? 1 : 2)]++;
  }
  EXPECT_NEAR(counts[0] / double(n), 0.75, 0.01);
  // The other quarter is shared equally by the two other options.
  EXPECT_NEAR(counts[1] / double(n), 0.125, 0.01);
  EXPECT_NEAR(counts[2] / double(n), 0.125, 0.01);
}

TEST(UnitTemplateColours, ParentColourNoLongerAnOptionGivesUniformChoice) {
  rng::seed(7);
  auto t = threeColourTemplate();
  int counts[3] = {0, 0, 0};
  const int n = 30000;
  for (int i = 0; i < n; ++i) {
    const Colour c = t->chooseColour(Unit3DTemplate::kPrimaryPart, col(1, 1, 0), false);
    counts[c.r > 0.5f ? 0 : (c.g > 0.5f ? 1 : 2)]++;
  }
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(counts[k] / double(n), 1.0 / 3.0, 0.015);
}

TEST(UnitTemplateColours, EmptyAndSingleOptionListsAndFreshChoice) {
  auto t = threeColourTemplate();
  t->groundColourOptions.clear();
  const Colour w = t->chooseColour(Unit3DTemplate::kGroundPart, col(1, 0, 0), false);
  EXPECT_TRUE(w.sameAs(col(1, 1, 1)));
  // The secondary list has one option: always that one, fresh or not.
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(t->chooseColour(Unit3DTemplate::kSecondaryPart, col(1, 0, 0), i % 2).sameAs(col(0, 0, 1)));
  }
  // Fresh choices cover every option.
  bool seen[3] = {false, false, false};
  for (int i = 0; i < 200; ++i) {
    const Colour c = t->chooseColour(Unit3DTemplate::kPrimaryPart, col(1, 0, 0), true);
    seen[c.r > 0.5f ? 0 : (c.g > 0.5f ? 1 : 2)] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST(UnitTemplateColours, NextColoursAreKeptValidAndStepWithWrapping) {
  auto t = threeColourTemplate();
  EXPECT_FALSE(t->nextPrimaryChosen);
  t->ensureNextColours();
  EXPECT_TRUE(t->nextPrimaryChosen && t->nextSecondaryChosen && t->nextGroundChosen);
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(col(0, 0, 1)));
  EXPECT_TRUE(t->nextGroundColour.sameAs(col(1, 1, 1)));  // no ground options: white

  t->nextPrimaryColour = col(0, 0, 1);
  t->stepNextColour(+1, Unit3DTemplate::kPrimaryPart);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(col(1, 0, 0))) << "past the last option wraps to the first";
  t->stepNextColour(-1, Unit3DTemplate::kPrimaryPart);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(col(0, 0, 1))) << "below the first wraps to the last";
  t->nextPrimaryColour = col(0.3f, 0.3f, 0.3f);
  t->stepNextColour(-1, Unit3DTemplate::kPrimaryPart);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(col(1, 0, 0))) << "an unknown colour goes to the first option";
  t->groundColourOptions.clear();
  t->nextGroundColour = col(0.2f, 0.2f, 0.2f);
  t->stepNextColour(+1, Unit3DTemplate::kGroundPart);
  EXPECT_TRUE(t->nextGroundColour.sameAs(col(0.2f, 0.2f, 0.2f))) << "empty lists leave it unchanged";

  // An edit that removes the current next colour picks a fresh valid one.
  t->nextPrimaryColour = col(0, 1, 0);
  t->primaryColourOptions = {col(1, 0, 0), col(0, 0, 1)};
  t->ensureNextColours();
  EXPECT_FALSE(t->nextPrimaryColour.sameAs(col(0, 1, 0)));
}

TEST(UnitTemplateLists, UnassignKeepsIdOrderAndAssignCanGoToTheFront) {
  Unit3DTemplate::setNextTemplateId(0);
  TemplateLists lists;
  std::vector<TemplatePtr> ts;
  for (int i = 0; i < 7; ++i) {
    ts.push_back(qvtest::makeTemplate(0));
    lists.all.push_back(ts.back());
    lists.assign(ts.back());
  }
  EXPECT_EQ(ts[5]->templateId, 5);
  lists.unassign(ts[5]);
  lists.unassign(ts[2]);
  ASSERT_EQ(lists.unassigned.size(), 2u);
  EXPECT_EQ(lists.unassigned[0]->templateId, 2);
  EXPECT_EQ(lists.unassigned[1]->templateId, 5);
  lists.unassign(ts[6]);
  lists.unassign(ts[0]);
  lists.unassign(ts[0]);  // twice is once
  ASSERT_EQ(lists.unassigned.size(), 4u);
  EXPECT_EQ(lists.unassigned.front()->templateId, 0);
  EXPECT_EQ(lists.unassigned.back()->templateId, 6);
  EXPECT_EQ(lists.assignedIndex(ts[3].get()), 1);  // 1, 3, 4 remain

  lists.assign(ts[5], true);
  EXPECT_EQ(lists.assigned.front(), ts[5]);
  EXPECT_FALSE(std::count(lists.unassigned.begin(), lists.unassigned.end(), ts[5]));
  lists.assign(ts[5]);  // re-assigning moves, never duplicates
  EXPECT_EQ(std::count(lists.assigned.begin(), lists.assigned.end(), ts[5]), 1);
  EXPECT_EQ(lists.assigned.back(), ts[5]);

  // The n-th template not excluded.
  EXPECT_EQ(lists.nthAssignedNotIn(0, {ts[1]}), ts[3]);
  EXPECT_EQ(lists.nthAssignedNotIn(5, {}), nullptr);
  EXPECT_EQ(lists.nthUnassignedNotIn(1, {ts[0]}), ts[6]);
  EXPECT_TRUE(lists.inAll(ts[4].get()));
  EXPECT_TRUE(lists.isAssigned(ts[4].get()));
  EXPECT_FALSE(lists.isAssigned(ts[0].get()));

  // Handing over an element of the list being edited moves exactly that template.
  const TemplatePtr first = lists.assigned.front();
  const TemplatePtr second = lists.assigned[1];
  lists.unassign(lists.assigned.front());
  EXPECT_FALSE(lists.isAssigned(first.get()));
  EXPECT_TRUE(lists.isAssigned(second.get()));
  EXPECT_EQ(std::count(lists.unassigned.begin(), lists.unassigned.end(), second), 0);
  lists.assign(lists.unassigned.front(), true);
  EXPECT_EQ(lists.assigned.front(), ts[0]);
}

TEST(UnitTemplateLists, NewWorldUnassignsEverythingAndDropsRelations) {
  TemplateLists lists;
  auto a = qvtest::makeTemplate(0), b = qvtest::makeTemplate(2), c = qvtest::makeTemplate(2);
  for (auto& t : {c, a, b}) lists.assign(t);
  b->eats = {a, b};
  b->likes = {a};
  b->claimedByLoad = true;
  lists.resetForNewWorld();
  EXPECT_TRUE(lists.assigned.empty());
  ASSERT_EQ(lists.unassigned.size(), 3u);
  EXPECT_EQ(lists.unassigned[0], a);
  EXPECT_EQ(lists.unassigned[1], b);
  EXPECT_EQ(lists.unassigned[2], c);
  EXPECT_TRUE(b->eats.empty());
  EXPECT_TRUE(b->likes.empty());
  EXPECT_FALSE(b->claimedByLoad);
}

TEST(UnitTemplateHabitat, OnlyStationaryOtherTemplatesLikedFirst) {
  auto self = qvtest::makeTemplate(0);
  auto plant = qvtest::makeTemplate(0), rock = qvtest::makeTemplate(0), grazer = qvtest::makeTemplate(2);
  self->likes = {grazer, rock, self};
  self->eats = {plant, grazer, self};
  auto set = self->habitatSet();
  ASSERT_EQ(set.size(), 2u);
  EXPECT_EQ(set[0], rock);
  EXPECT_EQ(set[1], plant);
  std::vector<const Unit3DTemplate*> raw;
  self->habitatSet(raw);
  EXPECT_EQ(raw, (std::vector<const Unit3DTemplate*>{rock.get(), plant.get()}));
  // The rule filters live: a template that starts moving leaves the set.
  rock->moveSpeed = Unit3DTemplate::kSlow;
  EXPECT_EQ(self->habitatSet().size(), 1u);
}

TEST(UnitTemplateMeasures, HopFollowsSizeAndModelSwapsCarryMeasures) {
  auto flat = qvtest::makeTemplate(2);
  auto tall = qvtest::makeTemplate(2, false, 1, "UnitsTest Tall.obj");
  ASSERT_GT(flat->modelHeightMax(), 0.0f) << "the test model must load";
  EXPECT_NEAR(flat->modelHeightMax(), 1.0f, 1e-4f);
  EXPECT_NEAR(tall->modelHeightMax(), 4.0f, 1e-4f);
  const float expected = std::sqrt(flat->worldHeight() * 0.33f * 8.0f);
  EXPECT_NEAR(flat->hopSpeed, expected, 1e-5f);
  EXPECT_NEAR(flat->hopDuration, flat->hopSpeed * 0.5f, 1e-6f);
  // A bounce peaks at a third of the world height: h(t) = v t - 2 t^2 peaks at v^2 / 8.
  EXPECT_NEAR(flat->hopSpeed * flat->hopSpeed / 8.0f, flat->worldHeight() * 0.33f, 1e-5f);
  const float before = flat->hopSpeed;
  flat->size = 2.0f;
  flat->recomputeHop();
  EXPECT_NEAR(flat->hopSpeed / before, std::sqrt(2.0f), 1e-5f);
  EXPECT_NEAR(flat->sizeFactor(), 1.0f, 1e-6f);
  flat->size = 1.0f;
  flat->recomputeHop();
  EXPECT_NEAR(flat->sizeFactor(), 0.7f, 1e-6f);
  EXPECT_NEAR(flat->weight(), 0.49f, 1e-6f);

  const int idFlat = flat->templateId, idTall = tall->templateId;
  const float rFlat = flat->radius(), rTall = tall->radius();
  flat->swapModel(*tall);
  EXPECT_EQ(flat->templateId, idTall);
  EXPECT_EQ(tall->templateId, idFlat);
  EXPECT_FLOAT_EQ(flat->radius(), rTall);
  EXPECT_FLOAT_EQ(tall->radius(), rFlat);
  EXPECT_EQ(flat->modelFileName(), "UnitsTest Tall.obj");
  EXPECT_NEAR(flat->hopSpeed, std::sqrt(flat->worldHeight() * 0.33f * 8.0f), 1e-5f);
}

TEST(UnitTemplateMeasures, MissingModelGivesZeroMeasuresAndNoHop) {
  qvtest::useTestData();
  Unit3DTemplate t("No Such Model.obj", 1.0f, {}, {}, 2, {}, 1, 1, true, true, 1);
  EXPECT_EQ(t.radius(), 0.0f);
  EXPECT_EQ(t.hopSpeed, 0.0f);
  EXPECT_EQ(t.hopDuration, 0.0f);
}

TEST(UnitTemplateDefaults, FortyEightTemplatesSixUnassignedAllPrimaryGround) {
  qvtest::useTestData();
  TemplateLists lists;
  createDefaultTemplates(lists);
  EXPECT_EQ(lists.all.size(), 48u);
  EXPECT_EQ(lists.assigned.size(), 42u);
  ASSERT_EQ(lists.unassigned.size(), 6u);
  EXPECT_EQ(lists.unassigned[0]->modelFileName(), "Rock Tall.obj");
  EXPECT_EQ(lists.unassigned[5]->modelFileName(), "Rock Sideways.obj");
  for (size_t i = 1; i < lists.unassigned.size(); ++i)
    EXPECT_LT(lists.unassigned[i - 1]->templateId, lists.unassigned[i]->templateId);
  EXPECT_EQ(lists.assigned[0]->modelFileName(), "Crystal Top Tree.obj");
  EXPECT_EQ(lists.assigned.back()->modelFileName(), "Ducklike Creature.obj");
  int movers = 0;
  for (const auto& t : lists.all) {
    EXPECT_EQ(t->size, 1.0f);
    EXPECT_EQ(t->colourGround, Unit3DTemplate::kGroundPrimary);
    EXPECT_TRUE(t->breeds);
    EXPECT_TRUE(t->startsAsBaby);
    EXPECT_GE(t->primaryColourOptions.size(), 1u) << t->modelFileName();
    EXPECT_GE(t->secondaryColourOptions.size(), 1u) << t->modelFileName();
    for (const Colour& c : t->primaryColourOptions) EXPECT_GE(paletteIndexOf(c), 0);
    movers += t->moveSpeed != 0;
  }
  EXPECT_EQ(movers, 15);
  const auto snail = std::find_if(lists.all.begin(), lists.all.end(),
                                  [](const TemplatePtr& t) { return t->modelFileName() == "Snail Like Creature.obj"; });
  ASSERT_NE(snail, lists.all.end());
  EXPECT_EQ((*snail)->moveSpeed, Unit3DTemplate::kSlow);
  EXPECT_EQ(defaultTemplateModelNames().size(), 48u);
  lists.clear();
}

}  // namespace
