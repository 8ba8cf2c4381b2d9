// The soundtrack as the demo's only clock: the position in seconds and in
// sync rows, and the spectrum of what is playing. One process-wide stream.
#pragma once

namespace tessaly::sync {

// Sync rows per second of music: 836 rows a minute.
inline constexpr double rowsPerSecond = 13.933333333333334;

class MusicPlayer {
 public:
  // Initialises audio output, opens the file as a stream (looping when `loop`
  // is non-zero), starts it and seeks it to the start. Each failing step shows
  // its message and the next step still runs; the demo then plays on a
  // silent clock.
  static void open(const char* fileName, int loop);

  // Opens the file without any output device for frame-exact rendering: the
  // position stays where setSeconds puts it. Returns false when the file
  // cannot be decoded (the position can still be set; the spectrum is zero).
  static bool openForCapture(const char* fileName);
  static void setSeconds(double seconds);

  // Lets the audio layer refill its playback buffers; once per frame.
  static void update();

  // The playback position in seconds, single precision.
  static float seconds();
  // The playback position in sync rows, double precision.
  static double row();
  // 512 FFT magnitudes of the 1024 sample frames at the current position.
  static void fetchSpectrum(float* buffer);

  // Frees the stream, then the audio output.
  static void close();
};

}  // namespace tessaly::sync
