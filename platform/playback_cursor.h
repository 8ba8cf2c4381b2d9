// Where a stream stands: the next frame to hand to the output, and the frame
// being heard now. Pure bookkeeping with time as an input (nanoseconds of a
// steady clock), so the audio layer's clock can be tested without a device.
#pragma once

#include <cstdint>

namespace tessaly::platform {

using Nanoseconds = std::int64_t;

class PlaybackCursor {
 public:
  // What moves the heard position.
  enum class Pacing {
    // An output device takes the frames: between two takes the position
    // advances with the wall clock at the stream's rate, never beyond the
    // frames handed over, so it is smooth and stays with the sound.
    device,
    // No device: the position is the wall clock since play (a silent,
    // real-time clock).
    wallClock,
    // Nothing plays: the position is wherever seek puts it.
    caller,
  };

  PlaybackCursor(std::uint64_t lengthFrames, std::uint32_t rate, bool loop, Pacing pacing);

  std::uint64_t length() const { return length_; }
  std::uint32_t rate() const { return rate_; }
  Pacing pacing() const { return pacing_; }
  bool loops() const { return loop_; }
  bool playing() const { return playing_; }

  // Starts playing at `now`: from the start when `restart`, else from where
  // the position stands. Fails (false) when the caller paces the position.
  bool play(bool restart, Nanoseconds now);

  // Stops at `now` where the heard position stands; play(false) resumes
  // from there. Frames handed to the device but not yet heard are handed
  // again on resume. Fails (false) when the caller paces the position.
  bool pause(Nanoseconds now);

  // Moves to `frame` at `now`; a looping stream's length is its start again.
  // Fails (false) beyond the length.
  bool seek(std::uint64_t frame, Nanoseconds now);

  // The frame being heard at `now`, 0..length: it never goes backwards while
  // playing, except when a looping stream wraps, and a non-looping stream
  // stays at its length once it has played to its end.
  std::uint64_t position(Nanoseconds now) const;

  // A run of frames handed to the device: `first` may run past the length of
  // a looping stream, whose frames are then read modulo the length.
  struct Span {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
  };

  // Device pacing: hands up to `count` frames from the play cursor to the
  // device, which starts playing them at `now`. Fewer at the end of a
  // non-looping stream, none when not playing. Takes at one instant form one
  // hand-over, so a device may fill its buffer in pieces.
  Span take(std::uint64_t count, Nanoseconds now);

 private:
  std::uint64_t wrap(std::uint64_t frame) const;

  std::uint64_t length_;
  std::uint32_t rate_;
  bool loop_;
  Pacing pacing_;
  bool playing_ = false;
  std::uint64_t next_ = 0;    // next frame to hand over, 0..length
  std::uint64_t anchor_ = 0;  // frame heard at anchorTime_
  Nanoseconds anchorTime_ = 0;
  std::uint64_t handedAhead_ = 0;  // frames handed over from anchor_ on
  bool handingOver_ = false;       // a take happened at anchorTime_
};

}  // namespace tessaly::platform
