#include "platform/audio_mixer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tessaly::platform {
namespace {

PcmSound rampSound(std::uint32_t rate, std::size_t frames, int step) {
  PcmSound sound;
  sound.rate = rate;
  for (std::size_t i = 0; i < frames; ++i) {
    sound.samples.push_back(static_cast<std::int16_t>(static_cast<int>(i) * step));
    sound.samples.push_back(static_cast<std::int16_t>(-static_cast<int>(i) * step));
  }
  return sound;
}

TEST(AudioMixer, AtTheDeviceRateStreamsAreCopiedSummedAndClamped) {
  const PcmSound a = rampSound(44100, 100, 300);
  const PcmSound b = rampSound(44100, 100, 330);
  PlaybackCursor cursorA(a.frames(), a.rate, false, PlaybackCursor::Pacing::device);
  PlaybackCursor cursorB(b.frames(), b.rate, true, PlaybackCursor::Pacing::device);
  PlaybackCursor stopped(b.frames(), b.rate, true, PlaybackCursor::Pacing::device);
  cursorA.play(true, 0);
  cursorB.play(true, 0);
  cursorB.seek(90, 0);
  ResampleState state;

  std::vector<std::int32_t> mix(40 * 2, 0);
  mixStream(a, cursorA, state, mix.data(), 40, 44100, 0);
  mixStream(b, cursorB, state, mix.data(), 40, 44100, 0);
  mixStream(b, stopped, state, mix.data(), 40, 44100, 0);
  EXPECT_EQ(mix[0], 0 + 29700);
  EXPECT_EQ(mix[2 * 9], 2700 + 32670);
  EXPECT_EQ(mix[2 * 10], 3000 + 0) << "the looping stream wrapped";
  EXPECT_EQ(mix[2 * 10 + 1], -3000);
  EXPECT_EQ(cursorA.position(0), 0u);
  EXPECT_EQ(cursorB.take(1, 1).first, 30u);

  std::vector<std::int16_t> out(40 * 2);
  clampMix(mix.data(), out.data(), 40);
  EXPECT_EQ(out[0], 29700);
  EXPECT_EQ(out[2 * 9], 32767);
  EXPECT_EQ(out[2 * 9 + 1], -32768);
  EXPECT_EQ(out[2 * 10], 3000);

  // The last 60 frames of `a`, then silence.
  std::vector<std::int32_t> tail(80 * 2, 7);
  mixStream(a, cursorA, state, tail.data(), 80, 44100, 1);
  EXPECT_EQ(tail[2 * 59], 7 + 29700);
  EXPECT_EQ(tail[2 * 60], 7);
}

TEST(AudioMixer, AnotherRateIsInterpolatedAcrossBuffers) {
  // 22050 Hz on a 44100 Hz device: every source frame, then the midpoint.
  const PcmSound sound = rampSound(22050, 1000, 10);
  PlaybackCursor cursor(sound.frames(), sound.rate, false, PlaybackCursor::Pacing::device);
  cursor.play(true, 0);
  ResampleState state;
  std::vector<std::int32_t> mix(2 * 300, 0);
  mixStream(sound, cursor, state, mix.data(), 101, 44100, 0);
  mixStream(sound, cursor, state, mix.data() + 2 * 101, 199, 44100, 1);
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(mix[static_cast<std::size_t>(2 * i)], 5 * i) << "frame " << i;
    EXPECT_EQ(mix[static_cast<std::size_t>(2 * i + 1)], -5 * i) << "frame " << i;
  }
  // The stream's clock runs at its own rate: 150 frames in, give or take the
  // interpolation's look-ahead.
  const std::uint64_t next = cursor.take(1, 2).first;
  EXPECT_GE(next, 150u);
  EXPECT_LE(next, 152u);
}

}  // namespace
}  // namespace tessaly::platform
