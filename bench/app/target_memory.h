// What the filter chain's render targets take in GPU memory, computed from
// the formats, sizes and sample counts of the live GL objects (every mip
// level that exists counted).
#pragma once

#include <cstdint>

namespace tessaly::render {
class PostFilter;
}  // namespace tessaly::render

namespace tessaly::bench {

struct TargetMemory {
  std::int64_t inUse = 0;   // the scene target and the two blur targets, in bytes
  std::int64_t unused = 0;  // the targets no pass draws into, in bytes
  std::int64_t total() const { return inUse + unused; }
};

// Needs the chain's context current.
TargetMemory measureTargets(const render::PostFilter& filter);

}  // namespace tessaly::bench
