#include "platform/spectrum.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace tessaly::platform {
namespace {

PcmSound sineSound(std::size_t frames, double cyclesPerFftWindow, double amplitude,
                   bool oppositeChannels = false) {
  PcmSound sound;
  sound.rate = 44100;
  sound.samples.resize(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double v =
        amplitude * 32767.0 *
        std::sin(2.0 * std::numbers::pi * cyclesPerFftWindow * static_cast<double>(i) / fftSize);
    const auto s = static_cast<std::int16_t>(std::lround(v));
    sound.samples[i * 2] = s;
    sound.samples[i * 2 + 1] = oppositeChannels ? static_cast<std::int16_t>(-s) : s;
  }
  return sound;
}

std::array<float, spectrumSize> spectrumOf(const PcmSound& sound, std::uint64_t start, bool loop) {
  std::array<float, spectrumSize> out;
  out.fill(-1.0f);
  computeSpectrum(sound, start, loop, out.data());
  return out;
}

TEST(Spectrum, AFullScaleSineCentredOnABinReadsAHalfThereAndSilenceReadsZero) {
  const auto peak = spectrumOf(sineSound(4096, 100.0, 1.0), 0, false);
  EXPECT_NEAR(peak[100], 0.5f, 0.005f);
  EXPECT_NEAR(peak[99], 0.25f, 0.005f) << "the Hann window's side bins";
  EXPECT_NEAR(peak[101], 0.25f, 0.005f);
  for (std::size_t k = 0; k < spectrumSize; ++k) {
    if (k < 98 || k > 102) {
      EXPECT_LT(peak[k], 1e-3f) << "bin " << k;
    }
  }

  const auto silence = spectrumOf(sineSound(4096, 100.0, 0.0), 0, false);
  const auto cancelled = spectrumOf(sineSound(4096, 100.0, 1.0, true), 0, false);
  for (std::size_t k = 0; k < spectrumSize; ++k) {
    EXPECT_EQ(silence[k], 0.0f);
    EXPECT_EQ(cancelled[k], 0.0f) << "the channels are averaged";
  }
}

// The definition, computed directly: mono mean, periodic Hann window,
// |X[k]| / 512, silence past the end of a non-looping sound, wrapping for a
// looping one.
std::array<double, spectrumSize> directSpectrum(const PcmSound& sound, std::uint64_t start,
                                                bool loop) {
  std::array<double, fftSize> x{};
  for (std::size_t n = 0; n < fftSize; ++n) {
    std::uint64_t frame = start + n;
    if (loop) {
      frame %= sound.frames();
    } else if (frame >= sound.frames()) {
      continue;
    }
    const double mono = (sound.samples[frame * 2] + sound.samples[frame * 2 + 1]) / 65536.0;
    x[n] = mono * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) / fftSize));
  }
  std::array<double, spectrumSize> out{};
  for (std::size_t k = 0; k < spectrumSize; ++k) {
    std::complex<double> sum = 0.0;
    for (std::size_t n = 0; n < fftSize; ++n) {
      sum += x[n] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k * n % fftSize) /
                                        fftSize);
    }
    out[k] = std::abs(sum) / 512.0;
  }
  return out;
}

TEST(Spectrum, MatchesTheDirectTransformAtTheEndOfNonLoopingAndLoopingSounds) {
  // 700 frames of an uneven signal, read from frame 200: 500 frames of sound
  // and then 524 of silence, or the sound's start again when looping.
  PcmSound sound;
  sound.rate = 44100;
  std::uint32_t seed = 12345;
  for (std::size_t i = 0; i < 700 * 2; ++i) {
    seed = seed * 1664525u + 1013904223u;
    sound.samples.push_back(static_cast<std::int16_t>(seed >> 16));
  }
  for (bool loop : {false, true}) {
    const auto fast = spectrumOf(sound, 200, loop);
    const auto direct = directSpectrum(sound, 200, loop);
    for (std::size_t k = 0; k < spectrumSize; ++k) {
      EXPECT_NEAR(fast[k], direct[k], 2e-5) << "bin " << k << (loop ? " looping" : "");
    }
  }
  const auto pastTheEnd = spectrumOf(sound, 700, false);
  for (float v : pastTheEnd) {
    EXPECT_EQ(v, 0.0f);
  }
}

}  // namespace
}  // namespace tessaly::platform
