#pragma once

namespace qv {

// The command and key layer's calls into the tool panels and the units screens,
// gathered in one place.
namespace peer {
void setGameSpeed(int index);  // 0 pause, 1..3 = x1, x5, x20; also marks the speed button
void toggleTool(int toolMode);  // kEraserTool, kTerrainTool or kWorldColoursTool
void stopHelpPulsing();
void eraserSizeRate(float perSecond);
void terrainSizeRate(float perSecond);
void terrainRateRate(float perSecond);
void selectTerrainTool(int index);
void placementColourStep(int key);  // 0..5 = C, V, B, N, M, comma
void placementKeepColour(bool held);
}  // namespace peer

}  // namespace qv
