// Stream mixing: a copy at the device's rate, linear interpolation otherwise.
#include "platform/audio_mixer.h"

#include <cmath>

namespace tessaly::platform {

namespace {

void addAtDeviceRate(const PcmSound& sound, PlaybackCursor& cursor, std::int32_t* mix,
                     std::size_t frames, Nanoseconds now) {
  const PlaybackCursor::Span span = cursor.take(frames, now);
  forEachRun(sound.frames(), span.first, span.count, cursor.loops(),
             [&](std::uint64_t source, std::uint64_t offset, std::uint64_t count) {
               const std::int16_t* in = sound.samples.data() + source * 2;
               std::int32_t* out = mix + offset * 2;
               for (std::uint64_t i = 0; i < count * 2; ++i) {
                 out[i] += in[i];
               }
             });
}

// Source frames are numbered from the resampler's view: 0 is `previous`,
// 1 is `current`, 2 + j is frame j of this take. Output frame i lies at
// phase + i * step on that scale.
void addResampled(const PcmSound& sound, PlaybackCursor& cursor, ResampleState& state,
                  std::int32_t* mix, std::size_t frames, std::uint32_t deviceRate,
                  Nanoseconds now) {
  const double step = static_cast<double>(sound.rate) / static_cast<double>(deviceRate);
  if (!state.primed) {
    state = ResampleState{};
    state.primed = true;
    state.phase = 2.0;  // the first output frame is the first frame taken
  }
  const double end = state.phase + static_cast<double>(frames) * step;
  const auto lastIndex = static_cast<std::uint64_t>(std::floor(end));
  const PlaybackCursor::Span span = cursor.take(lastIndex, now);
  const std::uint64_t length = sound.frames();

  auto sample = [&](std::uint64_t index, int channel) -> std::int32_t {
    if (index < 2) {
      return index == 0 ? state.previous[channel] : state.current[channel];
    }
    const std::uint64_t j = index - 2;
    if (j >= span.count) {
      return 0;  // past the end of a non-looping stream
    }
    const std::uint64_t frame = (span.first + j) % length;
    return sound.samples[frame * 2 + static_cast<std::uint64_t>(channel)];
  };

  for (std::size_t i = 0; i < frames; ++i) {
    const double x = state.phase + static_cast<double>(i) * step;
    const auto index = static_cast<std::uint64_t>(x);
    const double t = x - static_cast<double>(index);
    for (int c = 0; c < 2; ++c) {
      const double a = sample(index, c);
      const double b = sample(index + 1, c);
      mix[i * 2 + static_cast<std::size_t>(c)] +=
          static_cast<std::int32_t>(std::lround(a + (b - a) * t));
    }
  }
  for (int c = 0; c < 2; ++c) {
    state.previous[c] = static_cast<std::int16_t>(sample(lastIndex, c));
    state.current[c] = static_cast<std::int16_t>(sample(lastIndex + 1, c));
  }
  state.phase = end - static_cast<double>(lastIndex);
}

}  // namespace

void mixStream(const PcmSound& sound, PlaybackCursor& cursor, ResampleState& resample,
               std::int32_t* mix, std::size_t frames, std::uint32_t deviceRate, Nanoseconds now) {
  if (!cursor.playing() || sound.frames() == 0) {
    return;
  }
  if (sound.rate == deviceRate) {
    addAtDeviceRate(sound, cursor, mix, frames, now);
  } else {
    addResampled(sound, cursor, resample, mix, frames, deviceRate, now);
  }
}

void clampMix(const std::int32_t* mix, std::int16_t* out, std::size_t frames) {
  for (std::size_t i = 0; i < frames * 2; ++i) {
    const std::int32_t v = mix[i];
    out[i] = static_cast<std::int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
  }
}

}  // namespace tessaly::platform
