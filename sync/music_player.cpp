// Interim music clock: a silent wall clock started at open, until the audio
// layer plays the soundtrack.
#include "sync/music_player.h"

#include <chrono>

namespace tessaly::sync {

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point startTime = Clock::now();
bool manualClock = false;
double manualSeconds = 0.0;

double positionSeconds() {
  if (manualClock) {
    return manualSeconds;
  }
  return std::chrono::duration<double>(Clock::now() - startTime).count();
}

}  // namespace

void MusicPlayer::open(const char* /*fileName*/, int /*loop*/) {
  manualClock = false;
  startTime = Clock::now();
}

bool MusicPlayer::openForCapture(const char* /*fileName*/) {
  manualClock = true;
  manualSeconds = 0.0;
  return false;
}

void MusicPlayer::setSeconds(double seconds) { manualSeconds = seconds; }

void MusicPlayer::update() {}

float MusicPlayer::seconds() { return static_cast<float>(positionSeconds()); }

double MusicPlayer::row() { return positionSeconds() * rowsPerSecond; }

void MusicPlayer::fetchSpectrum(float* buffer) {
  for (int i = 0; i < 512; ++i) {
    buffer[i] = 0.0f;
  }
}

void MusicPlayer::close() {}

}  // namespace tessaly::sync
