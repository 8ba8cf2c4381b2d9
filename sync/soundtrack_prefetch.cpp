// The soundtrack's decode on a worker thread.
#include "sync/soundtrack_prefetch.h"

#include "platform/mp3_decoder.h"
#include "platform/thread_priority.h"

namespace tessaly::sync {

SoundtrackPrefetch::~SoundtrackPrefetch() {
  waitUntilDone();
}

void SoundtrackPrefetch::start(const std::string& path) {
  if (worker_.joinable() || !path_.empty()) {
    return;
  }
  path_ = path;
  worker_ = std::thread([this] {
    // The main thread, building the window and the render state meanwhile,
    // comes first.
    platform::lowerThisThreadPriority();
    const auto before = platform::fileIdentity(path_);
    std::optional<platform::PcmSound> decoded = platform::decodeMp3File(path_);
    const auto after = platform::fileIdentity(path_);
    if (decoded && before && after && *before == *after) {
      sound_ = std::make_shared<const platform::PcmSound>(std::move(*decoded));
      identity_ = before;
    }
  });
}

void SoundtrackPrefetch::waitUntilDone() {
  if (worker_.joinable()) {
    worker_.join();
  }
}

std::shared_ptr<const platform::PcmSound> SoundtrackPrefetch::take(const std::string& path) {
  waitUntilDone();
  std::shared_ptr<const platform::PcmSound> sound = std::move(sound_);
  sound_.reset();
  if (!sound || path != path_ || platform::fileIdentity(path) != identity_) {
    return nullptr;
  }
  return sound;
}

}  // namespace tessaly::sync
