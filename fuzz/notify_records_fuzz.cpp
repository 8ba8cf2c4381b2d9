// Any bytes as one read of directory-change records: decoding never reads
// outside the bytes, and every name it gives lies within them, holds no NUL
// and fits the room its record claimed.
#include "platform/notify_records.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const tessaly::platform::NotifyRecord& record : tessaly::platform::decodeNotifyRecords(bytes)) {
    const char* begin = record.name.data();
    if (!record.name.empty() &&
        (begin < bytes.data() || begin + record.name.size() > bytes.data() + bytes.size() ||
         record.name.find('\0') != std::string_view::npos)) {
      std::abort();
    }
  }
  return 0;
}
