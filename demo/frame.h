// The frame driver: draws one frame of the production from the sync tracks,
// the music time and the spectrum. Presenting it is the window's business.
#pragma once

#include "demo/frame_inputs.h"
#include "demo/scene_assets.h"

namespace tessaly::render {
class PostFilter;
}  // namespace tessaly::render

namespace tessaly::demo {

struct DemoShaders;

// What a frame draws with: the filter chain (its scene target, glow and
// savings), the demo's programs and the assets the scenes look up.
struct FrameResources {
  const render::PostFilter& filter;
  const DemoShaders& shaders;
  SceneAssets& assets;
};

// Draws the frame at `musicTime` from `inputs` (the tracks sampled at
// inputs.currentRow, the spectrum for the shake) into the window's back
// buffer, ready to be presented or read back. A frame whose scene number
// selects no scene clears the window to black. Main thread, context
// current. Allocates nothing.
void drawFrame(const FrameInputs& inputs, float musicTime, const FrameResources& resources);

}  // namespace tessaly::demo
