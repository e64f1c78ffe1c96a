#pragma once
#include <string>

#include "scenes/scene_gameplay.hpp"

namespace qv {

class SceneGameplayWithTopHud : public SceneGameplay {
 public:
  SceneGameplayWithTopHud();

 protected:
  explicit SceneGameplayWithTopHud(std::string name);
};

class SceneGameplayWithTopHudAndEraserHud : public SceneGameplayWithTopHud {
 public:
  SceneGameplayWithTopHudAndEraserHud();
};

class SceneGameplayWithTopHudAndTerrainHud : public SceneGameplayWithTopHud {
 public:
  SceneGameplayWithTopHudAndTerrainHud();
};

class SceneGameplayWithTopHudAndWorldColorsHud : public SceneGameplayWithTopHud {
 public:
  SceneGameplayWithTopHudAndWorldColorsHud();
};

}  // namespace qv
