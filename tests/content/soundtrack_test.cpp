// The soundtrack decodes (with libmpg123, as the player does) to 44.1 kHz
// stereo lasting past the show's 81.6 s, and the spectrum bin the shake
// tracks name really follows the kick: it reads far higher on the beat
// than between beats.
#include "tests/content/content_data.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <fstream>
#include <vector>

namespace tessaly::test {
namespace {

struct Pcm {
  long rate = 0;
  int channels = 0;
  std::vector<float> left, right;
};

Pcm decodeMp3(const std::filesystem::path& path) {
  Pcm pcm;
  mpg123_init();
  int error = 0;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (handle == nullptr) return pcm;
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0.0);
  if (mpg123_open(handle, path.string().c_str()) == MPG123_OK) {
    int encoding = 0;
    mpg123_getformat(handle, &pcm.rate, &pcm.channels, &encoding);
    mpg123_format_none(handle);
    mpg123_format(handle, pcm.rate, pcm.channels, MPG123_ENC_SIGNED_16);
    std::vector<unsigned char> buffer(65536);
    std::size_t done = 0;
    int result = MPG123_OK;
    while ((result = mpg123_read(handle, buffer.data(), buffer.size(), &done)) == MPG123_OK ||
           result == MPG123_NEW_FORMAT) {
      const auto* samples = reinterpret_cast<const short*>(buffer.data());
      for (std::size_t i = 0; i + 1 < done / 2; i += static_cast<std::size_t>(pcm.channels)) {
        pcm.left.push_back(samples[i] / 32768.0f);
        pcm.right.push_back(samples[i + (pcm.channels > 1 ? 1 : 0)] / 32768.0f);
      }
    }
    mpg123_close(handle);
  }
  mpg123_delete(handle);
  return pcm;
}

// |X[k]| / 512 of 1024 mono frames from `frame` under a Hann window.
float spectrumBin(const Pcm& pcm, std::size_t frame, int bin) {
  const double twoPi = 6.283185307179586;
  double re = 0.0, im = 0.0;
  for (int n = 0; n < 1024; ++n) {
    const std::size_t i = frame + static_cast<std::size_t>(n);
    const double mono = i < pcm.left.size() ? 0.5 * (pcm.left[i] + pcm.right[i]) : 0.0;
    const double w = 0.5 * (1.0 - std::cos(twoPi * n / 1024.0)) * mono;
    re += w * std::cos(twoPi * bin * n / 1024.0);
    im -= w * std::sin(twoPi * bin * n / 1024.0);
  }
  return static_cast<float>(std::sqrt(re * re + im * im) / 512.0);
}

float trackFirstValue(const char* name) {
  std::ifstream in(dataDir() / "Rocket" / (std::string("sync_") + name + ".track"),
                   std::ios::binary);
  std::int32_t count = 0, row = 0;
  float value = -1.0f;
  in.read(reinterpret_cast<char*>(&count), 4);
  in.read(reinterpret_cast<char*>(&row), 4);
  in.read(reinterpret_cast<char*>(&value), 4);
  return value;
}

TEST(Soundtrack, DecodesToStereoAt44100HzLastingTheWholeShow) {
  const Pcm pcm = decodeMp3(dataDir() / "Sound" / "KestruneOriginalSoundtrack.mp3");
  ASSERT_EQ(pcm.rate, 44100);
  ASSERT_EQ(pcm.channels, 2);
  EXPECT_GE(static_cast<double>(pcm.left.size()) / 44100.0, 81.6);

  // Music plays through the show: no silent second before the final hit.
  for (int second = 0; second < 78; ++second) {
    float peak = 0.0f;
    for (std::size_t i = static_cast<std::size_t>(second) * 44100;
         i < static_cast<std::size_t>(second + 1) * 44100; ++i) {
      peak = std::max(peak, std::fabs(pcm.left[i]));
    }
    ASSERT_GT(peak, 0.05f) << "silence at " << second << " s";
  }

  // The shake's bin rises on the beat (row 8k, 104.5 beats a minute) in
  // the full groove of bars 8 to 31, and falls between beats.
  const float binX = trackFirstValue("cam.shake.dat.x");
  ASSERT_EQ(binX, trackFirstValue("cam.shake.dat.y"));
  ASSERT_EQ(binX, std::floor(binX));
  ASSERT_TRUE(binX >= 0.0f && binX < 512.0f);
  const int bin = static_cast<int>(binX);
  double onBeat = 0.0, between = 0.0;
  for (int beat = 32; beat < 128; beat += 3) {
    const double seconds = beat * 8 / 13.933333333333334;
    onBeat += spectrumBin(pcm, static_cast<std::size_t>((seconds + 0.01) * 44100), bin);
    between += spectrumBin(pcm, static_cast<std::size_t>((seconds + 0.3) * 44100), bin);
  }
  EXPECT_GT(onBeat, 3.0 * between) << "bin " << bin;
  EXPECT_GT(onBeat / 32.0, 0.1) << "bin " << bin << " barely moves on a kick";
}

}  // namespace
}  // namespace tessaly::test
