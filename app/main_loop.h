// The main loop: one pass after another until Escape, a close request or,
// unless looping, the end of the music.
#pragma once

#include "app/startup_steps.h"

namespace tessaly::app {

struct Show;

// What one pass needs from the outside world: the clock, the window's
// events and the frame's way to the screen. The player plays the show's
// music into its window; capture sets the clock itself and reads each frame
// back; tests put small fakes behind it.
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

// The services of a show in its own window: its music as the clock, GLFW's
// events and keys, and the frame drawn by the frame driver at the music's
// time (read once more for the frame), then presented.
class ShowServices : public LoopServices {
 public:
  explicit ShowServices(Show& show) : show_(show) {}
  void updateAudio() override;
  float musicSeconds() override;
  double musicRow() override;
  void fetchSpectrum(float* spectrum) override;
  void pollEvents() override;
  bool escapePressed() override;
  bool closeRequested() override;
  void renderFrame() override;

 protected:
  // Puts the drawn frame on the screen; capture reads it back first.
  virtual void present();
  Show& show() { return show_; }

 private:
  Show& show_;
};

// One pass of the main loop: the audio refilled, the music time and the
// end test (81.6 s unless show.config.loopDemo), the row and the spectrum
// into show.inputs, the window's events, the Escape and close tests, and the
// frame rendered, which happens even on the pass that ends the show. True
// when that pass set the end flag.
bool runPass(Show& show, LoopServices& services);

// Runs passes until one sets the end flag; returns how many ran.
long runPasses(Show& show, LoopServices& services);

// The player's loop on the show, then its shutdown (endShow). The first
// pass, up to its present, is the last step `startup` times;
// `afterFirstFrame`, when given, is called right after it.
void runMainLoop(Show& show, StartupClock& startup, void (*afterFirstFrame)(Show&) = nullptr);

}  // namespace tessaly::app
