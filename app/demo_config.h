// The display configuration of a run: filled with defaults at start-up,
// edited by the setup dialog, read by the window, the filter chain and the
// demo's shader set. The show holds the one of the run.
#pragma once

#include <cstdint>

namespace tessaly::app {

struct DemoConfig {
  std::int32_t width = 0;          // 0: not chosen yet (the dialog puts the desktop size here)
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 32;  // colour depth a display mode must have to be offered
  std::int32_t fullscreen = 1;     // exactly 1: full screen on the primary monitor
  std::int32_t verticalSync = 1;   // non-zero: swap interval 1
  std::int32_t multisampling = 1;  // non-zero: 4 samples, multisampled off-screen targets
  std::int32_t loopDemo = 0;       // non-zero: the music loops and time never ends the demo
  void* instance = nullptr;        // kept for the dialog's sake; unused on Linux
};

}  // namespace tessaly::app
