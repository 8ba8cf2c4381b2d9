// The player's run: defaults, setup dialog, the show started, played and
// ended.
#pragma once

#include "app/demo_config.h"
#include "assets/picture_prefetch.h"

#include <cstddef>

namespace tessaly::app {

struct Show;

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
  // Decoded pixels the picture worker holds ahead at most (the start-up
  // benchmark compares the default with no bound).
  std::size_t pictureBudget = assets::defaultPrefetchBudget;
  // Called with the show once its first frame has been presented (the
  // start-up benchmark measures memory there, then ends the process).
  void (*afterFirstFrame)(Show& show) = nullptr;
};

// Runs the whole program: defaults, setup dialog, startShow with the music
// and the watcher, the main loop, endShow. Returns the exit code: 0 after a
// normal run, -1 after Quit or a failed start-up, 128 + the signal after
// SIGTERM or SIGINT (at any point: the dialog, start-up or the show).
int runProgram(const RunOptions& options = {});

}  // namespace tessaly::app
