// The one limit on the length of a content path. Paths are built in
// 260-character buffers, so the longest one opened has 259 characters; a
// longer path is not opened (the file is treated as absent). Shared by the
// readers, the asset listing, the picture loader and the data watcher.
#pragma once

#include <cstddef>

namespace tessaly::assets {

inline constexpr std::size_t maxPathLength = 259;

}  // namespace tessaly::assets
