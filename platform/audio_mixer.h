// Mixing streams into the output device's buffer: pure code, run on the
// device's thread under the audio layer's lock.
#pragma once

#include "platform/pcm.h"
#include "platform/playback_cursor.h"

#include <cstddef>
#include <cstdint>

namespace tessaly::platform {

// Carries linear interpolation across output buffers for a stream whose rate
// differs from the device's. Reset it whenever the stream starts or seeks.
struct ResampleState {
  bool primed = false;
  double phase = 0.0;  // output position between previous and current
  std::int16_t previous[2] = {0, 0};
  std::int16_t current[2] = {0, 0};
};

// Hands `frames` output frames' worth of the stream to the device, starting
// at `now`, and adds them to `mix` (interleaved stereo sums). At the device's
// own rate the frames are copied; at another rate they are interpolated
// linearly, so pitch and timing stay right. Nothing is added when the stream
// is not playing; past the end of a non-looping stream it adds silence.
void mixStream(const PcmSound& sound, PlaybackCursor& cursor, ResampleState& resample,
               std::int32_t* mix, std::size_t frames, std::uint32_t deviceRate, Nanoseconds now);

// Saturates the sums into 16-bit output samples (2 per frame).
void clampMix(const std::int32_t* mix, std::int16_t* out, std::size_t frames);

}  // namespace tessaly::platform
