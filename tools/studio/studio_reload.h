// The studio's side of live reload: once a frame it hands the data
// watcher's news to the show's reloader and collects what was reloaded,
// with its cost, for the message panel and the inspector.
#pragma once

#include "app/show_reload.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::app {
struct Show;
}  // namespace tessaly::app

namespace tessaly::studio {

// One reload as the studio shows it.
struct ReloadEntry {
  std::string file;
  bool ok = false;
  double milliseconds = 0.0;
  std::string message;   // why it failed; empty when ok
  bool skipped = false;  // sound, but kept out on purpose (`message` says why)
};

class StudioReloads {
 public:
  // The show must be started; main thread only.
  explicit StudioReloads(app::Show& show);
  ~StudioReloads();
  StudioReloads(const StudioReloads&) = delete;
  StudioReloads& operator=(const StudioReloads&) = delete;

  // Between frames: starts work on what changed and applies what is ready.
  // Returns the reloads applied now, and keeps the newest for recent().
  std::vector<ReloadEntry> poll();

  // Asked before a changed track file replaces a track (see ShowReloader).
  void setTrackGate(app::ShowReloader::TrackGate gate);

  // The newest reloads, newest last (at most `keep`).
  const std::deque<ReloadEntry>& recent() const { return recent_; }
  static constexpr std::size_t keep = 8;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::deque<ReloadEntry> recent_;
};

}  // namespace tessaly::studio
