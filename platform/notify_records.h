// Decoding of the change records that one read of a directory-change
// notification delivers (Linux inotify_event: watch, mask, cookie, name
// length, then the name padded with NULs), checked against the bytes that
// were actually read.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaly::platform {

struct NotifyRecord {
  int watch = -1;          // the watch the change belongs to
  std::uint32_t mask = 0;  // what happened (IN_CREATE, IN_Q_OVERFLOW, ...)
  std::string_view name;   // the name within the watched directory, without
                           // its padding; empty for the directory itself
  std::uint32_t cookie = 0;  // the same in the two halves of one rename
};

// The records in `bytes`, in order. A record whose header or name would run
// past the end of `bytes` ends the decoding there, so a short or damaged
// read yields the whole records before it. Names point into `bytes`.
std::vector<NotifyRecord> decodeNotifyRecords(std::string_view bytes);

}  // namespace tessaly::platform
