// Keyframed float tracks, one binary file per track, sampled at fractional
// sync rows with step, linear, smooth or ramp interpolation.
//
// A track file is little-endian with no header: a signed 32-bit key count N,
// then N keys of 9 bytes each (row int32, value float32, type int8).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::sync {

// Sync rows per second of music: 836 rows a minute. The music clock turns
// seconds into rows with it; tools turn rows back into seconds.
inline constexpr double rowsPerSecond = 13.933333333333334;

// How a key's span to the next key is interpolated. The file stores it as a
// signed byte, widened with its sign; any other value than these four is
// kept as read and makes the span evaluate to 0.0.
enum class KeyType : std::int32_t { step = 0, linear = 1, smooth = 2, ramp = 3 };

struct SyncKey {
  std::int32_t row = 0;
  float value = 0.0f;
  KeyType type = KeyType::step;
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

// What a track file holds: its keys in file order. Only keys the file really
// holds are kept: a key count larger than the file or negative never drives
// an allocation, and a partial last key is dropped.
struct TrackData {
  std::vector<SyncKey> keys;
  bool opened = false;  // false when the file could not be opened (then no keys)
};

// Reads the track file at `path`.
TrackData readTrackFile(const std::string& path);

// Reads a track file held in memory (always opened).
TrackData readTrackBytes(std::string_view bytes);

namespace detail {
struct TrackFiles;
class SyncDeviceAccess;
}  // namespace detail

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

 private:
  friend class detail::SyncDeviceAccess;

  SyncDevice() = default;
  ~SyncDevice();
  void loadTrack(SyncTrack& track);

  std::string base_;
  std::vector<SyncTrack*> tracks_;
  // The file functions loads go through: the standard library's unless a
  // test made the device with others (sync_track_detail.h).
  const detail::TrackFiles* files_ = nullptr;
};

}  // namespace tessaly::sync
