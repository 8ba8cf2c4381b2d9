// The soundtrack "Kestrune": an original piece in A minor at 104.5 beats a
// minute (8 sync rows a beat), composed and synthesised here, analysed for
// the kick drum's spectrum bin, and encoded to MP3 with lame.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::content {

struct Soundtrack {
  std::vector<float> left;  // 44.1 kHz, about -1..1
  std::vector<float> right;
  std::vector<double> kickTimes;  // seconds
};

// Composes and renders the whole piece (84 s, the last seconds silent).
Soundtrack composeSoundtrack();

// The spectrum bin the camera shake follows, as the player's spectrum sees
// it (1024 frames from the position, mono, Hann window, |X[k]| / 512).
struct KickAnalysis {
  int bin = 1;
  float level = 0.0f;     // typical peak magnitude in that bin on a kick
  float contrast = 0.0f;  // mean magnitude on kicks / between kicks
};
KickAnalysis analyseKick(const Soundtrack& soundtrack);

// The spectrum magnitude of bin k at `frame`, computed as the player does.
float spectrumBin(const std::vector<float>& left, const std::vector<float>& right,
                  std::size_t frame, int bin);

// Writes 16-bit stereo PCM to a temporary WAV beside `mp3Path` and encodes
// it with `lameProgram`; false when lame fails.
bool encodeMp3(const Soundtrack& soundtrack, const std::filesystem::path& mp3Path,
               const std::string& lameProgram);

}  // namespace tessaly::content
