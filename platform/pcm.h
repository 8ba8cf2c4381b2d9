// Decoded sound in memory: 16-bit stereo PCM at the rate of its file, and the
// one rule for reading a window of it (wrapping when looping, silence past the
// end otherwise), shared by the output mixer and the spectrum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaly::platform {

// Bytes of one sample frame: two channels of 16 bits. Stream positions are
// counted in these bytes.
inline constexpr std::uint32_t bytesPerFrame = 4;

struct PcmSound {
  std::uint32_t rate = 0;             // sample frames per second
  std::vector<std::int16_t> samples;  // interleaved left, right

  std::uint64_t frames() const { return samples.size() / 2; }
};

// Calls run(sourceFrame, offset, count) for each run of consecutive source
// frames that the window of `count` frames starting at `start` covers: offset
// is where the run begins inside the window. A looping sound of `length`
// frames wraps to its start (start may lie beyond the length); a non-looping
// one leaves the frames past its end unvisited, for the caller to treat as
// silence.
template <class Run>
void forEachRun(std::uint64_t length, std::uint64_t start, std::uint64_t count, bool loop,
                Run run) {
  if (length == 0) {
    return;
  }
  if (!loop) {
    if (start < length) {
      const std::uint64_t n = count < length - start ? count : length - start;
      run(start, std::uint64_t{0}, n);
    }
    return;
  }
  std::uint64_t source = start % length;
  std::uint64_t offset = 0;
  while (offset < count) {
    const std::uint64_t left = count - offset;
    const std::uint64_t n = left < length - source ? left : length - source;
    run(source, offset, n);
    offset += n;
    source = 0;
  }
}

}  // namespace tessaly::platform
