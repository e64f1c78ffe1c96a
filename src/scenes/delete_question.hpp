#pragma once
#include "scenes/scene_gameplay.hpp"

namespace qv {

// "Delete this unit?" for the template the units screen marked.
class SceneGameplayWithDeleteUnit : public SceneGameplay {
 public:
  static constexpr int kCancel = 2501, kDelete = 2502;
  SceneGameplayWithDeleteUnit();
  bool handleCommand(int id) override;
  // Deletes the marked template with its units; false when nothing valid was marked.
  bool deleteMarked();
};

}  // namespace qv
