// The GL side of tessaly-capture: the player's show started in a hidden
// window, and frames rendered through the player's own pass at a music time
// given by the caller, read back from the window.
#pragma once

#include "app/startup_steps.h"
#include "tools/capture/image.h"

#include <memory>

namespace tessaly::app {
struct Show;
}  // namespace tessaly::app

namespace tessaly::capture {

// Turns a frame as GL reads it back into the capture's frame: rows
// reversed (GL's first row is the bottom one), alpha set opaque (the
// window shows colour only; its alpha channel is the glow's leftover).
void finishReadBack(Image& frame);

class FrameCapture {
 public:
  FrameCapture();
  ~FrameCapture();
  FrameCapture(const FrameCapture&) = delete;
  FrameCapture& operator=(const FrameCapture&) = delete;

  // Starts the show (without dialog and watcher) in the current directory
  // for a hidden width x height window, windowed, without vertical sync,
  // with or without multisampling, with the soundtrack opened for a clock
  // the caller sets. False when start-up failed (its messages are on
  // stderr). When the soundtrack cannot be decoded, "Bass file loading
  // failed!" is shown and the spectrum stays silent (soundtrackReady()).
  bool start(int width, int height, bool multisampling);

  // After a failed start(): the step of start-up that failed.
  app::StartupStep failedStep() const;

  // Whether the soundtrack was decoded.
  bool soundtrackReady() const;

  // Renders the frame at `seconds` of music time through one pass of the
  // main loop on the capture's clock: the row and spectrum taken from that
  // time, the frame drawn by the frame driver, read back from the back
  // buffer (top row first, opaque), then presented.
  void capture(double seconds, Image& frame);

  // Renders the frame at `seconds` like capture(), but reads it back into
  // the pixel buffer object `packBuffer` (bottom row first, as GL reads it,
  // width() * height() * 4 bytes) without waiting for it, and does not
  // swap the hidden window's buffers: the caller maps the buffer later and
  // finishes it with finishReadBack().
  void render(double seconds, unsigned packBuffer);

  // The size of the frames.
  int width() const;
  int height() const;

  // Ends the show: the sync device, the soundtrack and the window go.
  void end();

  // The show being captured (its filter chain's savings, its assets).
  app::Show& show() { return *show_; }

 private:
  std::unique_ptr<app::Show> show_;
  app::StartupClock clock_;
  bool started_ = false;
};

}  // namespace tessaly::capture
