// Track files of any content: the loader keeps what the bytes hold, and the
// track answers every row without faults. The first 8 bytes, when present,
// also give a row to sample at.
#include "sync/sync_track.h"

#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tessaly::sync::SyncTrack track("fuzz", tessaly::sync::readTrackBytes(bytes).keys);
  if (static_cast<std::size_t>(track.keyCount()) > (size > 4 ? (size - 4) / 9 : 0)) {
    __builtin_trap();  // more keys than the bytes can hold
  }
  double row = 0.0;
  if (size >= sizeof row) {
    std::memcpy(&row, data, sizeof row);
  }
  volatile double sink = track.valueAt(row);
  for (const tessaly::sync::SyncKey& key : track.keys()) {
    sink = track.valueAt(key.row);
    sink = track.valueAt(key.row + 0.5);
    sink = track.valueAt(key.row - 0.25);
  }
  (void)sink;
  return 0;
}
