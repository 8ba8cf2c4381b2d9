// inotify's record layout, read with copies rather than casts, so a record
// at any offset is read without misaligned access.
#include "platform/notify_records.h"

#include <sys/inotify.h>

#include <cstring>

namespace tessaly::platform {

std::vector<NotifyRecord> decodeNotifyRecords(std::string_view bytes) {
  std::vector<NotifyRecord> records;
  std::size_t at = 0;
  while (bytes.size() - at >= sizeof(inotify_event)) {
    inotify_event header;
    std::memcpy(&header, bytes.data() + at, sizeof header);
    at += sizeof header;
    if (header.len > bytes.size() - at) {
      break;  // the name runs past what was read
    }
    const std::string_view padded = bytes.substr(at, header.len);
    at += header.len;
    NotifyRecord record;
    record.watch = header.wd;
    record.mask = header.mask;
    record.cookie = header.cookie;
    record.name = padded.substr(0, padded.find('\0'));
    records.push_back(record);
  }
  return records;
}

}  // namespace tessaly::platform
