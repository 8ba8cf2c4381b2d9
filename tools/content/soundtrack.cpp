// Analysing the rendered soundtrack the way the player will see it, and
// encoding it to MP3.
#include "tools/content/soundtrack.h"

#include "tools/content/output.h"
#include "tools/content/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tessaly::content {

namespace {

constexpr int fftSize = 1024;
constexpr double twoPi = 6.283185307179586;

}  // namespace

float spectrumBin(const std::vector<float>& left, const std::vector<float>& right,
                  std::size_t frame, int bin) {
  double re = 0.0, im = 0.0;
  for (int n = 0; n < fftSize; ++n) {
    const std::size_t i = frame + static_cast<std::size_t>(n);
    const double mono = i < left.size() ? 0.5 * (left[i] + right[i]) : 0.0;
    const double window = 0.5 * (1.0 - std::cos(twoPi * n / fftSize));
    const double angle = twoPi * bin * n / fftSize;
    re += mono * window * std::cos(angle);
    im -= mono * window * std::sin(angle);
  }
  return static_cast<float>(std::sqrt(re * re + im * im) / (fftSize / 2));
}

KickAnalysis analyseKick(const Soundtrack& soundtrack) {
  // For each candidate bin, the mean magnitude in the 120 ms after each kick
  // against the mean in the quiet half of each beat (200 to 400 ms after
  // the kick, where the bass plays).
  const double beat = 60.0 / 104.5;
  KickAnalysis best;
  float bestScore = -1.0f;
  for (int bin = 1; bin <= 6; ++bin) {
    double onKick = 0.0, between = 0.0;
    std::vector<float> peaks;
    int counted = 0;
    for (std::size_t k = 0; k + 1 < soundtrack.kickTimes.size(); k += 3) {
      const double kickTime = soundtrack.kickTimes[k];
      if (soundtrack.kickTimes[k + 1] - kickTime > beat * 1.5) {
        continue;  // the last kick of a run has no beat after it
      }
      float peak = 0.0f;
      for (int step = 0; step < 6; ++step) {
        const double t = kickTime + 0.02 * step;
        const float m = spectrumBin(soundtrack.left, soundtrack.right,
                                    static_cast<std::size_t>(t * synth::sampleRate), bin);
        onKick += m;
        peak = std::max(peak, m);
      }
      for (int step = 0; step < 6; ++step) {
        const double t = kickTime + 0.2 + 0.04 * step;
        between += spectrumBin(soundtrack.left, soundtrack.right,
                               static_cast<std::size_t>(t * synth::sampleRate), bin);
      }
      peaks.push_back(peak);
      ++counted;
    }
    if (counted == 0) {
      continue;
    }
    std::sort(peaks.begin(), peaks.end());
    const float level = peaks[peaks.size() / 2];
    const float contrast = static_cast<float>(onKick / std::max(between, 1e-9));
    // Prefer contrast, but only among bins where the kick is strong.
    const float score = contrast * std::min(1.0f, level / 0.05f);

    if (score > bestScore) {
      bestScore = score;
      best = KickAnalysis{bin, level, contrast};
    }
  }
  return best;
}

bool encodeMp3(const Soundtrack& soundtrack, const std::filesystem::path& mp3Path,
               const std::string& lameProgram) {
  const std::size_t frames = soundtrack.left.size();
  std::vector<std::uint8_t> wav;
  auto put16 = [&](std::uint16_t v) {
    wav.push_back(static_cast<std::uint8_t>(v));
    wav.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&](std::uint32_t v) {
    put16(static_cast<std::uint16_t>(v));
    put16(static_cast<std::uint16_t>(v >> 16));
  };
  auto tag = [&](const char* text) {
    for (int i = 0; i < 4; ++i) {
      wav.push_back(static_cast<std::uint8_t>(text[i]));
    }
  };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * 4);
  tag("RIFF");
  put32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);  // PCM
  put16(2);
  put32(synth::sampleRate);
  put32(synth::sampleRate * 4);
  put16(4);
  put16(16);
  tag("data");
  put32(dataBytes);
  auto sample = [](float v) {
    const float clamped = std::clamp(v, -1.0f, 1.0f);
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(clamped * 32767.0f)));
  };
  for (std::size_t i = 0; i < frames; ++i) {
    put16(sample(soundtrack.left[i]));
    put16(sample(soundtrack.right[i]));
  }
  const std::filesystem::path wavPath = mp3Path.string() + ".wav";
  if (!writeFile(wavPath, wav)) {
    return false;
  }
  // Tags in Latin-1: lame's UTF-16 comment frame carries a byte-order mark
  // that other readers (ffmpeg) reject.
  const bool ok = runProgram({lameProgram, "--quiet", "--noreplaygain", "-q", "2", "-b", "192",
                              "--id3v2-latin1", "--tt", "Kestrune", "--ta", "Pallon", "--tl",
                              "Tessaly stand-in production", "--tc", "CC0", wavPath.string(),
                              mp3Path.string()});
  std::error_code error;
  std::filesystem::remove(wavPath, error);
  return ok;
}

}  // namespace tessaly::content
