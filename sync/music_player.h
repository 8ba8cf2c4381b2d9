// The soundtrack as the demo's only clock: the position in seconds and in
// sync rows, and the spectrum of what is playing. A show has one player; the
// audio output under it is the process's.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tessaly::platform {
struct PcmSound;
}  // namespace tessaly::platform

namespace tessaly::sync {

// Sync rows per second of music: 836 rows a minute.
inline constexpr double rowsPerSecond = 13.933333333333334;

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

  // Lets the audio layer refill its playback buffers; once per frame.
  void update();

  // The playback position in seconds, single precision.
  float seconds() const;
  // The playback position in sync rows, double precision.
  double row() const;
  // 512 FFT magnitudes of the 1024 sample frames at the current position
  // (zeros when there is no stream).
  void fetchSpectrum(float* buffer) const;

  // Opens the file of the last open again and carries on at the same
  // position (the soundtrack was replaced while the show plays). False, with
  // the old stream still playing, when the file cannot be decoded. Shows no
  // message.
  bool reopen();

  // Frees the stream, then the audio output.
  void close();

  // Whether a stream was made from the file (it was found and decoded).
  bool hasStream() const { return stream_ != 0; }

 private:
  double positionSeconds() const;

  std::uint32_t stream_ = 0;  // platform::audio::Handle; 0 without a stream
  std::string fileName_;
  std::uint32_t flags_ = 0;
  std::chrono::steady_clock::time_point fallbackStart_ = std::chrono::steady_clock::now();
  bool capture_ = false;
  double captureSeconds_ = 0.0;
  bool opened_ = false;
};

}  // namespace tessaly::sync
