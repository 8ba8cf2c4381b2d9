#include "platform/mp3_decoder.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <string>

namespace tessaly::platform {
namespace {

class Mp3Decoder : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::lameAvailable()) {
      GTEST_SKIP() << "lame is not installed: no MP3 fixtures";
    }
  }
  test::TempDir dir;
};

double rms(const PcmSound& sound, int channel) {
  double sum = 0.0;
  for (std::uint64_t i = 0; i < sound.frames(); ++i) {
    const double v = sound.samples[i * 2 + static_cast<std::uint64_t>(channel)];
    sum += v * v;
  }
  return std::sqrt(sum / static_cast<double>(sound.frames()));
}

TEST_F(Mp3Decoder, DecodesToStereoAtTheFilesRateWithTheExactLength) {
  struct Case {
    test::Tone tone;
    std::uint64_t frames;
  };
  const Case cases[] = {
      {{.rate = 44100, .channels = 2, .seconds = 0.5}, 22050},
      {{.rate = 48000, .channels = 2, .seconds = 0.25}, 12000},
      {{.rate = 22050, .channels = 1, .seconds = 0.5, .bitrateKbps = 64}, 11025},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tone.rate << " Hz, " << c.tone.channels << " channel(s)");
    const std::string file =
        test::makeToneMp3(dir.path(), "tone" + std::to_string(c.tone.rate), c.tone);
    ASSERT_FALSE(file.empty());
    const std::optional<PcmSound> sound = decodeMp3File(file);
    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->rate, c.tone.rate);
    EXPECT_EQ(sound->frames(), c.frames) << "encoder delay and padding removed";
    // A sine at half scale: RMS 0.5 / sqrt(2) of full scale on both channels.
    EXPECT_NEAR(rms(*sound, 0), 0.5 / std::sqrt(2.0) * 32767.0, 600.0);
    EXPECT_NEAR(rms(*sound, 1), 0.5 / std::sqrt(2.0) * 32767.0, 600.0);
    if (c.tone.channels == 1) {
      for (std::uint64_t i = 0; i < sound->frames(); ++i) {
        ASSERT_EQ(sound->samples[i * 2], sound->samples[i * 2 + 1]) << "frame " << i;
      }
    }
  }
}

TEST_F(Mp3Decoder, FilesWithoutDecodableAudioGiveNothingAndACutFileKeepsItsStart) {
  const std::string good = test::makeToneMp3(dir.path(), "good", {.seconds = 1.0});
  ASSERT_FALSE(good.empty());
  const std::string bytes = test::readFile(good);

  std::string noise;
  std::uint32_t seed = 99;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    noise.push_back(static_cast<char>(seed >> 24));
  }
  EXPECT_FALSE(decodeMp3File(dir.file("missing.mp3")));
  EXPECT_FALSE(decodeMp3File(dir.write("empty.mp3", "")));
  EXPECT_FALSE(decodeMp3File(dir.write("cut-in-first-frame.mp3", bytes.substr(0, 300))));
  EXPECT_FALSE(decodeMp3File(dir.write("noise.mp3", noise)));
  EXPECT_FALSE(decodeMp3File(dir.write("text.mp3", std::string(2000, 'a'))));
  EXPECT_FALSE(decodeMp3File(dir.file("good.wav"))) << "a WAV file is not MP3";
  EXPECT_FALSE(decodeMp3File(dir.path().string())) << "a directory";

  const std::optional<PcmSound> half =
      decodeMp3File(dir.write("half.mp3", bytes.substr(0, bytes.size() / 2)));
  ASSERT_TRUE(half.has_value());
  EXPECT_GT(half->frames(), 10000u);
  EXPECT_LT(half->frames(), 44100u);
}

TEST_F(Mp3Decoder, BytesInMemoryDecodeExactlyLikeTheirFile) {
  const std::string good = test::makeToneMp3(dir.path(), "memory", {.seconds = 1.0});
  ASSERT_FALSE(good.empty());
  const std::string bytes = test::readFile(good);
  auto span = [](const std::string& text) {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size());
  };
  // Whole, cut in the middle, cut inside the first frame, and not MP3 at all.
  for (const std::string& input : {bytes, bytes.substr(0, bytes.size() / 2), bytes.substr(0, 300),
                                   std::string(2000, 'a'), std::string()}) {
    SCOPED_TRACE(input.size());
    const std::optional<PcmSound> fromFile = decodeMp3File(dir.write("input.mp3", input));
    const std::optional<PcmSound> fromMemory = decodeMp3(span(input));
    ASSERT_EQ(fromMemory.has_value(), fromFile.has_value());
    if (fromFile) {
      EXPECT_EQ(fromMemory->rate, fromFile->rate);
      EXPECT_TRUE(fromMemory->samples == fromFile->samples);
    }
  }
  const std::optional<PcmSound> whole = decodeMp3(span(bytes));
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole->frames(), 44100u) << "encoder delay and padding removed";
}

}  // namespace
}  // namespace tessaly::platform
