#include "app/peer_calls.hpp"

#include "scenes/game_scenes.hpp"

namespace qv::peer {

// The screens may not exist yet (start-up, tests without them); then a key does nothing.
void setGameSpeed(int index) { qv::setGameSpeed(index); }
void toggleTool(int toolMode) { qv::toggleTool(toolMode); }
void stopHelpPulsing() {
  if (auto* s = gameScenes().topHud.get()) s->stopHelpPulsing();
}
void eraserSizeRate(float r) {
  if (auto* s = gameScenes().eraser.get()) s->setSizeChangeRate(r);
}
void terrainSizeRate(float r) {
  if (auto* s = gameScenes().terrain.get()) s->setSizeChangeRate(r);
}
void terrainRateRate(float r) {
  if (auto* s = gameScenes().terrain.get()) s->setRateChangeRate(r);
}
void selectTerrainTool(int i) {
  if (auto* s = gameScenes().terrain.get()) s->selectTerrainTool(i);
}
void placementColourStep(int k) {
  if (auto* s = gameScenes().unitPlacement.get()) s->colourStep(k);
}
void placementKeepColour(bool held) {
  if (auto* s = gameScenes().unitPlacement.get()) s->setKeepColour(held);
}

}  // namespace qv::peer
