// Sync track files and their sampling.
//
// A track file is little-endian: a signed 32-bit key count N, then N keys of
// 9 bytes each (row int32, value float32, type int8), with nothing between.
#include "sync/sync_track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace tessaly::sync {

namespace {

// Largest path, in characters, that the track loader opens.
constexpr std::size_t maxPathLength = 259;

// Index of the last key whose row is <= row, or -1 before the first key.
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

}  // namespace

double SyncTrack::valueAt(double row) const {
  if (keys.empty()) {
    return 0.0;
  }
  // Rows far outside the int range saturate instead of overflowing.
  const double floored = std::floor(row);
  std::int32_t r = 0;
  if (std::isnan(floored)) {
    r = 0;
  } else if (floored <= static_cast<double>(INT32_MIN)) {
    r = INT32_MIN;
  } else if (floored >= static_cast<double>(INT32_MAX)) {
    r = INT32_MAX;
  } else {
    r = static_cast<std::int32_t>(floored);
  }
  const std::int32_t i = floorIndex(keys, r);
  if (i < 0) {
    return keys.front().value;
  }
  if (i > keyCount() - 2) {
    return keys.back().value;
  }
  const SyncKey& k0 = keys[static_cast<std::size_t>(i)];
  const SyncKey& k1 = keys[static_cast<std::size_t>(i) + 1];
  // The difference of two float values is a float; t is a double.
  const float d = k1.value - k0.value;
  double t = (row - k0.row) / (static_cast<double>(k1.row) - k0.row);
  switch (k0.type) {
    case 0:
      return k0.value;
    case 1:
      break;
    case 2:
      t = t * t * (3.0 - 2.0 * t);
      break;
    case 3:
      t = std::pow(t, 2.0);
      break;
    default:
      return 0.0;
  }
  return k0.value + d * t;
}

SyncDevice* SyncDevice::create(const char* base) {
  SyncDevice* device = new (std::nothrow) SyncDevice;
  if (device == nullptr) {
    return nullptr;
  }
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
  const std::string wanted = name != nullptr ? name : "";
  for (SyncTrack* track : tracks_) {
    if (track->name == wanted) {
      return track;
    }
  }
  auto track = std::make_unique<SyncTrack>();
  track->name = wanted;
  tracks_.push_back(track.get());
  SyncTrack* result = track.release();
  loadTrack(*result);
  return result;
}

void SyncDevice::loadTrack(SyncTrack& track) {
  // The path is base + "_" + name + ".track"; one that does not fit the
  // 259 characters the format allows is not opened.
  std::string path = base_.substr(0, std::min(base_.size(), maxPathLength));
  path += "_";
  path += track.name;
  path += ".track";
  if (path.size() > maxPathLength) {
    return;
  }
  std::FILE* file = open(path.c_str(), "rb");
  if (file == nullptr) {
    return;
  }
  std::int32_t count = 0;
  if (read(&count, 4, 1, file) == 1) {
    // Keys are appended as they are read, so a count the file cannot back
    // never drives an allocation, and a partial last key is dropped.
    for (std::int32_t i = 0; i < count; ++i) {
      SyncKey key;
      std::int8_t type = 0;
      if (read(&key.row, 4, 1, file) != 1 || read(&key.value, 4, 1, file) != 1 ||
          read(&type, 1, 1, file) != 1) {
        break;
      }
      key.type = type;
      track.keys.push_back(key);
    }
  }
  close(file);
}

}  // namespace tessaly::sync
