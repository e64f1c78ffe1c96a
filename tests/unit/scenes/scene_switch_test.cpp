#include <gtest/gtest.h>

#include "core/log.hpp"
#include "scenes/scene.hpp"

using namespace qv;

namespace {
class TestScene : public Scene {
 public:
  explicit TestScene(const char* name, int backdrop = 0) : Scene(name, backdrop) {}
  void onBecameCurrent() override { ++becameCurrent; }
  void afterTransitionedOut() override { ++transitionedOut; }
  int becameCurrent = 0;
  int transitionedOut = 0;
};

void standard(Scene& s) {
  s.addTransitionIn(steps::FadeIn, 0);
  s.addTransitionOut(steps::FadeOut, 0);
  s.addTransitionOut(steps::Hidden, 0);
}

// Runs the frame loop's update-and-swap until the switch happens; returns the frames taken.
int runUntilSwitched(SceneSwitcher& sw, float dt, int limit = 1000) {
  for (int frame = 1; frame <= limit; ++frame) {
    Scene* cur = sw.current();
    const bool done = cur ? cur->update(dt) : true;
    if (done && sw.requested()) {
      sw.switchToRequestedScene();
      return frame;
    }
  }
  return -1;
}

struct SwitcherReset : ::testing::Test {
  void SetUp() override {
    switcher().clear();
    switcher().entryCounter = 0;
  }
  void TearDown() override { switcher().clear(); }
};
}  // namespace

TEST_F(SwitcherReset, FadeOutThenFadeInWithOpacities) {
  TestScene a("A"), b("B");
  standard(a);
  standard(b);
  SceneSwitcher& sw = switcher();
  sw.setCurrent(&a);
  LogCapture log;
  requestScene(&b, 0);
  EXPECT_EQ(a.transitionState(), 2);
  EXPECT_FLOAT_EQ(a.hudOpacity(), 1.0f);  // first step at t = 0
  a.update(0.1f);
  EXPECT_NEAR(a.hudOpacity(), 0.5f, 1e-5);
  EXPECT_EQ(a.mouse(0, 0, 1), 0);  // no presses while fading
  // FadeOut 0.2 s + Hidden 0.1 s, 0.05 s frames; the step ends when its time exceeds its duration.
  const int frames = runUntilSwitched(sw, 0.05f);
  EXPECT_GT(frames, 0);
  EXPECT_EQ(sw.current(), &b);
  EXPECT_EQ(sw.requested(), nullptr);
  EXPECT_EQ(a.transitionedOut, 1);
  EXPECT_EQ(b.becameCurrent, 1);
  EXPECT_EQ(b.transitionState(), 1);
  EXPECT_FLOAT_EQ(b.hudOpacity(), 0.0f);
  EXPECT_TRUE(log.contains("Finished transitioning out for Scene \"A\""));
  for (int i = 0; i < 10; ++i) b.update(0.05f);
  EXPECT_EQ(b.transitionState(), 0);
  EXPECT_FLOAT_EQ(b.hudOpacity(), 1.0f);
  EXPECT_EQ(sw.entryCounter, 1);
  EXPECT_TRUE(sw.drawnCursorVisible);
  EXPECT_TRUE(log.contains("Finished transitioning in for Scene \"B\""));
}

TEST_F(SwitcherReset, SecondRequestWinsAndRestartsTheFade) {
  TestScene a("A"), b("B"), c("C");
  standard(a);
  standard(b);
  standard(c);
  switcher().setCurrent(&a);
  requestScene(&b, 0);
  a.update(0.15f);
  EXPECT_NEAR(a.hudOpacity(), 0.25f, 1e-5);
  requestScene(&c, 0);
  EXPECT_FLOAT_EQ(a.hudOpacity(), 1.0f);  // restarted from its first step
  runUntilSwitched(switcher(), 0.05f);
  EXPECT_EQ(switcher().current(), &c);
  EXPECT_EQ(b.becameCurrent, 0);
}

TEST_F(SwitcherReset, RequestingTheCurrentSceneFadesOutAndBackIn) {
  TestScene a("A");
  standard(a);
  switcher().setCurrent(&a);
  requestScene(&a, 0);
  EXPECT_GT(runUntilSwitched(switcher(), 0.05f), 0);
  EXPECT_EQ(switcher().current(), &a);
  EXPECT_EQ(a.becameCurrent, 1);
  EXPECT_EQ(a.transitionState(), 1);
}

TEST_F(SwitcherReset, MissingInSetShowsTheSceneAtOnce) {
  TestScene topBar("Top"), dialog("Dialog");
  topBar.addTransitionOut(steps::FadeOut, 2);  // has out set 2
  standard(dialog);                            // has only set 0
  switcher().setCurrent(&topBar);
  LogCapture log;
  requestScene(&dialog, 2);
  runUntilSwitched(switcher(), 0.05f);
  EXPECT_EQ(switcher().current(), &dialog);
  EXPECT_EQ(dialog.transitionState(), 0);
  EXPECT_FLOAT_EQ(dialog.hudOpacity(), 1.0f);
  EXPECT_EQ(switcher().entryCounter, 0);
  EXPECT_FALSE(log.contains("Finished transitioning in for Scene \"Dialog\""));
}

TEST_F(SwitcherReset, RequestWithoutAMatchingOutSetStaysPending) {
  TestScene a("A"), b("B");
  standard(a);
  switcher().setCurrent(&a);
  requestScene(&b, 1);
  EXPECT_EQ(a.transitionState(), 0);
  EXPECT_EQ(runUntilSwitched(switcher(), 0.05f, 50), -1);
  EXPECT_EQ(switcher().current(), &a);
  EXPECT_EQ(switcher().requested(), &b);
}

TEST_F(SwitcherReset, NoCurrentSceneSwapsImmediately) {
  TestScene b("B");
  standard(b);
  requestScene(&b, 0);
  EXPECT_EQ(runUntilSwitched(switcher(), 0.0f), 1);
  EXPECT_EQ(switcher().current(), &b);
  EXPECT_EQ(b.transitionState(), 1);
}

TEST_F(SwitcherReset, BackdropFlagTurnsOnceOnlyBackdropOnAndOff) {
  TestScene a("A"), dialog("Dialog", 0), menu("Menu", 1);
  standard(a);
  standard(dialog);
  standard(menu);
  switcher().setCurrent(&a);
  requestScene(&dialog, 0, true);
  runUntilSwitched(switcher(), 0.05f);
  EXPECT_EQ(dialog.backdropMode(), 2);
  requestScene(&a, 0);
  runUntilSwitched(switcher(), 0.05f);
  requestScene(&dialog, 0, false);
  runUntilSwitched(switcher(), 0.05f);
  EXPECT_EQ(dialog.backdropMode(), 0);
  requestScene(&menu, 0, false);
  runUntilSwitched(switcher(), 0.05f);
  EXPECT_EQ(menu.backdropMode(), 1);  // "always" never changes
}

TEST_F(SwitcherReset, InstantStepWaitsForAFrameWithTime) {
  TestScene a("A"), b("B");
  a.addTransitionOut(steps::Instant, 1);
  b.addTransitionIn(steps::FadeIn, 1);
  switcher().setCurrent(&a);
  requestScene(&b, 1);
  EXPECT_FALSE(a.update(0.0f));
  EXPECT_TRUE(a.update(0.016f));
}

TEST_F(SwitcherReset, TitleFadeOutDimsOnlyTheTitleOpacity) {
  TestScene menu("Menu", 1), next("Next");
  menu.addTransitionOut(steps::FadeOut, 1);
  menu.addTransitionOut(steps::Hidden, 1);
  menu.addTransitionOut(steps::TitleFadeOut, 1);
  standard(next);
  switcher().setCurrent(&menu);
  requestScene(&next, 1);
  bool sawTitleDimming = false;
  for (int i = 0; i < 30 && !sawTitleDimming; ++i) {
    menu.update(0.03f);
    if (menu.titleOpacity() < 0.99f && menu.titleOpacity() > 0.01f) {
      sawTitleDimming = true;
      EXPECT_FLOAT_EQ(menu.hudOpacity(), 0.0f);
    } else {
      EXPECT_FLOAT_EQ(menu.titleOpacity(), 1.0f);
    }
  }
  EXPECT_TRUE(sawTitleDimming);
}
