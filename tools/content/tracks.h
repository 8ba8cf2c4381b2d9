// Sync tracks as the player reads them: one little-endian file per track,
// a 32-bit key count, then per key a 32-bit row, a 32-bit float value and
// an 8-bit interpolation type.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::content {

enum class Ease : std::int8_t { step = 0, linear = 1, smooth = 2, ramp = 3 };

struct TrackKey {
  int row;
  float value;
  Ease ease;  // how the value goes from this key to the next
};

class Track {
 public:
  explicit Track(std::string name) : name_(std::move(name)) {}

  // Adds a key; keys must come in ascending rows (a key on the row of the
  // last one replaces it).
  Track& key(int row, float value, Ease ease = Ease::step);

  const std::string& name() const { return name_; }
  const std::vector<TrackKey>& keys() const { return keys_; }

  // The value at a fractional row, computed as the player does.
  double valueAt(double row) const;

  // The file's bytes.
  std::vector<std::uint8_t> bytes() const;

 private:
  std::string name_;
  std::vector<TrackKey> keys_;
};

// Writes <dir>/sync_<name>.track for every track.
bool writeTracks(const std::filesystem::path& rocketDir, const std::vector<Track>& tracks);

}  // namespace tessaly::content
