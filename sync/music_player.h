// The soundtrack as the demo's only clock: the position in seconds and in
// sync rows, and the spectrum of what is playing. A show has one player; the
// audio output under it is the process's.
#pragma once

#include "sync/sync_track.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tessaly::platform {
struct PcmSound;
}  // namespace tessaly::platform

namespace tessaly::sync {

class MusicPlayer {
 public:
  MusicPlayer() = default;
  // Closes what is still open.
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // Initialises audio output, opens the file as a stream (looping when `loop`
  // is non-zero), starts it and seeks it to the start. Each failing step shows
  // its message and the next step still runs. Without an output device the
  // stream plays on a silent real-time clock; without a stream (missing or
  // undecodable file) the position is the time since open and the spectrum
  // is zero, so the demo still plays and ends on time. Closes what an
  // earlier open left. `decoded`, when given, is the file's sound decoded
  // beforehand (SoundtrackPrefetch): the stream is made from it instead of
  // decoding the file again.
  void open(const char* fileName, int loop,
            std::shared_ptr<const platform::PcmSound> decoded = nullptr);

  // Opens the file without any output device for frame-exact rendering: the
  // position is whatever setSeconds last set (0 at first), exactly. Shows no
  // message; returns false when the file cannot be decoded (the position can
  // still be set; the spectrum is zero).
  bool openForCapture(const char* fileName);
  // Capture only: the music time of the next frame, n / fps for frame n. The
  // spectrum is then the FFT of the soundtrack at that time.
  void setSeconds(double seconds);

  // --- Authoring controls (the studio; the player never calls them) -----

  // Pauses and resumes the music; the position holds while paused.
  void setPaused(bool paused);
  bool paused() const { return paused_; }

  // Moves the music to `seconds`, clamped into 0..the stream's length (not
  // clamped without a stream); the position and the spectrum are there at
  // once, paused or not. In capture it sets the capture time.
  void seek(double seconds);

  // The clock's rate, clamped into minSpeed..maxSpeed. At 1 the stream is
  // heard as opened. At any other speed it is muted: the clock runs at that
  // speed from where the music stood, and the spectrum is the music's at the
  // clock, so the picture moves as it would at that speed.
  void setSpeed(double speed);
  double speed() const { return speed_; }
  static constexpr double minSpeed = 0.25;
  static constexpr double maxSpeed = 2.0;

  // Opens the file of the last open again (it was replaced while the show
  // runs) and carries on at the same position, pause state and speed.
  // False, with the old stream still in use, when the file cannot be
  // decoded, and when nothing was opened. Shows no message.
  bool reopen();

  // Lets the audio layer refill its playback buffers; once per frame.
  void update();

  // The playback position in seconds, single precision.
  float seconds() const;
  // The playback position in sync rows, double precision.
  double row() const;
  // 512 FFT magnitudes of the 1024 sample frames at the current position
  // (zeros when there is no stream).
  void fetchSpectrum(float* buffer) const;

  // Frees the stream, then the audio output.
  void close();

  // Whether a stream was made from the file (it was found and decoded).
  bool hasStream() const { return stream_ != 0; }

 private:
  using Clock = std::chrono::steady_clock;

  double positionSeconds() const;
  // Whether the position is the player's own clock rather than the stream's:
  // without a stream, or at a speed other than 1.
  bool ownClock() const { return stream_ == 0 || speed_ != 1.0; }
  // The own clock's time, wrapped or held at the stream's end.
  double ownSeconds() const;
  // Restarts the own clock at `seconds` now.
  void setOwnClock(double seconds);
  // Puts the (paused) stream where the own clock stands, for its spectrum.
  void alignStream(double seconds) const;

  std::uint32_t stream_ = 0;  // platform::audio::Handle; 0 without a stream
  // The own clock: ownBase_ seconds at ownStart_, advancing at speed_ while
  // not paused.
  double ownBase_ = 0.0;
  Clock::time_point ownStart_ = Clock::now();
  double speed_ = 1.0;
  bool paused_ = false;
  std::string fileName_;   // of the last open, for reopen
  std::uint32_t flags_ = 0;  // the stream flags of the last open
  bool capture_ = false;
  double captureSeconds_ = 0.0;
  bool opened_ = false;
};

}  // namespace tessaly::sync
