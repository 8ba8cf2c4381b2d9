// The arc-table search written literally, as a scan from the first entry:
// the reference that the benchmark measures the scene's binary search
// against, and that a test holds it equal to. Not used by the player.
#pragma once

#include <cstddef>
#include <span>

namespace tessaly::bench {

inline std::size_t literalFirstEntryAbove(std::span<const float> table, float local) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i] > local) {
      return i;
    }
  }
  return table.size();
}

}  // namespace tessaly::bench
