// The GL side of tessaly-capture: the player's show started in a hidden
// window, and frames rendered through the player's own pass at a music time
// given by the caller, read back from the window.
#pragma once

#include "tools/capture/image.h"

#include <memory>

namespace tessaly::app {
struct Show;
}  // namespace tessaly::app

namespace tessaly::capture {

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

  // Whether the soundtrack was decoded.
  bool soundtrackReady() const;

  // Renders the frame at `seconds` of music time through one pass of the
  // main loop on the capture's clock: the row and spectrum taken from that
  // time, the frame drawn by the frame driver, read back from the back
  // buffer (top row first, opaque), then presented.
  void capture(double seconds, Image& frame);

  // Ends the show: the sync device, the soundtrack and the window go.
  void end();

  // The show being captured (its filter chain's savings, its assets).
  app::Show& show() { return *show_; }

 private:
  std::unique_ptr<app::Show> show_;
  bool started_ = false;
};

}  // namespace tessaly::capture
