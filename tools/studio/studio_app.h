// The studio: the player's show in a resizable window of its own, driven by
// the studio's transport through the player's own pass (app::runPass with
// the studio's LoopServices), with the panels drawn over each frame and the
// content reloaded between frames.
#pragma once

#include "tools/studio/message_log.h"
#include "tools/studio/studio_options.h"

namespace tessaly::studio {

// Runs the studio on the Data/ of the current directory until the user
// quits, or until the shots the options ask for are written. Messages go
// to `log` (and stderr). Returns the exit status: 0, or 1 after start-up
// failed, a shot could not be written or no reload came in time (with the
// reason on stderr).
int runStudio(const StudioOptions& options, MessageLog& log);

}  // namespace tessaly::studio
