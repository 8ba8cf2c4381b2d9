#include "platform/audio.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

namespace tessaly::platform {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t peakBin(const std::array<float, spectrumSize>& spectrum) {
  return static_cast<std::size_t>(std::max_element(spectrum.begin(), spectrum.end()) -
                                  spectrum.begin());
}

// A stereo sine at half scale, in memory.
std::shared_ptr<const PcmSound> tone(std::uint32_t rate, double seconds, double frequency) {
  auto sound = std::make_shared<PcmSound>();
  sound->rate = rate;
  const auto frames = static_cast<std::size_t>(seconds * rate);
  for (std::size_t i = 0; i < frames; ++i) {
    const double v =
        16384.0 * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    sound->samples.push_back(static_cast<std::int16_t>(std::lround(v)));
    sound->samples.push_back(static_cast<std::int16_t>(std::lround(v)));
  }
  return sound;
}

class AudioLayer : public testing::Test {
 protected:
  void TearDown() override { audio::freeOutput(); }
  test::TempDir dir;
};

TEST_F(AudioLayer, OutputOpensOnTheDummyDriverAndFailsWhenNoDriverCanOpen) {
  {
    test::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER", "tessaly-no-such-driver");
    EXPECT_FALSE(audio::initOutput(1, 44100));
    EXPECT_FALSE(audio::updateOutput());
    EXPECT_FALSE(audio::freeOutput());
  }
  test::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER", "dummy");
  EXPECT_FALSE(audio::initOutput(2, 44100)) << "only the default device";
  EXPECT_TRUE(audio::initOutput(1, 44100));
  EXPECT_FALSE(audio::initOutput(1, 44100)) << "already initialised";
  EXPECT_TRUE(audio::updateOutput());
  EXPECT_TRUE(audio::freeOutput());
  EXPECT_FALSE(audio::freeOutput());
  EXPECT_TRUE(audio::initOutput(0, 44100)) << "no sound";
  EXPECT_TRUE(audio::freeOutput());
}

TEST_F(AudioLayer, CallsOnNoStreamOrAFreedOneFail) {
  std::array<float, spectrumSize> spectrum;
  spectrum.fill(3.0f);
  const audio::Handle freed = audio::createStream(tone(44100, 0.2, 440.0), audio::streamDecode);
  ASSERT_NE(freed, 0u);
  EXPECT_TRUE(audio::freeStream(freed));
  for (audio::Handle stream : {audio::Handle{0}, freed}) {
    EXPECT_FALSE(audio::play(stream, true));
    EXPECT_FALSE(audio::setPosition(stream, 0));
    EXPECT_FALSE(audio::position(stream));
    EXPECT_FALSE(audio::length(stream));
    EXPECT_LT(audio::bytesToSeconds(stream, 0), 0.0);
    EXPECT_FALSE(audio::secondsToBytes(stream, 1.0));
    EXPECT_FALSE(audio::fetchFft(stream, spectrum.data()));
    EXPECT_FALSE(audio::freeStream(stream));
  }
  EXPECT_EQ(spectrum[0], 3.0f) << "a failed fetch leaves the buffer";
  EXPECT_EQ(audio::createStream(dir.file("missing.mp3"), 0), 0u);
  EXPECT_EQ(audio::createStream(std::make_shared<const PcmSound>(), 0), 0u) << "no sound";
  EXPECT_EQ(audio::createStream(std::shared_ptr<const PcmSound>(), 0), 0u);
}

TEST_F(AudioLayer, ADecodeStreamStaysWhereTheCallerPutsIt) {
  const audio::Handle stream =
      audio::createStream(tone(44100, 0.5, 1000.0), audio::streamPrescan | audio::streamDecode);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(audio::length(stream), 22050u * bytesPerFrame);
  EXPECT_FALSE(audio::play(stream, true)) << "nothing plays a decode stream";
  EXPECT_TRUE(audio::setPosition(stream, 4003));
  EXPECT_EQ(audio::position(stream), 4000u) << "whole frames";
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(audio::position(stream), 4000u);
  EXPECT_TRUE(audio::setPosition(stream, 22050u * bytesPerFrame));
  EXPECT_FALSE(audio::setPosition(stream, 22051u * bytesPerFrame));
  EXPECT_DOUBLE_EQ(audio::bytesToSeconds(stream, 44100), 0.25);
  EXPECT_EQ(audio::secondsToBytes(stream, 0.25), 44100u);
  EXPECT_EQ(audio::secondsToBytes(stream, 1.0 / 60.0), 735u * bytesPerFrame);
  EXPECT_EQ(audio::secondsToBytes(stream, -2.0), 0u);

  std::array<float, spectrumSize> spectrum;
  ASSERT_TRUE(audio::setPosition(stream, 4000));
  ASSERT_TRUE(audio::fetchFft(stream, spectrum.data()));
  EXPECT_EQ(peakBin(spectrum), 23u) << "1 kHz: bin 1000 * 1024 / 44100 = 23.2";
  EXPECT_GT(spectrum[23], 0.1f);
  ASSERT_TRUE(audio::setPosition(stream, 22050u * bytesPerFrame));
  ASSERT_TRUE(audio::fetchFft(stream, spectrum.data()));
  EXPECT_EQ(*std::max_element(spectrum.begin(), spectrum.end()), 0.0f) << "past the end";
  EXPECT_TRUE(audio::freeStream(stream));
}

// A 22050 Hz file on the 44100 Hz dummy device plays in real time, not at
// double speed, and the same file without a device runs on the wall clock.
TEST_F(AudioLayer, StreamsPlayInRealTimeOnTheDeviceAndWithoutOne) {
  const std::shared_ptr<const PcmSound> sound = tone(22050, 1.0, 1000.0);
  test::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER", "dummy");
  for (int device : {1, 0}) {
    SCOPED_TRACE(device == 1 ? "dummy device" : "no sound");
    ASSERT_TRUE(audio::initOutput(device, 44100));
    const audio::Handle stream = audio::createStream(sound, 0);
    ASSERT_NE(stream, 0u);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(audio::play(stream, true));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double heard = audio::bytesToSeconds(stream, audio::position(stream).value());
    const double elapsed = secondsSince(start);
    EXPECT_GT(heard, 0.0);
    // At most the time played (the device's clock may run a little fast,
    // and it takes a buffer ahead).
    EXPECT_LE(heard, elapsed * 1.02 + 0.03);
    EXPECT_TRUE(audio::freeOutput());
    EXPECT_FALSE(audio::position(stream)) << "freeing the output frees its streams";
  }
}

}  // namespace
}  // namespace tessaly::platform
