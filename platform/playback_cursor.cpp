// The clock of one stream. Every change re-anchors the heard position at a
// frame and an instant; queries extrapolate from the anchor at the stream's
// rate.
#include "platform/playback_cursor.h"

namespace tessaly::platform {

namespace {

constexpr std::int64_t nanosPerSecond = 1'000'000'000;

// Whole frames played in `elapsed` at `rate`, without overflow for runs of
// any length.
std::uint64_t framesIn(Nanoseconds elapsed, std::uint32_t rate) {
  if (elapsed <= 0) {
    return 0;
  }
  const auto seconds = static_cast<std::uint64_t>(elapsed / nanosPerSecond);
  const auto rest = static_cast<std::uint64_t>(elapsed % nanosPerSecond);
  return seconds * rate + rest * rate / nanosPerSecond;
}

}  // namespace

PlaybackCursor::PlaybackCursor(std::uint64_t lengthFrames, std::uint32_t rate, bool loop,
                               Pacing pacing)
    : length_(lengthFrames), rate_(rate), loop_(loop), pacing_(pacing) {}

std::uint64_t PlaybackCursor::wrap(std::uint64_t frame) const {
  if (loop_) {
    return length_ > 0 ? frame % length_ : 0;
  }
  return frame < length_ ? frame : length_;
}

bool PlaybackCursor::play(bool restart, Nanoseconds now) {
  if (pacing_ == Pacing::caller) {
    return false;
  }
  if (playing_ && !restart) {
    return true;
  }
  const std::uint64_t from = restart ? 0 : position(now);
  playing_ = true;
  next_ = from;
  anchor_ = from;
  anchorTime_ = now;
  handedAhead_ = 0;
  handingOver_ = false;
  return true;
}

bool PlaybackCursor::pause(Nanoseconds now) {
  if (pacing_ == Pacing::caller) {
    return false;
  }
  const std::uint64_t heard = position(now);
  playing_ = false;
  next_ = heard;
  anchor_ = heard;
  anchorTime_ = now;
  handedAhead_ = 0;
  handingOver_ = false;
  return true;
}

bool PlaybackCursor::seek(std::uint64_t frame, Nanoseconds now) {
  if (frame > length_) {
    return false;
  }
  next_ = wrap(frame);
  anchor_ = next_;
  anchorTime_ = now;
  handedAhead_ = 0;
  handingOver_ = false;
  return true;
}

std::uint64_t PlaybackCursor::position(Nanoseconds now) const {
  if (!playing_ || pacing_ == Pacing::caller) {
    return anchor_;
  }
  std::uint64_t advance = framesIn(now - anchorTime_, rate_);
  if (pacing_ == Pacing::device && advance > handedAhead_) {
    advance = handedAhead_;
  }
  return wrap(anchor_ + advance);
}

PlaybackCursor::Span PlaybackCursor::take(std::uint64_t count, Nanoseconds now) {
  if (!playing_ || pacing_ != Pacing::device) {
    return {};
  }
  const std::uint64_t n = loop_ ? count : (count < length_ - next_ ? count : length_ - next_);
  // Everything handed before has been heard by now at the latest, so the
  // heard position moves on to the first frame of this take: never back.
  const Span span{next_, n};
  if (!handingOver_ || now != anchorTime_) {
    anchor_ = next_;
    anchorTime_ = now;
    handedAhead_ = 0;
    handingOver_ = true;
  }
  handedAhead_ += n;
  next_ = wrap(next_ + n);
  return span;
}

}  // namespace tessaly::platform
