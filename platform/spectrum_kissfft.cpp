// The spectrum with kissfft's real-input FFT.
#include "platform/spectrum.h"

#include <kiss_fftr.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>

namespace tessaly::platform {

namespace {

// The periodic Hann window: its sum is fftSize / 2, which the scaling by 512
// turns into the 0.5 of a full-scale sine.
const std::array<float, fftSize>& hannWindow() {
  static const std::array<float, fftSize> window = [] {
    std::array<float, fftSize> w{};
    for (std::size_t n = 0; n < fftSize; ++n) {
      w[n] =
          static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                                  static_cast<double>(fftSize)));
    }
    return w;
  }();
  return window;
}

struct ConfigDeleter {
  void operator()(kiss_fftr_state* config) const { kiss_fftr_free(config); }
};

// kissfft keeps scratch space in its configuration, so each thread has its own.
kiss_fftr_cfg threadConfig() {
  thread_local std::unique_ptr<kiss_fftr_state, ConfigDeleter> config(
      kiss_fftr_alloc(static_cast<int>(fftSize), 0, nullptr, nullptr));
  return config.get();
}

}  // namespace

void computeSpectrum(const PcmSound& sound, std::uint64_t startFrame, bool loop,
                     float* magnitudes) {
  std::array<float, fftSize> input{};
  const std::array<float, fftSize>& window = hannWindow();
  const std::int16_t* samples = sound.samples.data();
  forEachRun(sound.frames(), startFrame, fftSize, loop,
             [&](std::uint64_t source, std::uint64_t offset, std::uint64_t count) {
               const std::int16_t* frame = samples + source * 2;
               for (std::uint64_t i = 0; i < count; ++i, frame += 2) {
                 const float mono = (static_cast<float>(frame[0]) + static_cast<float>(frame[1])) *
                                    (0.5f / 32768.0f);
                 input[offset + i] = mono * window[offset + i];
               }
             });

  std::array<kiss_fft_cpx, fftSize / 2 + 1> output;
  kiss_fftr(threadConfig(), input.data(), output.data());
  for (std::size_t k = 0; k < spectrumSize; ++k) {
    magnitudes[k] = std::sqrt(output[k].r * output[k].r + output[k].i * output[k].i) / 512.0f;
  }
}

}  // namespace tessaly::platform
