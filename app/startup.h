// The program's start-up in its fixed order, and the process-wide state it
// owns.
#pragma once

#include "app/demo_config.h"
#include "app/startup_steps.h"

namespace tessaly::assets {
class ImageSource;
}  // namespace tessaly::assets

namespace tessaly::app {

// The start-up steps from the window to the sync tracks, in their fixed
// order, with the settings of demoConfig(): window and context (hidden when
// `visibleWindow` is false), GL entry points, render state with the filter
// chain, the demo shader set, the asset preload, the sync device with its
// twenty tracks. False when a step that ends start-up failed (after its
// message); failures of single assets are shown and start-up goes on. The
// player then opens the music to play, the capture tool to drive its clock.
// Pictures come from `pictures` (decoded at their step by default); each
// step's time goes to `clock`.
bool startShow(bool visibleWindow);
bool startShow(bool visibleWindow, assets::ImageSource& pictures, StartupClock& clock);

// How runProgram starts the show. The player runs with the defaults; the
// start-up benchmark puts fixed settings in place of the dialog and compares
// runs with and without the work done ahead. Nothing a user can set.
struct RunOptions {
  // Shows the setup dialog on the configuration; 1 means Start.
  int (*setupDialog)(DemoConfig* config) = nullptr;  // null: showSetupDialog
  // Decode the pictures and the soundtrack on worker threads from the very
  // start, while the dialog waits for the user and the window and shaders
  // are made; each step still takes its files, and shows its messages, at
  // its own place in the order.
  bool prefetch = true;
};

// Runs the whole program: defaults, setup dialog, startShow, music, watcher, main
// loop, shutdown. Returns the exit code: 0 after a normal run, -1 after Quit
// or a failed start-up.
int runProgram(const RunOptions& options = {});

}  // namespace tessaly::app
