#include "sync/music_player.h"
#include "tests/support/error_recorder.h"
#include "tests/support/scoped_env.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace tessaly::sync {
namespace {

using Clock = std::chrono::steady_clock;
using Spectrum = std::array<float, 512>;

const std::vector<std::string> missingFileMessages = {
    "Bass file loading failed!", "Music failed to play!", "Failed to start song at the start"};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Spectrum spectrumNow(const MusicPlayer& player) {
  Spectrum spectrum;
  spectrum.fill(7.0f);  // what a previous frame left
  player.fetchSpectrum(spectrum.data());
  return spectrum;
}

std::size_t peakBin(const Spectrum& spectrum) {
  return static_cast<std::size_t>(std::max_element(spectrum.begin(), spectrum.end()) -
                                  spectrum.begin());
}

bool allZero(const Spectrum& spectrum) {
  return std::all_of(spectrum.begin(), spectrum.end(), [](float v) { return v == 0.0f; });
}

class MusicPlayerTest : public testing::Test {
 protected:
  void TearDown() override { player.close(); }

  MusicPlayer player;

  // A 1 kHz tone (or silence) of `seconds`, made with lame; skips without it.
  std::string tone(double seconds, double frequency = 1000.0) {
    if (!test::lameAvailable()) {
      return {};
    }
    return test::makeToneMp3(dir.path(), "tone" + std::to_string(++made),
                             {.seconds = seconds, .frequency = frequency});
  }

  test::TempDir dir;
  test::ErrorRecorder errors;
  int made = 0;
};

#define REQUIRE_FIXTURE(file) \
  if ((file).empty()) GTEST_SKIP() << "lame is not installed: no MP3 fixtures"

TEST_F(MusicPlayerTest, CaptureTimeGivesSecondsAndRowsExactly) {
  const std::string file = tone(0.5);
  REQUIRE_FIXTURE(file);
  ASSERT_TRUE(player.openForCapture(file.c_str()));
  EXPECT_EQ(player.seconds(), 0.0f);
  player.setSeconds(10.0);
  EXPECT_EQ(player.seconds(), 10.0f);
  EXPECT_EQ(player.row(), 139.33333333333334);
  player.setSeconds(81.6);
  EXPECT_NEAR(player.row(), 1136.96, 1e-9);
  player.setSeconds(1234.0 / 60.0);
  EXPECT_EQ(player.seconds(), static_cast<float>(1234.0 / 60.0)) << "frame n at n / fps";
  EXPECT_EQ(player.row(), 1234.0 / 60.0 * rowsPerSecond);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(MusicPlayerTest, TheSpectrumOfAToneAndOfSilence) {
  const std::string toneFile = tone(0.5);
  REQUIRE_FIXTURE(toneFile);
  const std::string silenceFile = tone(0.5, 0.0);

  ASSERT_TRUE(player.openForCapture(toneFile.c_str()));
  player.setSeconds(0.25);
  const Spectrum toneSpectrum = spectrumNow(player);
  EXPECT_EQ(peakBin(toneSpectrum), 23u) << "the bin nearest 1000 * 1024 / 44100 = 23.2";
  EXPECT_GT(toneSpectrum[23], 0.1f);
  player.setSeconds(0.6);
  EXPECT_TRUE(allZero(spectrumNow(player))) << "past the end of the music";

  ASSERT_TRUE(player.openForCapture(silenceFile.c_str()));
  player.setSeconds(0.25);
  EXPECT_TRUE(allZero(spectrumNow(player)));
}

TEST_F(MusicPlayerTest, CaptureWithoutAFileKeepsTheTimeAndReadsSilence) {
  EXPECT_FALSE(player.openForCapture(dir.file("missing.mp3").c_str()));
  player.setSeconds(10.0);
  EXPECT_EQ(player.row(), 139.33333333333334);
  EXPECT_TRUE(allZero(spectrumNow(player)));
  EXPECT_TRUE(errors.messages().empty()) << "capture reports through its result";
}

// Sampled every 2 ms for a second, as 60 Hz frames would see it: never
// backwards, and once the device has started the stream no two samples 16 ms
// apart see the same position.
TEST_F(MusicPlayerTest, ThePlayingPositionIsSmooth) {
  const std::string file = tone(2.0);
  REQUIRE_FIXTURE(file);
  player.open(file.c_str(), 0);
  EXPECT_TRUE(errors.messages().empty());

  struct Sample {
    Clock::time_point at;
    double row;
  };
  std::vector<Sample> samples;
  const Clock::time_point start = Clock::now();
  while (secondsSince(start) < 1.0) {
    player.update();
    samples.push_back({Clock::now(), player.row()});
    sleepMs(2);
  }
  ASSERT_GT(samples.back().row, 0.0);
  std::size_t runStart = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    ASSERT_GE(samples[i].row, samples[i - 1].row) << "sample " << i;
    if (samples[i].row != samples[runStart].row) {
      runStart = i;
    } else if (samples[i].row > 0.0) {
      ASSERT_LT(samples[i].at - samples[runStart].at, std::chrono::milliseconds(16))
          << "the same position for a whole frame at row " << samples[i].row;
    }
  }
  EXPECT_LE(samples.back().row / rowsPerSecond, secondsSince(start) * 1.02 + 0.03)
      << "no faster than real time";
}

TEST_F(MusicPlayerTest, TheLiveSpectrumFollowsThePlayingTone) {
  const std::string file = tone(1.0);
  REQUIRE_FIXTURE(file);
  player.open(file.c_str(), 0);
  sleepMs(100);
  EXPECT_EQ(peakBin(spectrumNow(player)), 23u);
}

TEST_F(MusicPlayerTest, ALoopingStreamWrapsToTheStartAndANonLoopingOneStopsAtItsEnd) {
  const std::string file = tone(0.3);
  REQUIRE_FIXTURE(file);
  const float end = static_cast<float>(13230.0 / 44100.0);

  player.open(file.c_str(), 1);
  double highest = 0.0;
  bool wrapped = false;
  double previous = 0.0;
  const Clock::time_point start = Clock::now();
  while (secondsSince(start) < 0.8) {
    const double row = player.row();
    wrapped = wrapped || row < previous;
    highest = std::max(highest, row);
    previous = row;
    sleepMs(3);
  }
  EXPECT_TRUE(wrapped) << "the row drops back to the start";
  EXPECT_LT(highest, 0.3 * rowsPerSecond);

  player.open(file.c_str(), 0);
  sleepMs(600);
  EXPECT_EQ(player.seconds(), end);
  sleepMs(50);
  EXPECT_EQ(player.seconds(), end) << "stays at its end";
  EXPECT_TRUE(allZero(spectrumNow(player))) << "nothing plays after the end";
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(MusicPlayerTest, AMissingOrUndecodableFileShowsThreeMessagesAndRunsOnAWallClock) {
  const std::string good = tone(0.5);
  std::string noise;
  for (int i = 0; i < 10000; ++i) {
    noise.push_back(static_cast<char>((i * 7919 + 13) % 251));
  }
  std::vector<std::string> files = {dir.file("missing.mp3"), dir.write("empty.mp3", ""),
                                    dir.write("noise.mp3", noise), dir.path().string()};
  if (!good.empty()) {
    files.push_back(dir.write("truncated.mp3", test::readFile(good).substr(0, 300)));
  }
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    errors.clear();
    const Clock::time_point before = Clock::now();
    player.open(file.c_str(), 0);
    const Clock::time_point opened = Clock::now();
    EXPECT_EQ(errors.messages(), missingFileMessages);
    sleepMs(40);
    const Clock::time_point sampled = Clock::now();
    const double seconds = player.row() / rowsPerSecond;
    EXPECT_GE(seconds, std::chrono::duration<double>(sampled - opened).count());
    EXPECT_LE(seconds, secondsSince(before));
    EXPECT_TRUE(allZero(spectrumNow(player)));
    player.close();
  }
  errors.clear();
  player.open(nullptr, 1);
  EXPECT_EQ(errors.messages(), missingFileMessages) << "no name at all";
}

TEST_F(MusicPlayerTest, WithoutAnOutputDeviceTheMusicPlaysOnASilentClockToItsEnd) {
  const std::string file = tone(0.3);
  REQUIRE_FIXTURE(file);
  test::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER", "tessaly-no-such-driver");
  const Clock::time_point before = Clock::now();
  player.open(file.c_str(), 0);
  const Clock::time_point opened = Clock::now();
  EXPECT_EQ(errors.messages(),
            std::vector<std::string>{"Bass init failed! Remembered the bass.dll file?"});
  sleepMs(100);
  const Clock::time_point sampled = Clock::now();
  const double seconds = player.row() / rowsPerSecond;
  EXPECT_GE(seconds, std::chrono::duration<double>(sampled - opened).count() - 1.0 / 44100);
  EXPECT_LE(seconds, secondsSince(before));
  EXPECT_EQ(peakBin(spectrumNow(player)), 23u) << "the spectrum is of the music";
  sleepMs(300);
  EXPECT_EQ(player.seconds(), static_cast<float>(13230.0 / 44100.0)) << "the end";
}

// --- Authoring controls --------------------------------------------------------

class MusicControlsTest : public MusicPlayerTest {
 protected:
  // One second of 1 kHz (spectrum bin 23), then one of 3 kHz (bin 70).
  std::string twoTones() {
    if (!test::lameAvailable()) {
      return {};
    }
    std::vector<std::int16_t> samples = test::synthesiseTone({.seconds = 1.0, .frequency = 1000.0});
    const std::vector<std::int16_t> high = test::synthesiseTone({.seconds = 1.0, .frequency = 3000.0});
    samples.insert(samples.end(), high.begin(), high.end());
    const auto wav = dir.path() / "two.wav";
    const auto mp3 = dir.path() / "two.mp3";
    test::writeWav(wav, samples, 44100, 2);
    return test::encodeMp3(wav, mp3, 128) ? mp3.string() : std::string();
  }
};

TEST_F(MusicControlsTest, PauseSeekAndSpeedMoveThePositionAndTheSpectrumAtOnce) {
  const std::string file = twoTones();
  REQUIRE_FIXTURE(file);
  player.open(file.c_str(), 0);
  sleepMs(100);

  player.setPaused(true);
  EXPECT_TRUE(player.paused());
  const float held = player.seconds();
  sleepMs(150);
  EXPECT_EQ(player.seconds(), held) << "a paused clock stands still";

  player.seek(1.5);
  EXPECT_EQ(player.seconds(), 1.5f) << "paused, the seek shows at once";
  EXPECT_DOUBLE_EQ(player.row(), 1.5 * rowsPerSecond);
  EXPECT_NEAR(static_cast<double>(peakBin(spectrumNow(player))), 70.0, 1.0);
  player.seek(0.5);
  EXPECT_EQ(peakBin(spectrumNow(player)), 23u) << "the spectrum follows the seek back";
  player.seek(-3.0);
  EXPECT_EQ(player.seconds(), 0.0f);
  player.seek(60.0);
  EXPECT_NEAR(player.seconds(), 2.0, 0.03) << "held at the stream's end";

  player.seek(0.2);
  player.setPaused(false);
  sleepMs(300);
  EXPECT_GT(player.seconds(), 0.35f) << "resumes from the seek";

  // Twice as fast, muted: 200 ms of wall clock move the music about 400 ms.
  player.setSpeed(2.0);
  const double before = player.seconds();
  sleepMs(200);
  EXPECT_NEAR(player.seconds() - before, 0.4, 0.12);
  player.setSpeed(9.0);
  EXPECT_EQ(player.speed(), MusicPlayer::maxSpeed);
  player.setSpeed(0.0);
  EXPECT_EQ(player.speed(), MusicPlayer::minSpeed);
  player.seek(1.5);
  EXPECT_NEAR(static_cast<double>(peakBin(spectrumNow(player))), 70.0, 1.0)
      << "at another speed the spectrum is the music's at the clock";

  // Back at 1: the stream is the clock again, from where the clock stood.
  player.setPaused(true);
  player.seek(0.6);
  player.setSpeed(1.0);
  EXPECT_EQ(player.seconds(), 0.6f);
  player.setPaused(false);
  sleepMs(200);
  EXPECT_GT(player.seconds(), 0.7f);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(MusicControlsTest, ReopenKeepsThePositionPauseAndSpeedAndTheOldStreamWhenTheFileIsGone) {
  const std::string file = twoTones();
  REQUIRE_FIXTURE(file);
  EXPECT_FALSE(player.reopen()) << "nothing opened yet";
  player.open(file.c_str(), 1);
  player.setPaused(true);
  player.seek(1.25);
  ASSERT_TRUE(player.reopen());
  EXPECT_EQ(player.seconds(), 1.25f);
  EXPECT_TRUE(player.paused());
  EXPECT_NEAR(static_cast<double>(peakBin(spectrumNow(player))), 70.0, 1.0);

  player.setSpeed(0.5);
  ASSERT_TRUE(player.reopen());
  EXPECT_EQ(player.speed(), 0.5);
  EXPECT_EQ(player.seconds(), 1.25f);

  std::filesystem::remove(file);
  EXPECT_FALSE(player.reopen());
  EXPECT_EQ(player.seconds(), 1.25f) << "the old stream stays where it was";
  player.setSpeed(1.0);
  player.setPaused(false);
  sleepMs(150);
  EXPECT_GT(player.seconds(), 1.3f) << "and plays on";
  EXPECT_EQ(peakBin(spectrumNow(player)), 70u);
  EXPECT_TRUE(errors.messages().empty());
}

}  // namespace
}  // namespace tessaly::sync
