#include "units/unit_drawing.hpp"

#include "render/gpu_resources.hpp"
#include "render/model_batch.hpp"
#include "units/unit.hpp"
#include "units/world.hpp"
#include "world/camera.hpp"

namespace qv {
namespace {

void queue(ModelBatch& batch, const Unit3D& u, const UnitDrawEraser& eraser, bool ordered) {
  if (!u.unitTemplate || !u.unitTemplate->model) return;
  const bool highlighted = eraser.active && u.withinReach(eraser.groundPoint, eraser.size);
  const float alpha = u.drawAlpha();
  batch.add(*u.unitTemplate->model, u.drawPosition(), u.yaw + u.animYaw, u.animRoll, u.drawScale(), u.primaryColour,
            u.secondaryColour, u.hit || highlighted, alpha, u.asleep, ordered || alpha < 1.0f);
}

}  // namespace

void drawUnits(World& world, const Camera& camera, const UnitDrawLight& light, const UnitDrawEraser& eraser,
               ModelBatch& batch, bool lod) {
  batch.begin({camera.yaw, camera.pitch, camera.position}, aspectRatio(), 0, lod);
  world.grid.forEachNear(0.0f, 0.0f, -1.0f, [&](const Unit3D& u) {
    if (u.fadeIn > 0.0f) return;
    queue(batch, u, eraser, false);
  });
  // Fading units blend over what is behind them, so they come after every opaque one.
  for (const auto& u : world.dying) queue(batch, *u, eraser, true);
  for (const auto& u : world.newUnits) queue(batch, *u, eraser, true);
  batch.flush(light.sunPosition, light.waterColour, light.sunColour, light.cameraUnderWater);
}

ModelBatch& unitBatch() {
  static ModelBatch batch;
  return batch;
}

}  // namespace qv
