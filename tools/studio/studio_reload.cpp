// The studio's reload step, between two frames.
#include "tools/studio/studio_reload.h"

#include "app/show.h"
#include "app/show_reload.h"

namespace tessaly::studio {

struct StudioReloads::Impl {
  explicit Impl(app::Show& show) : reloader(show) {}
  app::ShowReloader reloader;

  // Hands the watcher's news to the reloader and takes what it applied.
  std::vector<ReloadEntry> applied() {
    reloader.poll();
    std::vector<ReloadEntry> entries;
    for (app::ReloadReport& report : reloader.applyReady()) {
      entries.push_back(ReloadEntry{std::move(report.file), report.ok, report.milliseconds,
                                    std::move(report.message), report.skipped});
    }
    return entries;
  }
};

StudioReloads::StudioReloads(app::Show& show) : impl_(std::make_unique<Impl>(show)) {}
StudioReloads::~StudioReloads() = default;

void StudioReloads::setTrackGate(app::ShowReloader::TrackGate gate) {
  impl_->reloader.setTrackGate(std::move(gate));
}

std::vector<ReloadEntry> StudioReloads::poll() {
  std::vector<ReloadEntry> entries = impl_->applied();
  for (const ReloadEntry& entry : entries) {
    recent_.push_back(entry);
    while (recent_.size() > keep) {
      recent_.pop_front();
    }
  }
  return entries;
}

}  // namespace tessaly::studio
