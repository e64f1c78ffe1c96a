#include <gtest/gtest.h>

#include "core/log.hpp"
#include "scenes/scene.hpp"

using namespace qv;

namespace {
struct TestScene : Scene {
  explicit TestScene(const char* name, int backdrop = 0) : Scene(name, static_cast<Backdrop>(backdrop)) {}
  void onBecameCurrent() override { ++becameCurrent; }
  void afterTransitionedOut() override { ++transitionedOut; }
  int becameCurrent = 0, transitionedOut = 0;
};

// Runs the frame loop's update-and-swap until the switch happens; returns the frames taken.
int runUntilSwitched(float dt = 0.05f, int limit = 1000) {
  SceneSwitcher& sw = switcher();
  for (int frame = 1; frame <= limit; ++frame) {
    if ((sw.current() ? sw.current()->update(dt) : true) && sw.requested()) {
      sw.switchToRequestedScene();
      return frame;
    }
  }
  return -1;
}

// Three scenes with the usual sets: in 0 = FadeIn, out 0 = FadeOut (0.2 s) then Hidden (0.1 s).
struct SwitcherReset : ::testing::Test {
  void SetUp() override {
    switcher().clear(), switcher().entryCounter = 0;
    for (TestScene* s : {&a, &b, &c}) {
      s->addTransitionIn(steps::FadeIn, 0);
      s->addTransitionOut(steps::FadeOut, 0);
      s->addTransitionOut(steps::Hidden, 0);
    }
  }
  void TearDown() override { switcher().clear(); }
  TestScene a{"A"}, b{"B"}, c{"C", 1};
};
}  // namespace

TEST_F(SwitcherReset, FadeOutThenFadeInWithOpacities) {
  SceneSwitcher& sw = switcher();
  sw.setCurrent(&a);
  LogCapture log;
  requestScene(&b, 0);
  EXPECT_TRUE(a.transitionState() == 2 && a.hudOpacity() == 1.0f);  // first step at t = 0
  a.update(0.1f);
  EXPECT_NEAR(a.hudOpacity(), 0.5f, 1e-5);
  EXPECT_GT(runUntilSwitched(), 0);
  EXPECT_TRUE(sw.current() == &b && sw.requested() == nullptr && a.transitionedOut == 1 && b.becameCurrent == 1);
  EXPECT_TRUE(b.transitionState() == 1 && b.hudOpacity() == 0.0f) << "fading in from nothing";
  EXPECT_TRUE(log.contains("Finished transitioning out for Scene \"A\""));
  for (int i = 0; i < 10; ++i) b.update(0.05f);
  EXPECT_TRUE(b.transitionState() == 0 && b.hudOpacity() == 1.0f && sw.entryCounter == 1 && sw.drawnCursorVisible);
  EXPECT_TRUE(log.contains("Finished transitioning in for Scene \"B\""));
}

TEST_F(SwitcherReset, SecondRequestWinsAndTheCurrentSceneCanBeRequested) {
  switcher().setCurrent(&a);
  requestScene(&b, 0);
  a.update(0.15f);
  EXPECT_NEAR(a.hudOpacity(), 0.25f, 1e-5);
  requestScene(&c, 0);
  EXPECT_FLOAT_EQ(a.hudOpacity(), 1.0f);  // restarted from its first step
  runUntilSwitched();
  EXPECT_TRUE(switcher().current() == &c && b.becameCurrent == 0);

  // Requesting the current scene fades it out and back in.
  requestScene(&c, 0);
  EXPECT_GT(runUntilSwitched(), 0);
  EXPECT_TRUE(switcher().current() == &c && c.becameCurrent == 2 && c.transitionState() == 1);
}

TEST_F(SwitcherReset, MissingSetsNoCurrentSceneInstantStepAndTitleFadeOut) {
  // No current scene: the swap happens on the first frame.
  requestScene(&a, 0);
  EXPECT_EQ(runUntilSwitched(0.0f), 1);
  EXPECT_EQ(a.transitionState(), 1) << "fading in";

  // No out set 1 in the current scene: the request stays pending.
  requestScene(&b, 1);
  EXPECT_EQ(runUntilSwitched(0.05f, 50), -1);
  EXPECT_TRUE(switcher().current() == &a && switcher().requested() == &b);

  // The target has no in set 2: it shows at once, without counting an entry.
  TestScene topBar("Top");
  topBar.addTransitionOut(steps::FadeOut, 2);
  switcher().setCurrent(&topBar);
  const int entries = switcher().entryCounter;
  LogCapture log;
  requestScene(&b, 2);
  runUntilSwitched();
  EXPECT_TRUE(switcher().current() == &b && b.transitionState() == 0 && b.hudOpacity() == 1.0f && switcher().entryCounter == entries);
  EXPECT_FALSE(log.contains("Finished transitioning in for Scene \"B\""));

  // An instant step waits for a frame with time; a title fades only after the interface.
  TestScene quick("Quick"), menu("Menu", 1);
  quick.addTransitionOut(steps::Instant, 1);
  switcher().setCurrent(&quick);
  requestScene(&a, 1);
  EXPECT_FALSE(quick.update(0.0f)) << "Instant waits for a frame with time";
  EXPECT_TRUE(quick.update(0.016f));

  for (auto step : {steps::FadeOut, steps::Hidden, steps::TitleFadeOut}) menu.addTransitionOut(step, 1);
  switcher().setCurrent(&menu);
  requestScene(&a, 1);
  bool sawTitleDimming = false;
  for (int i = 0; i < 30 && !sawTitleDimming; ++i) {
    menu.update(0.03f);
    sawTitleDimming = menu.titleOpacity() < 0.99f && menu.titleOpacity() > 0.01f;
    // The title only dims once the interface is gone.
    EXPECT_TRUE(sawTitleDimming ? menu.hudOpacity() == 0.0f : menu.titleOpacity() == 1.0f) << i;
  }
  EXPECT_TRUE(sawTitleDimming);
}
