// Directory listing by file extension, standing in for a wildcard search such
// as "Data/Textures/\*.png".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::platform {

// The names (without directory) of the regular files directly inside
// `directory` whose extension equals `extension` (given without the dot),
// compared case-insensitively as wildcard patterns match. Sorted in byte
// order so every run sees the same order. A missing or unreadable directory
// lists nothing. `directory` may or may not end with '/'.
std::vector<std::string> listFiles(const std::string& directory, std::string_view extension);

}  // namespace tessaly::platform
