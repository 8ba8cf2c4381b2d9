// The spectrum of what is playing: a 1024-sample FFT into 512 magnitudes.
#pragma once

#include "platform/pcm.h"

#include <cstddef>
#include <cstdint>

namespace tessaly::platform {

inline constexpr std::size_t fftSize = 1024;
inline constexpr std::size_t spectrumSize = fftSize / 2;

// Fills `magnitudes` (spectrumSize floats) from the fftSize sample frames of
// `sound` that start at `startFrame`: the two channels are mixed to mono
// (their mean, full scale 1.0), a Hann window is applied, and bin k gets
// |X[k]| / 512 for k = 0..511, so a full-scale sine centred on bin k reads
// about 0.5 there and silence reads 0. A looping sound wraps to its start;
// past the end of a non-looping one the missing frames are silence.
// Thread-safe; allocates nothing after the first call on a thread.
void computeSpectrum(const PcmSound& sound, std::uint64_t startFrame, bool loop, float* magnitudes);

}  // namespace tessaly::platform
