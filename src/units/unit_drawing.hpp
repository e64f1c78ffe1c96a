#pragma once
#include "core/colour.hpp"
#include "core/vecmath.hpp"

namespace qv {

class ModelBatch;
class World;
struct Camera;

// What a frame's unit drawing needs besides the world and the camera.
struct UnitDrawLight {
  Vec3 sunPosition{};
  Colour waterColour{1, 1, 1, 1};
  Colour sunColour{1, 1, 1, 1};
  bool cameraUnderWater = false;
};
// The eraser's red highlight: units within reach of the ground point while it is active.
struct UnitDrawEraser {
  bool active = false;
  Vec2 groundPoint{};
  float size = 0.0f;
};

// Every unit of the world in the game's draw order: the grid's units that finished
// fading in, then the dying list, then the new-units list. Units outside the view
// are skipped; the rest go through the batch in a few instanced draws. With lod
// false every unit keeps its full mesh (reference pictures).
void drawUnits(World& world, const Camera& camera, const UnitDrawLight& light, const UnitDrawEraser& eraser,
               ModelBatch& batch, bool lod = true);

// The game's one unit batch (its buffers live as long as the GPU resources).
ModelBatch& unitBatch();

}  // namespace qv
