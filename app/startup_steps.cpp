// Start-up step names and the benchmark's sink.
#include "app/startup_steps.h"

#include <array>
#include <atomic>

namespace tessaly::app {

namespace {

std::atomic<StartupSink> installedSink{nullptr};

constexpr std::array<const char*, startupStepCount> stepNames = {
    "window",   "GLEW",   "render state", "shader set", "loading screen", "pictures",
    "models",   "Maya scenes", "tracks", "music",      "watcher",        "first frame",
};

}  // namespace

const char* startupStepName(StartupStep step) {
  const auto index = static_cast<std::size_t>(step);
  return index < stepNames.size() ? stepNames[index] : "?";
}

void setStartupSink(StartupSink sink) {
  installedSink.store(sink);
}

void reportStartupStep(StartupStep step, std::chrono::nanoseconds spent) {
  if (const StartupSink sink = installedSink.load()) {
    sink(step, spent);
  }
}

void StartupClock::done(StartupStep step) {
  const auto now = std::chrono::steady_clock::now();
  reportStartupStep(step, std::chrono::duration_cast<std::chrono::nanoseconds>(now - last_));
  last_ = now;
  lastDone_ = step;
}

}  // namespace tessaly::app
