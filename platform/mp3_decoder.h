// Whole-file MP3 decoding into memory, from a file or from bytes in memory.
#pragma once

#include "platform/pcm.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly::platform {

// Decodes every frame of an MP3 (MPEG 1, 2 or 2.5, layer I to III) file into
// 16-bit stereo PCM at the file's own rate. Mono files come out with both
// channels equal. Encoder delay and padding recorded in the file's LAME/Xing
// header are removed, so the length is the encoded sound's exact length.
// A file that ends early keeps what decoded before the break. Returns nothing
// when the file cannot be opened or holds no decodable MPEG audio (missing,
// empty, cut inside its first frame, not MP3). Safe to call from any thread,
// so decoding can run ahead of use on a worker.
std::optional<PcmSound> decodeMp3File(const std::string& fileName);

// The same decoding of the bytes of an MP3 file held in memory by the caller;
// touches no file.
std::optional<PcmSound> decodeMp3(std::span<const std::uint8_t> bytes);

}  // namespace tessaly::platform
