// Pictures decoded ahead on one worker thread, handed to the loaders only
// while their files are unchanged.
#include "assets/picture_prefetch.h"

#include "assets/asset_registry.h"
#include "platform/thread_priority.h"

#include <utility>

namespace tessaly::assets {

namespace {

// The directory start-up scans for the loading picture.
constexpr const char* rootDirectory = "Data/";

}  // namespace

std::vector<std::string> startupPicturePaths() {
  std::vector<std::string> paths;
  for (const std::string& name : pictureNames(rootDirectory)) {
    paths.push_back(rootDirectory + name);
  }
  AssetList list;
  for (const char* directory : assetDirectories) {
    listAssets(list, directory);
  }
  for (std::size_t i = 0; i < list.kinds.size(); ++i) {
    if (list.kinds[i] == AssetKind::image) {
      paths.push_back(list.paths[i]);
    }
  }
  return paths;
}

PicturePrefetch::~PicturePrefetch() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  if (worker_.joinable()) {
    worker_.join();
  }
}

void PicturePrefetch::start(std::vector<std::string> paths) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (worker_.joinable() || stopping_) {
    return;
  }
  entries_.reserve(paths.size());
  for (std::string& path : paths) {
    Entry entry;
    entry.path = std::move(path);
    entries_.push_back(std::move(entry));
  }
  worker_ = std::thread([this] { run(); });
}

void PicturePrefetch::run() {
  // The main thread, building the window and the render state meanwhile,
  // comes first.
  platform::lowerThisThreadPriority();
  // Too old a DevIL: the loaders find every picture still queued, decode
  // it themselves and report it as they always do.
  const bool usable = initializeDevilQuietly();
  std::unique_lock<std::mutex> lock(mutex_);
  for (Entry& entry : entries_) {
    if (stopping_ || !usable) {
      break;
    }
    if (entry.state != State::queued) {
      continue;  // claimed by a loader that got there first
    }
    entry.state = State::decoding;
    const std::string path = entry.path;
    lock.unlock();

    DecodedImage image;
    const auto before = platform::fileIdentity(path);
    const DecodeStatus status = decodeImage(path, image);
    const auto after = platform::fileIdentity(path);

    lock.lock();
    // A file written while it was decoded may have given a mix of both
    // versions: such a decode is never handed over.
    entry.identity = before && after && *before == *after ? before : std::nullopt;
    entry.status = status;
    entry.image = std::move(image);
    entry.state = State::decoded;
    changed_.notify_all();
  }
  done_ = true;
  changed_.notify_all();
}

PicturePrefetch::Entry* PicturePrefetch::find(const std::string& path) {
  for (Entry& entry : entries_) {
    if (entry.path == path) {
      return &entry;
    }
  }
  return nullptr;
}

DecodeStatus PicturePrefetch::decode(const std::string& path, DecodedImage& image) {
  std::unique_lock<std::mutex> lock(mutex_);
  Entry* entry = find(path);
  if (entry == nullptr || entry->state == State::taken) {
    lock.unlock();
    return decodeImage(path, image);
  }
  if (entry->state == State::queued) {
    entry->state = State::taken;
    lock.unlock();
    return decodeImage(path, image);
  }
  changed_.wait(lock, [entry] { return entry->state == State::decoded; });
  entry->state = State::taken;
  const std::optional<platform::FileIdentity> identity = entry->identity;
  const DecodeStatus status = entry->status;
  DecodedImage decoded = std::move(entry->image);
  entry->image = DecodedImage{};
  lock.unlock();

  if (!identity || platform::fileIdentity(path) != identity) {
    return decodeImage(path, image);
  }
  image = std::move(decoded);
  std::lock_guard<std::mutex> count(mutex_);
  ++handedOver_;
  return status;
}

void PicturePrefetch::waitUntilDone() const {
  std::unique_lock<std::mutex> lock(mutex_);
  if (worker_.joinable()) {
    changed_.wait(lock, [this] { return done_; });
  }
}

std::size_t PicturePrefetch::handedOver() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handedOver_;
}

}  // namespace tessaly::assets
