// The audio layer's costs that the player pays: decoding the whole soundtrack
// at start-up (an 82-second stereo MP3 at 192 kbps) and one spectrum per
// frame.
#include "platform/mp3_decoder.h"
#include "sync/music_player.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

using namespace tessaly;

constexpr double soundtrackSeconds = 82.0;

// Chords that change every two seconds over a little noise, slightly
// different on each channel: enough detail that the encoder spends its bits
// the way it would on music.
std::vector<std::int16_t> musicLikeSignal(std::uint32_t rate, double seconds) {
  const auto frames = static_cast<std::size_t>(seconds * rate);
  std::vector<std::int16_t> samples(frames * 2);
  const double roots[] = {110.0, 146.83, 130.81, 98.0};
  std::uint32_t seed = 1;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double root = roots[static_cast<std::size_t>(t / 2.0) % 4];
    double value = 0.0;
    for (double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
      value += std::sin(2.0 * std::numbers::pi * root * ratio * t) / (ratio * 4.0);
    }
    for (int c = 0; c < 2; ++c) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.05;
      const double pan = c == 0 ? 1.0 : 0.8;
      samples[i * 2 + static_cast<std::size_t>(c)] =
          static_cast<std::int16_t>(std::lround((value * pan + noise) * 20000.0));
    }
  }
  return samples;
}

// Made once per run; empty when lame is missing.
const std::string& soundtrack() {
  static test::TempDir* dir = new test::TempDir;
  static const std::string file = [] {
    if (!test::lameAvailable()) {
      return std::string();
    }
    const auto wav = dir->path() / "soundtrack.wav";
    const auto mp3 = dir->path() / "soundtrack.mp3";
    test::writeWav(wav, musicLikeSignal(44100, soundtrackSeconds), 44100, 2);
    return test::encodeMp3(wav, mp3, 192) ? mp3.string() : std::string();
  }();
  return file;
}

void DecodeSoundtrack82s(benchmark::State& state) {
  const std::string& file = soundtrack();
  if (file.empty()) {
    state.SkipWithError("lame is not installed");
    return;
  }
  std::uint64_t frames = 0;
  for (auto _ : state) {
    auto sound = platform::decodeMp3File(file);
    frames = sound ? sound->frames() : 0;
    benchmark::DoNotOptimize(frames);
  }
  state.counters["seconds_of_music"] = static_cast<double>(frames) / 44100.0;
  state.counters["times_real_time"] = benchmark::Counter(
      static_cast<double>(frames) / 44100.0 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeSoundtrack82s)->Unit(benchmark::kMillisecond)->UseRealTime();

void FetchSpectrum(benchmark::State& state) {
  const std::string& file = soundtrack();
  sync::MusicPlayer player;
  if (file.empty() || !player.openForCapture(file.c_str())) {
    state.SkipWithError("no soundtrack");
    return;
  }
  player.setSeconds(40.0);
  std::array<float, 512> spectrum{};
  for (auto _ : state) {
    player.fetchSpectrum(spectrum.data());
    benchmark::DoNotOptimize(spectrum.data());
  }
}
BENCHMARK(FetchSpectrum)->Unit(benchmark::kMicrosecond);

}  // namespace
