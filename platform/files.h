// Directory listing by file extension, standing in for a wildcard search such
// as "Data/Textures/\*.png".
#pragma once

#include <cstdint>
#include <optional>
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

// What tells one version of a file from another: device, inode, size and the
// modification and status-change times to the nanosecond. Work done on a file
// ahead of time is used only while the file still has the identity it had
// then.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since the epoch
  std::int64_t changed = 0;   // nanoseconds since the epoch
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names (following links); nothing when it
// cannot be examined.
std::optional<FileIdentity> fileIdentity(const std::string& path);

}  // namespace tessaly::platform
