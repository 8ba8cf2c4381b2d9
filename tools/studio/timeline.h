// The timeline along the bottom of the studio's window: where a time lies
// on it, which time a point means, and what a press, drag and release of
// the mouse do there (seek, or set the loop span). Plain geometry in window
// pixels, no GL, so the hit-testing is tested alone.
#pragma once

#include <optional>
#include <utility>

namespace tessaly::studio {

struct Rect {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
  float height = 0.0f;
  bool contains(float px, float py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

// The timeline's strip in a window of the given size: the full width less
// a margin on each side, `height` pixels high, `margin` above the bottom.
Rect timelineRect(float windowWidth, float windowHeight, float height = 28.0f, float margin = 8.0f);

class TimelineGeometry {
 public:
  TimelineGeometry(Rect strip, double lengthSeconds);

  const Rect& strip() const { return strip_; }
  // The x of a time (clamped into the show).
  float xOf(double seconds) const;
  // The time at an x (clamped into the show): the strip's left edge is 0,
  // its right edge the show's length.
  double secondsAt(float x) const;

 private:
  Rect strip_;
  double length_;
};

// A press on the strip starts a drag: the left button seeks, the right one
// (or the left one with Shift) marks a loop span from where it was pressed.
class TimelineDrag {
 public:
  enum class Kind { none, seek, loop };

  // What the drag asks of the transport after an event.
  struct Request {
    std::optional<double> seek;                     // go to this time
    std::optional<std::pair<double, double>> loop;  // set the loop span to this
  };

  // A button went down at (x, y); nothing happens outside the strip.
  Request press(const TimelineGeometry& geometry, float x, float y, bool rightButton, bool shift);
  // The mouse moved to x while the button is down (any y: a drag may leave
  // the strip and still scrubs).
  Request move(const TimelineGeometry& geometry, float x);
  // The button came up.
  void release() { kind_ = Kind::none; }

  Kind kind() const { return kind_; }

 private:
  Kind kind_ = Kind::none;
  double anchor_ = 0.0;
  float lastX_ = 0.0f;
};

}  // namespace tessaly::studio
