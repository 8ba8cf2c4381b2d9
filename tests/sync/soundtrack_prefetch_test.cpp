// The soundtrack decoded ahead: handed over only when it is what decoding
// the file at the music step would give.
#include "sync/soundtrack_prefetch.h"

#include "platform/mp3_decoder.h"
#include "sync/music_player.h"
#include "tests/support/error_recorder.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tessaly::sync {
namespace {

class SoundtrackPrefetchTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::lameAvailable()) GTEST_SKIP() << "needs lame";
    test::Tone tone;
    tone.seconds = 0.5;
    path = test::makeToneMp3(dir.path(), "Track", tone);
    ASSERT_FALSE(path.empty());
  }

  test::TempDir dir;
  std::string path;
};

TEST_F(SoundtrackPrefetchTest, HandsOverTheSameSoundAsDecodingTheFileOnce) {
  const auto expected = platform::decodeMp3File(path);
  ASSERT_TRUE(expected.has_value());
  SoundtrackPrefetch prefetch;
  prefetch.start(path);
  const auto sound = prefetch.take(path);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->rate, expected->rate);
  EXPECT_TRUE(sound->samples == expected->samples);
  EXPECT_EQ(prefetch.take(path), nullptr) << "handed over once";
}

TEST_F(SoundtrackPrefetchTest, NothingForAnotherPathAChangedFileAMissingOneOrNoStart) {
  SoundtrackPrefetch other;
  other.start(path);
  EXPECT_EQ(other.take(dir.file("Else.mp3")), nullptr);

  SoundtrackPrefetch changed;
  changed.start(path);
  changed.waitUntilDone();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  test::Tone longer;
  longer.seconds = 0.8;
  ASSERT_EQ(test::makeToneMp3(dir.path(), "Track", longer), path);
  EXPECT_EQ(changed.take(path), nullptr);

  SoundtrackPrefetch missing;
  missing.start(dir.file("Missing.mp3"));
  EXPECT_EQ(missing.take(dir.file("Missing.mp3")), nullptr);

  SoundtrackPrefetch never;
  EXPECT_EQ(never.take(path), nullptr);
}

TEST_F(SoundtrackPrefetchTest, TheMusicOpenedFromTheHandedOverSoundPlaysWithoutAMessage) {
  test::ErrorRecorder errors;
  MusicPlayer player;
  SoundtrackPrefetch prefetch;
  prefetch.start(path);
  player.open(path.c_str(), 0, prefetch.take(path));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_GT(player.seconds(), 0.0f);
  player.close();
  EXPECT_TRUE(errors.messages().empty());

  // Nothing handed over for a missing file: the step decodes it itself and
  // says what it always says.
  SoundtrackPrefetch missing;
  missing.start(dir.file("Missing.mp3"));
  player.open(dir.file("Missing.mp3").c_str(), 0, missing.take(dir.file("Missing.mp3")));
  player.close();
  EXPECT_EQ(errors.messages(),
            (std::vector<std::string>{"Bass file loading failed!", "Music failed to play!",
                                      "Failed to start song at the start"}));
}

}  // namespace
}  // namespace tessaly::sync
