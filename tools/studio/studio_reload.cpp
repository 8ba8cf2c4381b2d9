// The studio's reload step, between two frames.
#include "tools/studio/studio_reload.h"

#include "app/show.h"

namespace tessaly::studio {

struct StudioReloads::Impl {
  explicit Impl(app::Show& show) : show(show) {}
  app::Show& show;

  // What the show's reloader applied since the last call.
  std::vector<ReloadEntry> applied() { return {}; }
};

StudioReloads::StudioReloads(app::Show& show) : impl_(std::make_unique<Impl>(show)) {}
StudioReloads::~StudioReloads() = default;

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
