// The frame driver: draws and presents one frame of the production.
#pragma once

namespace tessaly::demo {

// Draws one frame from the frame inputs and the music time, then presents
// it. Main thread only, with the window's context current.
void renderFrame();

}  // namespace tessaly::demo
