#pragma once

namespace qv {

// The images every scene shares: the menu backdrop and the drawn cursor.
// Made once, by the first scene constructed.
struct SceneImages;
SceneImages& sceneImages();
// Start decoding pictures and preparing models on worker threads: first what the
// loading screen shows, then, once it has it, what the other scenes and the first world need.
void prefetchLoadingScreenFiles();
void prefetchSceneFiles();
void drawBackdrop();
// Draws the cursor picture with its top-left corner (its tip) at the mouse position.
void drawCursor(float mouseX, float mouseY);

}  // namespace qv

namespace qv {
class Scene;
// The shared title, version plate and logo Huds of the menu screens.
void addTitleHuds(Scene& scene);
// The loading screen's panel with its "Loading" text.
void addLoadingHud(Scene& scene);
}  // namespace qv
