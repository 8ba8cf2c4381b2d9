// The frame driver: tracks, shake, scene choice, the scene frame around each
// draw list (target, camera, glow, overlays) and the present.
#include "demo/frame.h"

#include "assets/maya_scene.h"
#include "assets/texture_registry.h"
#include "demo/scene_frame.h"
#include "render/post_filter.h"

namespace tessaly::demo {

namespace {

// Blur step of the glow pass, in screen pixels.
constexpr float glowRadius = 3.0f;

using DrawList = void (*)(const SceneFrame&);

// The draw list of scene 1 to 4 (index 0 unused).
constexpr DrawList drawLists[5] = {nullptr, drawScene1, drawScene2, drawScene3, drawScene4};

// Lays the scene's overlay picture for the frame's overlay number, if the
// scene lists one, over the window's framebuffer.
void layOverlay(const render::PostFilter& filter, int scene, const FrameTracks& tracks,
                SceneAssets& assets) {
  const char* picture = overlayTextureName(scene, tracks.overlayNumber);
  if (picture == nullptr) {
    return;
  }
  // Every full-screen draw writes depth; the overlay must not be hidden by
  // the glow's quads.
  render::PostFilter::clearDepth();
  filter.draw(assets.textures().find(picture), tracks.overlayAlpha);
}

// One scene: drawn into the filter chain's scene target from the camera on
// the scene's curve, then glowed onto the window and overlaid.
void sceneFrame(int scene, const FrameTracks& tracks, glm::vec2 shake, float musicTime,
                const FrameResources& resources) {
  const render::PostFilter& filter = resources.filter;
  SceneAssets& assets = resources.assets;
  const render::RenderTarget& target = filter.sceneTarget();

  filter.setOffset(0.0f, 0.0f);
  target.bind();
  const glm::vec3 curvePoint =
      assets.mayaScene().curvePoint(cameraCurveName(scene), tracks.curveParameter);
  const glm::vec3 eye = cameraEye(curvePoint, shake);
  render::PostFilter::clear();
  const Camera camera = buildCamera(eye, tracks);

  const SceneFrame frame{musicTime, tracks, camera, resources.shaders, assets};
  drawLists[scene](frame);

  target.unbind();
  // The glow clears the window again before it draws anything into it.
  if (!filter.savings().skipRepeatedClear) {
    render::PostFilter::clear();
  }
  filter.glow(glowRadius, tracks.fade);
  layOverlay(filter, scene, tracks, assets);
}

}  // namespace

void drawFrame(const FrameInputs& inputs, float musicTime, const FrameResources& resources) {
  const FrameTracks tracks = sampleFrameTracks(inputs);
  const glm::vec2 shake = cameraShake(tracks, inputs.spectrum, musicTime);
  const int scene = sceneToRun(tracks.sceneNumber);
  if (scene != 0) {
    sceneFrame(scene, tracks, shake, musicTime, resources);
  } else {
    // Nothing runs: present a defined black picture rather than whatever
    // the back buffer holds.
    render::PostFilter::clear();
  }
}

}  // namespace tessaly::demo
