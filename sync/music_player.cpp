// The music clock: the soundtrack played through the audio layer, its
// position in seconds and rows, and its spectrum. When the stream cannot be
// created the clock runs on silently from the end of open, so the demo still
// plays and ends; in capture the caller sets the time.
#include "sync/music_player.h"

#include "platform/audio.h"
#include "platform/error_box.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace tessaly::sync {

namespace {

namespace audio = platform::audio;
using Clock = std::chrono::steady_clock;

struct PlayerState {
  audio::Handle stream = 0;
  Clock::time_point fallbackStart = Clock::now();  // the clock without a stream
  bool capture = false;
  double captureSeconds = 0.0;
};

PlayerState& player() {
  static PlayerState state;
  return state;
}

// A missing name is a missing file.
std::string nameOf(const char* fileName) {
  return fileName != nullptr ? fileName : "";
}

double positionSeconds() {
  const PlayerState& state = player();
  if (state.capture) {
    return state.captureSeconds;
  }
  if (state.stream != 0) {
    if (const auto bytes = audio::position(state.stream)) {
      return audio::bytesToSeconds(state.stream, *bytes);
    }
  }
  return std::chrono::duration<double>(Clock::now() - state.fallbackStart).count();
}

}  // namespace

void MusicPlayer::open(const char* fileName, int loop,
                       std::shared_ptr<const platform::PcmSound> decoded) {
  close();
  PlayerState& state = player();
  state = PlayerState{};

  if (!audio::initOutput(1, audio::defaultOutputRate)) {
    platform::showErrorBox("Bass init failed! Remembered the bass.dll file?");
  }
  const std::uint32_t flags =
      loop != 0 ? (audio::streamPrescan | audio::sampleLoop) : audio::streamPrescan;
  state.stream = decoded ? audio::createStream(std::move(decoded), flags)
                         : audio::createStream(nameOf(fileName), flags);
  if (state.stream == 0) {
    platform::showErrorBox("Bass file loading failed!");
  }
  if (!audio::play(state.stream, true)) {
    platform::showErrorBox("Music failed to play!");
  }
  if (!audio::setPosition(state.stream, 0)) {
    platform::showErrorBox("Failed to start song at the start");
  }
  // The boxes above wait for the user; the silent clock starts after them.
  state.fallbackStart = Clock::now();
}

bool MusicPlayer::openForCapture(const char* fileName) {
  close();
  PlayerState& state = player();
  state = PlayerState{};
  state.capture = true;
  state.stream = audio::createStream(nameOf(fileName), audio::streamPrescan | audio::streamDecode);
  return state.stream != 0;
}

void MusicPlayer::setSeconds(double seconds) {
  PlayerState& state = player();
  if (!state.capture) {
    return;  // the live clock is the music's own
  }
  state.captureSeconds = seconds;
  if (state.stream == 0) {
    return;
  }
  // Past the end the spectrum reads the silence after the music.
  const std::uint64_t bytes = audio::secondsToBytes(state.stream, seconds).value_or(0);
  const std::uint64_t end = audio::length(state.stream).value_or(0);
  audio::setPosition(state.stream, std::min(bytes, end));
}

void MusicPlayer::update() {
  audio::updateOutput();
}

float MusicPlayer::seconds() {
  return static_cast<float>(positionSeconds());
}

double MusicPlayer::row() {
  return positionSeconds() * rowsPerSecond;
}

void MusicPlayer::fetchSpectrum(float* buffer) {
  const PlayerState& state = player();
  if (state.stream == 0 || !audio::fetchFft(state.stream, buffer)) {
    std::fill(buffer, buffer + platform::spectrumSize, 0.0f);
  }
}

void MusicPlayer::close() {
  PlayerState& state = player();
  audio::freeStream(state.stream);
  audio::freeOutput();
  state.stream = 0;
  state.capture = false;
}

}  // namespace tessaly::sync
