// The player's run around its one show.
#include "app/startup.h"

#include "app/main_loop.h"
#include "app/setup_dialog.h"
#include "app/show.h"
#include "assets/picture_prefetch.h"
#include "platform/termination.h"
#include "sync/soundtrack_prefetch.h"

namespace tessaly::app {

int runProgram(const RunOptions& options) {
  // The player's show is never destroyed: what it holds ends with the
  // process, and nothing is released after the window has gone.
  static Show* const show = new Show;
  show->config = DemoConfig{};
  // Before anything starts SDL or a thread: SIGTERM and SIGINT end the
  // program through the same shutdown as Escape, with 128 + the signal.
  platform::installTerminationHandlers();

  // Started before the dialog, so decoding goes on while the user chooses.
  // Both wait for their worker when they go (at most one picture, or the
  // soundtrack's decode, after Quit).
  assets::PicturePrefetch pictures;
  sync::SoundtrackPrefetch soundtrack;
  if (options.prefetch) {
    pictures.start(assets::startupPicturePaths(), options.pictureBudget);
    soundtrack.start(musicFileName);
  }

  const auto setupDialog = options.setupDialog != nullptr ? options.setupDialog : showSetupDialog;
  if (setupDialog(&show->config) != 1) {
    return platform::terminationExitStatus(-1);
  }
  StartupClock clock;
  ShowOptions start;
  start.pictures = &pictures;
  start.soundtrack = &soundtrack;
  start.clock = &clock;
  const bool started = startShow(*show, start);
  // The preload has taken every picture it wanted: whatever the worker still
  // holds (a file listed at first and gone since) is freed, not kept for the
  // whole show.
  pictures.finish();
  if (!started) {
    if (platform::terminationSignal() != 0) {
      endShow(*show);
    }
    return platform::terminationExitStatus(-1);
  }
  runMainLoop(*show, clock, options.afterFirstFrame);
  return platform::terminationExitStatus(0);
}

}  // namespace tessaly::app
