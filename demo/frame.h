// The frame driver: draws and presents one frame of the production from the
// sync tracks, the music time and the spectrum.
#pragma once

#include "app/frame_inputs.h"
#include "demo/scene_assets.h"

namespace tessaly::demo {

// The main loop's frame: reads the music time once (MusicPlayer::seconds)
// and draws and presents the frame for it from app::frameInputs().
void renderFrame();

// Draws the frame at `musicTime` from `inputs` (the tracks sampled at
// inputs.currentRow, the spectrum for the shake) and presents it. Needs the
// filter chain (render::postFilter()) and the demo shader set; main thread,
// context current. Allocates nothing.
void renderFrame(const app::FrameInputs& inputs, float musicTime,
                 SceneAssets& assets = loadedAssets());

// renderFrame without the final present: the finished frame is in the
// window's back buffer, where the capture tool reads it before presenting.
// A frame whose scene number selects no scene clears the window to black.
void drawFrame(const app::FrameInputs& inputs, float musicTime, SceneAssets& assets);

}  // namespace tessaly::demo
