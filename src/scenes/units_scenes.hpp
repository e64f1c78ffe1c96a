#pragma once

#include "scenes/scene_gameplay.hpp"
#include "scenes/top_hud_scenes.hpp"

namespace qv {

class SceneGameplayWithTopHudAndUnitPlacementHud : public SceneGameplayWithTopHud {
 public:
  SceneGameplayWithTopHudAndUnitPlacementHud();
};

class SceneGameplayWithUnitsHud : public SceneGameplay {
 public:
  SceneGameplayWithUnitsHud();
};

class SceneGameplayWithEditUnitHud : public SceneGameplay {
 public:
  SceneGameplayWithEditUnitHud();
};

class SceneGameplayWithSelectModelHud : public SceneGameplay {
 public:
  SceneGameplayWithSelectModelHud();
};

class SceneGameplayWithDeleteUnit : public SceneGameplay {
 public:
  SceneGameplayWithDeleteUnit();
};

}  // namespace qv
