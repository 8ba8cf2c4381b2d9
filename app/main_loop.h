// The main loop: one frame per pass until Escape, a close request or, unless
// looping, the end of the music; then the shutdown.
#pragma once

#include "app/frame_inputs.h"
#include "app/startup_steps.h"

namespace tessaly::app {

// What one pass needs from the outside world. The player uses the music
// player, GLFW and the frame driver; tests put small fakes behind it.
class LoopServices {
 public:
  virtual ~LoopServices() = default;
  virtual void updateAudio() = 0;                  // let the audio refill its buffers
  virtual float musicSeconds() = 0;                // single precision, as the end test wants
  virtual double musicRow() = 0;                   // double precision
  virtual void fetchSpectrum(float* spectrum) = 0; // 512 magnitudes
  virtual void pollEvents() = 0;
  virtual bool escapePressed() = 0;
  virtual bool closeRequested() = 0;
  virtual void renderFrame() = 0;                  // draws and presents one frame
};

// Runs passes until the end flag is set; the pass that sets it still renders.
// Returns the number of passes run.
long runPasses(LoopServices& services, FrameInputs& inputs, bool loopDemo);

// The player's loop over the real services, then the shutdown: the sync
// device is destroyed, the music and audio output freed, GLFW terminated.
// The first pass, up to its present, is the last step `startup` times.
void runMainLoop();
void runMainLoop(StartupClock& startup);

}  // namespace tessaly::app
