// Where start-up spends its time: each step of the fixed start-up order
// reports how long it took to a sink that only benchmarks install. The player
// installs none; a report then costs one clock read.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

namespace tessaly::app {

// The steps in the order start-up runs them. The preload's time is split by
// what it did: the loading screen (with the listing of the asset
// directories), then its pictures, models and Maya scenes (those are
// interleaved, so each is the sum over its files).
enum class StartupStep : std::size_t {
  window,         // GLFW, the window and its context
  glew,           // GL entry points
  renderState,    // viewport, first black frame, filter chain (targets, two programs), "Data/" scan
  shaderSet,      // the seven demo programs
  loadingScreen,  // "Loading.jpg" drawn and presented, the asset directories listed
  pictures,       // every picture of the preload: decode (or take the decoded one), upload
  models,         // every OBJ file: read with its materials, swatches, buffers
  mayaScenes,     // every Maya file
  tracks,         // the sync device and its twenty tracks
  music,          // the soundtrack opened and started
  watcher,        // the data watcher thread started
  firstFrame,     // the first pass of the main loop, up to its present
};
inline constexpr std::size_t startupStepCount = 12;

// A short name of each step ("window", "first frame", ...).
const char* startupStepName(StartupStep step);

// Receives each step's duration on the main thread, as the step ends.
using StartupSink = void (*)(StartupStep step, std::chrono::nanoseconds spent);

// Installs the sink (null: none). Benchmarks only.
void setStartupSink(StartupSink sink);

// Hands a duration to the sink, if one is installed.
void reportStartupStep(StartupStep step, std::chrono::nanoseconds spent);

// Times consecutive steps: each `done` reports the time since the previous
// one (or since construction).
class StartupClock {
 public:
  StartupClock() : last_(std::chrono::steady_clock::now()) {}
  void done(StartupStep step);
  // Starts the next step now, reporting nothing for the time before.
  void restart() { last_ = std::chrono::steady_clock::now(); }
  // The last step reported done, or nothing before the first: after a
  // failed start-up, the step after it is the one that failed.
  std::optional<StartupStep> lastDone() const { return lastDone_; }

 private:
  std::chrono::steady_clock::time_point last_;
  std::optional<StartupStep> lastDone_;
};

}  // namespace tessaly::app
