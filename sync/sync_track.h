// Keyframed float tracks, one binary file per track, sampled at fractional
// sync rows with step, linear, smooth or ramp interpolation.
//
// A track file is little-endian with no header: a signed 32-bit key count N,
// then N keys of 9 bytes each (row int32, value float32, type int8).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::sync {

struct SyncKey {
  std::int32_t row = 0;
  float value = 0.0f;
  std::int32_t type = 0;  // 0 step, 1 linear, 2 smooth, 3 ramp; sign-extended from the file's byte
};

class SyncTrack {
 public:
  SyncTrack() = default;
  explicit SyncTrack(std::string trackName, std::vector<SyncKey> trackKeys = {});

  std::string name;

  // The keys in file order, expected ascending by row.
  const std::vector<SyncKey>& keys() const { return keys_; }
  std::int32_t keyCount() const { return static_cast<std::int32_t>(keys_.size()); }
  void setKeys(std::vector<SyncKey> keys);

  // The track's value at a fractional row; 0.0 for a track without keys.
  // Before the first key the first value holds, from the last key on the last
  // value; between keys the earlier key's type interpolates (other types: 0.0).
  double valueAt(double row) const;

 private:
  std::vector<SyncKey> keys_;
  // The rows of the keys side by side, and whether they strictly ascend (as
  // every file the tracker writes does): then the floor index comes from a
  // search without jumps over this compact array.
  std::vector<std::int32_t> rows_;
  bool ascending_ = true;
};

// The three file functions track loading reads with, with the signatures of
// the standard library's fopen, fread and fclose.
using OpenFunction = std::FILE* (*)(const char* path, const char* mode);
using ReadFunction = std::size_t (*)(void* buffer, std::size_t size, std::size_t count,
                                     std::FILE* file);
using CloseFunction = int (*)(std::FILE* file);

// Reads the keys of the track file at `path` into `keys` (replacing them).
// Only keys the file really holds are kept: a key count larger than the file
// or negative never drives an allocation, and a partial last key is dropped.
// Returns false, with no keys, when the file cannot be opened.
bool readTrackFile(const char* path, std::vector<SyncKey>& keys, OpenFunction open = std::fopen,
                   ReadFunction read = std::fread, CloseFunction close = std::fclose);

// The same reading from the bytes of a track file held in memory.
std::vector<SyncKey> readTrackBytes(std::string_view bytes);

class SyncDevice {
 public:
  // A device reading its tracks from "<base>_<name>.track". Null only when
  // memory runs out.
  static SyncDevice* create(const char* base);

  // Frees the device with all its tracks and keys. Null is allowed.
  static void destroy(SyncDevice* device);

  // The track of that name (compared byte-wise, case-sensitive), created and
  // read from its file on first request; a later request returns the same
  // track without reading again. A missing or unreadable file, or a path
  // longer than 259 characters, gives a track without keys. The pointer stays
  // valid until the device is destroyed. Null only when memory runs out.
  SyncTrack* getTrack(const char* name);

  const std::string& base() const { return base_; }
  const std::vector<SyncTrack*>& tracks() const { return tracks_; }

  // The file functions of this device's loads: the standard library's fopen,
  // fread and fclose unless a test puts others in their place.
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
