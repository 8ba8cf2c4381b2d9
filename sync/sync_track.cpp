// Sync track files and their sampling.
#include "sync/sync_track.h"

#include "assets/path_limit.h"
#include "sync/sync_track_detail.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace tessaly::sync {

namespace {

std::uint32_t littleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Reads a track's key count and keys with `readItem(buffer, size)`, which
// fills `size` bytes and says whether it could. The count is only an upper
// bound: keys are appended as they are read, so a count the data cannot back
// never drives an allocation, and a partial last key is dropped.
// Never throws.
template <typename ReadItem>
void readKeys(ReadItem&& readItem, std::vector<SyncKey>& keys) {
  unsigned char count[4];
  if (!readItem(count, sizeof count)) {
    return;
  }
  const auto keyCount = static_cast<std::int32_t>(littleEndian32(count));
  for (std::int32_t i = 0; i < keyCount; ++i) {
    unsigned char row[4];
    unsigned char value[4];
    unsigned char type[1];
    if (!readItem(row, sizeof row) || !readItem(value, sizeof value) ||
        !readItem(type, sizeof type)) {
      return;
    }
    SyncKey key;
    key.row = static_cast<std::int32_t>(littleEndian32(row));
    const std::uint32_t valueBits = littleEndian32(value);
    std::memcpy(&key.value, &valueBits, sizeof key.value);
    key.type = static_cast<KeyType>(static_cast<std::int8_t>(type[0]));
    try {
      keys.push_back(key);
    } catch (const std::bad_alloc&) {
      return;  // out of memory part-way: the keys read so far stay
    }
  }
}

// Index of the last key whose row is <= row, or -1 before the first key (or
// when there are no keys): a binary search from bounds 0 and the key count
// that returns at once on an exact match. Whatever order the keys are in,
// this is the index the track answers with.
std::int32_t floorIndex(const std::vector<SyncKey>& keys, std::int32_t row) {
  std::int32_t low = 0;
  std::int32_t high = static_cast<std::int32_t>(keys.size());
  while (low < high) {
    const std::int32_t middle = (low + high) / 2;
    if (keys[middle].row < row) {
      low = middle + 1;
    } else if (keys[middle].row > row) {
      high = middle;
    } else {
      return middle;
    }
  }
  return low - 1;
}

// The same index for strictly ascending rows, where it is simply the last
// row <= row. The range halves a fixed number of times and the next probe is
// chosen by selection, not by a jump, so lookups at random rows do not stall
// on mispredicted branches.
std::int32_t floorIndexAscending(const std::vector<std::int32_t>& rows, std::int32_t row) {
  if (rows.empty()) {
    return -1;
  }
  const std::int32_t* base = rows.data();
  std::size_t count = rows.size();
  while (count > 1) {
    const std::size_t half = count / 2;
    base = base[half] <= row ? base + half : base;
    count -= half;
  }
  return static_cast<std::int32_t>(base - rows.data()) + (*base <= row ? 1 : 0) - 1;
}

// floor(row) as an int; rows beyond the int range saturate, NaN gives 0.
std::int32_t floorRow(double row) {
  const double floored = std::floor(row);
  if (std::isnan(floored)) {
    return 0;
  }
  if (floored <= static_cast<double>(INT32_MIN)) {
    return INT32_MIN;
  }
  if (floored >= static_cast<double>(INT32_MAX)) {
    return INT32_MAX;
  }
  return static_cast<std::int32_t>(floored);
}

}  // namespace

SyncTrack::SyncTrack(std::string trackName, std::vector<SyncKey> trackKeys)
    : name(std::move(trackName)) {
  setKeys(std::move(trackKeys));
}

void SyncTrack::setKeys(std::vector<SyncKey> keys) {
  keys_ = std::move(keys);
  rows_.resize(keys_.size());
  ascending_ = true;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    rows_[i] = keys_[i].row;
    if (i > 0 && rows_[i] <= rows_[i - 1]) {
      ascending_ = false;
    }
  }
}

double SyncTrack::valueAt(double row) const {
  if (keys_.empty()) {
    return 0.0;
  }
  const std::int32_t r = floorRow(row);
  const std::int32_t i = ascending_ ? floorIndexAscending(rows_, r) : floorIndex(keys_, r);
  if (i < 0) {
    return keys_.front().value;
  }
  if (i > keyCount() - 2) {
    return keys_.back().value;
  }
  const SyncKey& k0 = keys_[static_cast<std::size_t>(i)];
  const SyncKey& k1 = keys_[static_cast<std::size_t>(i) + 1];
  // The difference of the two float values is itself a float; the position in
  // the span is a double taken from the fractional row, and the sum is done in
  // double.
  const float d = k1.value - k0.value;
  const double span = static_cast<double>(k1.row) - static_cast<double>(k0.row);
  // Two keys on the same row (a damaged file) make a span of no width: it
  // holds its first key's value instead of dividing by zero.
  double t = span != 0.0 ? (row - k0.row) / span : 0.0;
  switch (k0.type) {
    case KeyType::step:
      return k0.value;
    case KeyType::linear:
      break;
    case KeyType::smooth:
      t = t * t * (3.0 - 2.0 * t);
      break;
    case KeyType::ramp:
      t = std::pow(t, 2.0);
      break;
    default:
      return 0.0;
  }
  return k0.value + d * t;
}

namespace detail {

TrackData readTrackFile(const std::string& path, const TrackFiles& files) {
  TrackData track;
  std::FILE* file = files.open(path.c_str(), "rb");
  if (file == nullptr) {
    return track;
  }
  track.opened = true;
  readKeys(
      [&](unsigned char* buffer, std::size_t size) {
        return files.read(buffer, size, 1, file) == 1;
      },
      track.keys);
  files.close(file);
  return track;
}

SyncDevice* SyncDeviceAccess::create(const char* base, const TrackFiles& files) {
  SyncDevice* device = SyncDevice::create(base);
  if (device != nullptr) {
    device->files_ = &files;
  }
  return device;
}

}  // namespace detail

namespace {

const detail::TrackFiles standardFiles{};

}  // namespace

TrackData readTrackFile(const std::string& path) {
  return detail::readTrackFile(path, standardFiles);
}

TrackData readTrackBytes(std::string_view bytes) {
  TrackData track;
  track.opened = true;
  std::size_t offset = 0;
  readKeys(
      [&](unsigned char* buffer, std::size_t size) {
        if (bytes.size() - offset < size) {
          return false;
        }
        std::memcpy(buffer, bytes.data() + offset, size);
        offset += size;
        return true;
      },
      track.keys);
  return track;
}

SyncDevice* SyncDevice::create(const char* base) {
  SyncDevice* device = new (std::nothrow) SyncDevice;
  if (device == nullptr) {
    return nullptr;
  }
  device->files_ = &standardFiles;
  try {
    device->base_ = base != nullptr ? base : "";
  } catch (const std::bad_alloc&) {
    delete device;
    return nullptr;
  }
  return device;
}

SyncDevice::~SyncDevice() {
  for (SyncTrack* track : tracks_) {
    delete track;
  }
}

void SyncDevice::destroy(SyncDevice* device) {
  delete device;
}

SyncTrack* SyncDevice::getTrack(const char* name) {
  const std::string_view wanted = name != nullptr ? name : "";
  for (SyncTrack* track : tracks_) {
    if (track->name == wanted) {
      return track;
    }
  }
  try {
    auto track = std::make_unique<SyncTrack>(std::string(wanted));
    tracks_.push_back(track.get());
    SyncTrack* result = track.release();
    loadTrack(*result);
    return result;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void SyncDevice::loadTrack(SyncTrack& track) {
  // The path is base + "_" + name + ".track"; one that does not fit the
  // 259 characters of a path buffer is not opened and the track stays empty.
  if (base_.size() + 1 + track.name.size() + std::strlen(".track") > assets::maxPathLength) {
    return;
  }
  const std::string path = base_ + "_" + track.name + ".track";
  track.setKeys(detail::readTrackFile(path, *files_).keys);
}

}  // namespace tessaly::sync
