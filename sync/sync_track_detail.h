// The seam tests load tracks through: a device whose file access goes through
// given functions instead of the standard library's. Not part of the
// player's interface; only sync_track.cpp and tests include it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "sync/sync_track.h"

namespace tessaly::sync::detail {

// The three file functions track loading reads with, with the signatures of
// the standard library's fopen, fread and fclose.
struct TrackFiles {
  std::FILE* (*open)(const char* path, const char* mode) = std::fopen;
  std::size_t (*read)(void* buffer, std::size_t size, std::size_t count,
                      std::FILE* file) = std::fread;
  int (*close)(std::FILE* file) = std::fclose;
};

// Reads the track file at `path` through `files`: one open, one read per
// field, and one close of what was opened.
TrackData readTrackFile(const std::string& path, const TrackFiles& files);

class SyncDeviceAccess {
 public:
  // A device like SyncDevice::create(base) whose loads go through `files`,
  // which must outlive it. Null only when memory runs out.
  static SyncDevice* create(const char* base, const TrackFiles& files);
};

}  // namespace tessaly::sync::detail
