// Live reload for a show that authors edit while it plays: what the data
// watcher saw change under "Data/" is read again and takes the place of what
// the show held, between frames, on the thread that owns the GL context.
// Pictures are decoded on a thread of the reloader's own so the frame loop
// never waits for them. A file that does not read cleanly leaves the last
// good object in use and says why; once it is whole again it is picked up.
// The player never makes one: it reloads nothing.
#pragma once

#include "app/reload_plan.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::app {

struct Show;

// What one reload came to.
struct ReloadReport {
  std::string file;         // e.g. "Data/Shaders/Overlay.frag"
  bool ok = false;          // false: the last good object stays in use
  double milliseconds = 0;  // time spent on it (decoding included)
  // Why it failed (the driver's log with file and line, the reader's
  // messages); when ok, a note worth telling or empty.
  std::string message;
  // The file was sound but left unapplied on purpose (a track gate said
  // why, in `message`); ok is true.
  bool skipped = false;
};

class ShowReloader {
 public:
  // Reloads into `show`, which must be started, from the data watcher it
  // holds (one is started when it has none). Everything is called on the
  // thread that owns the show's GL context.
  explicit ShowReloader(Show& show);
  ~ShowReloader();
  ShowReloader(const ShowReloader&) = delete;
  ShowReloader& operator=(const ShowReloader&) = delete;

  // Takes what the watcher saw since the last call, coalesced per file, and
  // starts decoding the pictures whose files are done. When the watcher lost
  // changes (the system's queue overflowed) the data folder is compared
  // with what it held before, and the watching starts again. Once a frame.
  void poll();

  // Applies the reloads that are ready, for at most about `budgetMs` (one
  // at least, when one is ready), and reports each. Between frames.
  std::vector<ReloadReport> applyReady(double budgetMs = 20.0);

  // Nothing waiting, nothing being decoded.
  bool idle() const;

  // Asked before a changed track file, read whole and found sound, takes the
  // place of its track's keys: nullopt lets it, a reason keeps the track as
  // it is (the report is ok and skipped, and carries the reason). An editor that writes
  // the files itself uses it so its own save, or a file changed under its
  // unsaved edits, does not overwrite what it holds.
  using TrackGate =
      std::function<std::optional<std::string>(const std::string& file, std::string_view bytes)>;
  void setTrackGate(TrackGate gate);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The compile and link log of a program turned into lines that name the
// file and line of each error ("Data/Shaders/Model.frag:12:5: error: ...")
// instead of the driver's "0:12(5): error: ...".
std::string describeShaderLog(std::string_view log);

}  // namespace tessaly::app
