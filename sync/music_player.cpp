// The music clock: the soundtrack played through the audio layer, its
// position in seconds and rows, and its spectrum. When the stream cannot be
// created the clock runs on silently from the end of open, so the demo still
// plays and ends; in capture the caller sets the time. The authoring
// controls (pause, seek, speed, reopen) keep the stream as the clock at
// speed 1 and run a clock of the player's own otherwise.
#include "sync/music_player.h"

#include "platform/audio.h"
#include "platform/error_box.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

namespace tessaly::sync {

namespace {

namespace audio = platform::audio;

// A missing name is a missing file.
std::string nameOf(const char* fileName) {
  return fileName != nullptr ? fileName : "";
}

}  // namespace

MusicPlayer::~MusicPlayer() {
  if (opened_) {
    close();
  }
}

double MusicPlayer::positionSeconds() const {
  if (capture_) {
    return captureSeconds_;
  }
  if (!ownClock()) {
    if (const auto bytes = audio::position(stream_)) {
      return audio::bytesToSeconds(stream_, *bytes);
    }
  }
  return ownSeconds();
}

double MusicPlayer::ownSeconds() const {
  double seconds = ownBase_;
  if (!paused_) {
    seconds += speed_ * std::chrono::duration<double>(Clock::now() - ownStart_).count();
  }
  if (stream_ == 0) {
    return seconds;
  }
  const double length = audio::bytesToSeconds(stream_, audio::length(stream_).value_or(0));
  if (length <= 0.0 || seconds < length) {
    return seconds;
  }
  return (flags_ & audio::sampleLoop) != 0 ? std::fmod(seconds, length) : length;
}

void MusicPlayer::setOwnClock(double seconds) {
  ownBase_ = seconds;
  ownStart_ = Clock::now();
}

void MusicPlayer::alignStream(double seconds) const {
  const std::uint64_t bytes = audio::secondsToBytes(stream_, seconds).value_or(0);
  const std::uint64_t end = audio::length(stream_).value_or(0);
  audio::setPosition(stream_, std::min(bytes, end));
}

void MusicPlayer::open(const char* fileName, int loop,
                       std::shared_ptr<const platform::PcmSound> decoded) {
  close();
  opened_ = true;
  captureSeconds_ = 0.0;

  if (!audio::initOutput(1, audio::defaultOutputRate)) {
    platform::showErrorBox("Bass init failed! Remembered the bass.dll file?");
  }
  const std::uint32_t flags =
      loop != 0 ? (audio::streamPrescan | audio::sampleLoop) : audio::streamPrescan;
  fileName_ = nameOf(fileName);
  flags_ = flags;
  stream_ = decoded ? audio::createStream(std::move(decoded), flags)
                    : audio::createStream(fileName_, flags);
  if (stream_ == 0) {
    platform::showErrorBox("Bass file loading failed!");
  }
  if (!audio::play(stream_, true)) {
    platform::showErrorBox("Music failed to play!");
  }
  if (!audio::setPosition(stream_, 0)) {
    platform::showErrorBox("Failed to start song at the start");
  }
  // The boxes above wait for the user; the silent clock starts after them.
  setOwnClock(0.0);
}

bool MusicPlayer::openForCapture(const char* fileName) {
  close();
  opened_ = true;
  captureSeconds_ = 0.0;
  capture_ = true;
  fileName_ = nameOf(fileName);
  flags_ = audio::streamPrescan | audio::streamDecode;
  stream_ = audio::createStream(fileName_, flags_);
  return stream_ != 0;
}

void MusicPlayer::setSeconds(double seconds) {
  if (!capture_) {
    return;  // the live clock is the music's own
  }
  captureSeconds_ = seconds;
  if (stream_ == 0) {
    return;
  }
  // Past the end the spectrum reads the silence after the music.
  const std::uint64_t bytes = audio::secondsToBytes(stream_, seconds).value_or(0);
  const std::uint64_t end = audio::length(stream_).value_or(0);
  audio::setPosition(stream_, std::min(bytes, end));
}

void MusicPlayer::setPaused(bool paused) {
  if (paused == paused_ || capture_) {
    return;
  }
  if (ownClock()) {
    setOwnClock(ownSeconds());
  } else if (paused) {
    audio::pause(stream_);
  } else {
    audio::play(stream_, false);
  }
  paused_ = paused;
}

void MusicPlayer::seek(double seconds) {
  if (capture_) {
    setSeconds(seconds);
    return;
  }
  seconds = std::max(seconds, 0.0);
  if (stream_ != 0) {
    const double length = audio::bytesToSeconds(stream_, audio::length(stream_).value_or(0));
    seconds = std::min(seconds, std::max(length, 0.0));
    alignStream(seconds);
  }
  setOwnClock(seconds);
}

void MusicPlayer::setSpeed(double speed) {
  speed = std::clamp(speed, minSpeed, maxSpeed);
  if (speed == speed_ || capture_) {
    return;
  }
  const double seconds = positionSeconds();
  const bool wasOwn = ownClock();
  speed_ = speed;
  setOwnClock(seconds);
  if (stream_ == 0 || wasOwn == ownClock()) {
    return;
  }
  if (ownClock()) {
    // Muted from here: the stream holds and only lends its spectrum.
    audio::pause(stream_);
    alignStream(seconds);
  } else {
    alignStream(seconds);
    if (!paused_) {
      audio::play(stream_, false);
    }
  }
}

bool MusicPlayer::reopen() {
  if (!opened_) {
    return false;
  }
  const double seconds = positionSeconds();
  const audio::Handle stream = audio::createStream(fileName_, flags_);
  if (stream == 0) {
    return false;  // the old stream stays in use
  }
  audio::freeStream(stream_);
  stream_ = stream;
  if (capture_) {
    setSeconds(seconds);
    return true;
  }
  setOwnClock(seconds);
  alignStream(seconds);
  if (!ownClock() && !paused_) {
    audio::play(stream_, false);
  }
  return true;
}

void MusicPlayer::update() {
  audio::updateOutput();
}

float MusicPlayer::seconds() const {
  return static_cast<float>(positionSeconds());
}

double MusicPlayer::row() const {
  return positionSeconds() * rowsPerSecond;
}

void MusicPlayer::fetchSpectrum(float* buffer) const {
  if (stream_ != 0 && !capture_ && ownClock()) {
    alignStream(ownSeconds());
  }
  if (stream_ == 0 || !audio::fetchFft(stream_, buffer)) {
    std::fill(buffer, buffer + platform::spectrumSize, 0.0f);
  }
}

void MusicPlayer::close() {
  audio::freeStream(stream_);
  audio::freeOutput();
  stream_ = 0;
  capture_ = false;
  opened_ = false;
  paused_ = false;
  speed_ = 1.0;
}

}  // namespace tessaly::sync
