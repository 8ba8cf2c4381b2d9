// Any bytes as an MP3 file: decoding either fails cleanly or yields whole
// stereo frames at a rate mpg123 supports.
#include "platform/mp3_decoder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    char name[] = "/tmp/tessaly-mp3-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
      close(fd);
    }
    return std::string(name);
  }();
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  const auto sound = tessaly::platform::decodeMp3File(path);
  if (sound && (sound->frames() == 0 || sound->samples.size() % 2 != 0 || sound->rate < 8000 ||
                sound->rate > 48000)) {
    std::abort();
  }
  return 0;
}
