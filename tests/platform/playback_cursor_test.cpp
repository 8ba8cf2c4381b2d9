#include "platform/playback_cursor.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessaly::platform {
namespace {

constexpr Nanoseconds ms = 1'000'000;
using Pacing = PlaybackCursor::Pacing;

// A device asking for 1024 frames every 23.2 ms, with one request 12 ms
// late; the position is read every millisecond for two seconds.
TEST(PlaybackCursor, OnADeviceThePositionIsSmoothMonotonicAndNeverAheadOfTheDevice) {
  PlaybackCursor cursor(10 * 44100, 44100, false, Pacing::device);
  ASSERT_TRUE(cursor.play(true, 0));
  EXPECT_EQ(cursor.position(5 * ms), 0u) << "nothing handed over yet";

  std::uint64_t handed = 0;
  Nanoseconds nextRequest = 7 * ms;
  int request = 0;
  std::uint64_t previous = 0;
  std::uint64_t sixteenMsAgo = 0;
  for (Nanoseconds t = 7 * ms; t < 2000 * ms; t += ms) {
    if (t >= nextRequest) {
      const PlaybackCursor::Span span = cursor.take(1024, t);
      EXPECT_EQ(span.first, handed);
      EXPECT_EQ(cursor.position(t), handed) << "heard from the first frame of the take";
      handed += span.count;
      ++request;
      nextRequest += 23'200'000 + (request == 40 ? 12 * ms : 0);
    }
    const std::uint64_t now = cursor.position(t);
    EXPECT_GE(now, previous) << "at " << t / ms << " ms";
    EXPECT_LE(now, handed) << "at " << t / ms << " ms";
    if ((t - 7 * ms) % (16 * ms) == 0 && t > 7 * ms) {
      EXPECT_GT(now, sixteenMsAgo) << "frames 16 ms apart at " << t / ms << " ms";
      sixteenMsAgo = now;
    }
    previous = now;
  }
  // Between requests the position moves with the wall clock: 10 ms after a
  // take it is 441 frames on.
  const PlaybackCursor::Span span = cursor.take(1024, 3000 * ms);
  EXPECT_EQ(cursor.position(3010 * ms), span.first + 441);
  EXPECT_EQ(cursor.position(3100 * ms), span.first + 1024) << "held at what was handed over";
}

TEST(PlaybackCursor, TakesAtOneInstantFormOneHandOver) {
  PlaybackCursor cursor(100000, 1000, false, Pacing::device);
  cursor.play(true, 0);
  cursor.take(100, 10 * ms);
  cursor.take(100, 10 * ms);
  EXPECT_EQ(cursor.position(10 * ms), 0u);
  EXPECT_EQ(cursor.position(160 * ms), 150u);
  EXPECT_EQ(cursor.position(400 * ms), 200u);
  EXPECT_EQ(cursor.take(100, 500 * ms).first, 200u);
}

TEST(PlaybackCursor, ALoopingStreamWrapsAndANonLoopingOneStopsAtItsEnd) {
  // 1000 frames at 1000 Hz: one second.
  PlaybackCursor looping(1000, 1000, true, Pacing::wallClock);
  PlaybackCursor once(1000, 1000, false, Pacing::wallClock);
  looping.play(true, 0);
  once.play(true, 0);
  EXPECT_EQ(looping.position(500 * ms), 500u);
  EXPECT_EQ(looping.position(1200 * ms), 200u);
  EXPECT_EQ(looping.position(3999 * ms), 999u);
  EXPECT_EQ(once.position(999 * ms), 999u);
  EXPECT_EQ(once.position(1000 * ms), 1000u);
  EXPECT_EQ(once.position(5000 * ms), 1000u);

  PlaybackCursor device(1000, 1000, true, Pacing::device);
  device.play(true, 0);
  device.take(700, 0);
  const PlaybackCursor::Span wrapped = device.take(700, 700 * ms);
  EXPECT_EQ(wrapped.first, 700u);
  EXPECT_EQ(wrapped.count, 700u) << "read modulo the length";
  EXPECT_EQ(device.position(1000 * ms), 0u);
  EXPECT_EQ(device.position(1100 * ms), 100u);
  EXPECT_EQ(device.take(10, 1400 * ms).first, 400u);

  PlaybackCursor deviceOnce(1000, 1000, false, Pacing::device);
  deviceOnce.play(true, 0);
  EXPECT_EQ(deviceOnce.take(700, 0).count, 700u);
  EXPECT_EQ(deviceOnce.take(700, 700 * ms).count, 300u);
  EXPECT_EQ(deviceOnce.take(700, 1400 * ms).count, 0u);
  EXPECT_EQ(deviceOnce.position(1400 * ms), 1000u);
  EXPECT_EQ(deviceOnce.position(9000 * ms), 1000u);
}

TEST(PlaybackCursor, SeekPlayAndTheCallersClock) {
  PlaybackCursor capture(44100, 44100, false, Pacing::caller);
  EXPECT_FALSE(capture.play(true, 0)) << "a decode stream does not play";
  EXPECT_TRUE(capture.seek(22050, 0));
  EXPECT_EQ(capture.position(5000 * ms), 22050u) << "time does not move it";
  EXPECT_TRUE(capture.seek(44100, 0));
  EXPECT_FALSE(capture.seek(44101, 0));
  EXPECT_EQ(capture.position(0), 44100u);

  PlaybackCursor clock(44100 * 10, 44100, false, Pacing::wallClock);
  EXPECT_EQ(clock.position(1000 * ms), 0u) << "not playing yet";
  clock.seek(4410, 0);
  clock.play(false, 1000 * ms);
  EXPECT_EQ(clock.position(1100 * ms), 8820u) << "resumes where it stood";
  clock.play(true, 2000 * ms);
  EXPECT_EQ(clock.position(2000 * ms), 0u) << "restart";
  clock.seek(44100, 2500 * ms);
  EXPECT_EQ(clock.position(2600 * ms), 44100u + 4410u);

  // A looping wall clock days into a run is still exact.
  PlaybackCursor days(44100, 44100, true, Pacing::wallClock);
  days.play(true, 0);
  const Nanoseconds threeDays = Nanoseconds{3} * 24 * 3600 * 1000 * ms;
  EXPECT_EQ(days.position(threeDays + 250 * ms), 11025u);
}

TEST(PlaybackCursor, PauseHoldsTheHeardPositionAndResumeGoesOnFromIt) {
  // On a device: frames handed over but not yet heard are handed again.
  PlaybackCursor device(44100 * 10, 44100, false, Pacing::device);
  device.play(true, 0);
  EXPECT_EQ(device.take(4410, 0).count, 4410u);
  EXPECT_TRUE(device.pause(50 * ms));
  EXPECT_FALSE(device.playing());
  EXPECT_EQ(device.position(50 * ms), 2205u);
  EXPECT_EQ(device.position(5000 * ms), 2205u) << "time does not move a paused stream";
  EXPECT_EQ(device.take(512, 5000 * ms).count, 0u) << "nothing is handed while paused";
  device.seek(44100, 5000 * ms);
  EXPECT_EQ(device.position(6000 * ms), 44100u) << "a seek while paused holds there";
  device.play(false, 6000 * ms);
  const PlaybackCursor::Span resumed = device.take(441, 6000 * ms);
  EXPECT_EQ(resumed.first, 44100u);
  EXPECT_EQ(device.position(6010 * ms), 44100u + 441u);

  PlaybackCursor clock(44100 * 10, 44100, true, Pacing::wallClock);
  clock.play(true, 0);
  clock.pause(1000 * ms);
  EXPECT_EQ(clock.position(3000 * ms), 44100u);
  clock.play(false, 3000 * ms);
  EXPECT_EQ(clock.position(3500 * ms), 44100u + 22050u);

  PlaybackCursor capture(44100, 44100, false, Pacing::caller);
  EXPECT_FALSE(capture.pause(0)) << "a decode stream is not played, so not paused";
}

}  // namespace
}  // namespace tessaly::platform
