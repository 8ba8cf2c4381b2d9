// Keyframed float tracks, one binary file per track, sampled at fractional
// sync rows with step, linear, smooth or ramp interpolation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tessaly::sync {

struct SyncKey {
  std::int32_t row = 0;
  float value = 0.0f;
  std::int32_t type = 0;  // 0 step, 1 linear, 2 smooth, 3 ramp; sign-extended from the file's byte
};

struct SyncTrack {
  std::string name;
  std::vector<SyncKey> keys;

  std::int32_t keyCount() const { return static_cast<std::int32_t>(keys.size()); }

  // The track's value at a fractional row; 0.0 for a track without keys.
  double valueAt(double row) const;
};

class SyncDevice {
 public:
  // A device reading its tracks from "<base>_<name>.track". Null only when
  // memory runs out.
  static SyncDevice* create(const char* base);

  // Frees the device with all its tracks and keys. Null is allowed.
  static void destroy(SyncDevice* device);

  // The track of that name, created and read from its file on first request.
  // A missing or unreadable file gives a track without keys. The pointer stays
  // valid until the device is destroyed.
  SyncTrack* getTrack(const char* name);

  const std::string& base() const { return base_; }
  const std::vector<SyncTrack*>& tracks() const { return tracks_; }

  // The three file functions the loader reads with; the standard library's
  // fopen, fread and fclose unless a test puts others in their place.
  using OpenFunction = std::FILE* (*)(const char* path, const char* mode);
  using ReadFunction = std::size_t (*)(void* buffer, std::size_t size, std::size_t count,
                                       std::FILE* file);
  using CloseFunction = int (*)(std::FILE* file);
  OpenFunction open = std::fopen;
  ReadFunction read = std::fread;
  CloseFunction close = std::fclose;

 private:
  SyncDevice() = default;
  ~SyncDevice();
  void loadTrack(SyncTrack& track);

  std::string base_;
  std::vector<SyncTrack*> tracks_;
};


}  // namespace tessaly::sync
