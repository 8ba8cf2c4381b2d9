// The GL side of tessaly-capture: the player's start-up in a hidden window,
// and frames rendered by the frame driver at a music time given by the
// caller, read back from the window.
#pragma once

#include "tools/capture/image.h"

namespace tessaly::capture {

// Runs the player's start-up (without dialog and watcher) in the current
// directory for a hidden width x height window, windowed, without vertical
// sync, with or without multisampling, then opens the soundtrack for a
// clock the caller sets. False when start-up failed (its messages are on
// stderr). `soundtrackReady` tells whether the soundtrack was decoded; when
// it was not, "Bass file loading failed!" has been printed and the spectrum
// stays silent.
bool startCapture(int width, int height, bool multisampling, bool& soundtrackReady);

// Renders the frame at `seconds` of music time: the clock set to it, the row
// and spectrum taken from it, the frame drawn by the frame driver, read back
// from the back buffer (top row first, opaque), then presented.
void captureFrame(double seconds, Image& frame);

// Frees the sync device, the soundtrack and the window.
void endCapture();

}  // namespace tessaly::capture
