// Between the audio layer's shared part (audio.cpp) and its output backend
// (audio_sdl.cpp).
#pragma once

#include "platform/playback_cursor.h"

#include <cstddef>
#include <cstdint>

namespace tessaly::platform::audio::detail {

// Frames the device asks for at a time: 1024 frames (23 ms at 44.1 kHz).
// SDL's dummy driver sleeps whole milliseconds between requests; at this size
// it keeps time to half a percent, where 512 frames run 5 % fast.
inline constexpr std::uint32_t deviceBufferFrames = 1024;

// Backend: opens the default output device at `frequency`, 16-bit stereo,
// and starts it; its thread calls renderOutput. False when none can be opened.
bool openDevice(std::uint32_t frequency);
// Backend: stops and closes the device; renderOutput is not called after it.
void closeDevice();

// Shared part: fills `frames` interleaved stereo frames for the device, which
// starts playing them at `now`.
void renderOutput(std::int16_t* out, std::size_t frames, Nanoseconds now);

// The steady clock every position is measured on.
Nanoseconds steadyNow();

}  // namespace tessaly::platform::audio::detail
