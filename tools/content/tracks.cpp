#include "tools/content/tracks.h"

#include "tools/content/output.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace tessaly::content {

Track& Track::key(int row, float value, Ease ease) {
  if (!keys_.empty() && keys_.back().row == row) {
    keys_.back() = TrackKey{row, value, ease};
  } else {
    if (!keys_.empty() && keys_.back().row > row) {
      throw std::logic_error("track " + name_ + ": keys out of order at row " +
                             std::to_string(row));
    }
    keys_.push_back(TrackKey{row, value, ease});
  }
  return *this;
}

double Track::valueAt(double row) const {
  if (keys_.empty()) {
    return 0.0;
  }
  const double r = std::floor(row);
  std::size_t i = 0;
  while (i < keys_.size() && keys_[i].row <= r) {
    ++i;
  }
  if (i == 0) {
    return keys_.front().value;
  }
  if (i == keys_.size()) {
    return keys_.back().value;
  }
  const TrackKey& k0 = keys_[i - 1];
  const TrackKey& k1 = keys_[i];
  const float d = k1.value - k0.value;
  double t = (row - k0.row) / static_cast<double>(k1.row - k0.row);
  switch (k0.ease) {
    case Ease::step: return k0.value;
    case Ease::linear: break;
    case Ease::smooth: t = t * t * (3.0 - 2.0 * t); break;
    case Ease::ramp: t = std::pow(t, 2.0); break;
  }
  return k0.value + d * t;
}

std::vector<std::uint8_t> Track::bytes() const {
  std::vector<std::uint8_t> out;
  auto put32 = [&](std::uint32_t v) {
    for (int b = 0; b < 4; ++b) {
      out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
    }
  };
  put32(static_cast<std::uint32_t>(keys_.size()));
  for (const TrackKey& k : keys_) {
    put32(static_cast<std::uint32_t>(k.row));
    std::uint32_t bits = 0;
    std::memcpy(&bits, &k.value, sizeof bits);
    put32(bits);
    out.push_back(static_cast<std::uint8_t>(k.ease));
  }
  return out;
}

bool writeTracks(const std::filesystem::path& rocketDir, const std::vector<Track>& tracks) {
  bool ok = true;
  for (const Track& track : tracks) {
    ok &= writeFile(rocketDir / ("sync_" + track.name() + ".track"), track.bytes());
  }
  return ok;
}

}  // namespace tessaly::content
