// Any bytes as an MP3 file, decoded from memory: decoding either fails
// cleanly or yields whole stereo frames at a rate mpg123 supports.
#include "platform/mp3_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto sound = tessaly::platform::decodeMp3(std::span<const std::uint8_t>(data, size));
  if (sound && (sound->frames() == 0 || sound->samples.size() % 2 != 0 || sound->rate < 8000 ||
                sound->rate > 48000)) {
    std::abort();
  }
  return 0;
}
