// Pictures decoded ahead on one worker thread, handed to the loaders only
// while their files are unchanged.
#include "assets/picture_prefetch.h"

#include "assets/asset_registry.h"
#include "platform/thread_priority.h"

#include <algorithm>
#include <utility>

namespace tessaly::assets {

namespace {

// The directory start-up scans for the loading picture.
constexpr const char* rootDirectory = "Data/";

// The pixels a decode of the file will hold, from the size its header
// states; 0 for a file that will not be decoded (no PNG or JPEG header, or
// a size the decoder refuses), which then takes no room.
std::size_t expectedBytes(const std::string& path) {
  const std::optional<PictureSize> size = readPictureSize(path);
  if (!size || !pictureSizeAllowed(*size)) {
    return 0;
  }
  return static_cast<std::size_t>(size->width) * static_cast<std::size_t>(size->height) * 4;
}

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

PicturePrefetch::~PicturePrefetch() { stopWorker(); }

void PicturePrefetch::stopWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  // The worker may be waiting for room in the budget.
  changed_.notify_all();
  if (worker_.joinable()) {
    worker_.join();
  }
}

void PicturePrefetch::finish() {
  stopWorker();
  std::lock_guard<std::mutex> lock(mutex_);
  for (Entry& entry : entries_) {
    if (entry.state == State::decoded) {
      release(entry);
      entry.state = State::taken;
    }
  }
}

void PicturePrefetch::release(Entry& entry) {
  held_ -= entry.bytes;
  entry.bytes = 0;
  entry.image = DecodedImage{};
  // The worker looks again before it counts as idle.
  waitingForRoom_ = false;
  changed_.notify_all();
}

void PicturePrefetch::start(std::vector<std::string> paths, std::size_t budget) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (worker_.joinable() || stopping_) {
    return;
  }
  budget_ = budget;
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
    const std::string path = entry.path;
    lock.unlock();
    const std::size_t needed = expectedBytes(path);
    lock.lock();
    // Room beside what the loaders have not taken yet; with nothing held,
    // any picture fits, however large.
    const auto fits = [&] {
      return held_ == 0 || (held_ <= budget_ && needed <= budget_ - held_);
    };
    while (!stopping_ && entry.state == State::queued && !fits()) {
      // Idle until a loader takes a picture (or this one).
      waitingForRoom_ = true;
      changed_.notify_all();
      changed_.wait(lock);
    }
    waitingForRoom_ = false;
    if (stopping_) {
      break;
    }
    if (entry.state != State::queued) {
      continue;  // a loader asked for it meanwhile and decoded it itself
    }
    entry.state = State::decoding;
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
    entry.bytes = entry.image.pixels.capacity();
    held_ += entry.bytes;
    peakHeld_ = std::max(peakHeld_, held_);
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
    // The worker may be waiting for room for this one.
    waitingForRoom_ = false;
    changed_.notify_all();
    lock.unlock();
    return decodeImage(path, image);
  }
  changed_.wait(lock, [entry] { return entry->state == State::decoded; });
  entry->state = State::taken;
  const std::optional<platform::FileIdentity> identity = entry->identity;
  const DecodeStatus status = entry->status;
  DecodedImage decoded = std::move(entry->image);
  // Handed over, the pixels are the loader's: room for the next decode.
  release(*entry);
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

void PicturePrefetch::waitUntilIdle() const {
  std::unique_lock<std::mutex> lock(mutex_);
  if (worker_.joinable()) {
    changed_.wait(lock, [this] { return done_ || waitingForRoom_; });
  }
}

std::size_t PicturePrefetch::heldBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

std::size_t PicturePrefetch::peakHeldBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peakHeld_;
}

std::size_t PicturePrefetch::handedOver() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handedOver_;
}

}  // namespace tessaly::assets
