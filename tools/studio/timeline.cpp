// Timeline geometry and the mouse on it.
#include "tools/studio/timeline.h"

#include <algorithm>

namespace tessaly::studio {

Rect timelineRect(float windowWidth, float windowHeight, float height, float margin) {
  const float width = std::max(windowWidth - 2.0f * margin, 1.0f);
  return Rect{margin, windowHeight - margin - height, width, height};
}

TimelineGeometry::TimelineGeometry(Rect strip, double lengthSeconds)
    : strip_(strip), length_(lengthSeconds) {}

float TimelineGeometry::xOf(double seconds) const {
  if (length_ <= 0.0) {
    return strip_.x;
  }
  const double t = std::clamp(seconds / length_, 0.0, 1.0);
  return strip_.x + static_cast<float>(t * strip_.width);
}

double TimelineGeometry::secondsAt(float x) const {
  if (strip_.width <= 0.0f) {
    return 0.0;
  }
  const double t = std::clamp((x - strip_.x) / strip_.width, 0.0f, 1.0f);
  return t * length_;
}

TimelineDrag::Request TimelineDrag::press(const TimelineGeometry& geometry, float x, float y,
                                          bool rightButton, bool shift) {
  if (!geometry.strip().contains(x, y)) {
    return {};
  }
  lastX_ = x;
  anchor_ = geometry.secondsAt(x);
  if (rightButton || shift) {
    kind_ = Kind::loop;
    return {};  // a span needs a drag; a click alone leaves the loop as it is
  }
  kind_ = Kind::seek;
  return {anchor_, std::nullopt};
}

TimelineDrag::Request TimelineDrag::move(const TimelineGeometry& geometry, float x) {
  if (kind_ == Kind::none || x == lastX_) {
    return {};
  }
  lastX_ = x;
  const double seconds = geometry.secondsAt(x);
  if (kind_ == Kind::seek) {
    return {seconds, std::nullopt};
  }
  return {std::nullopt, std::pair{anchor_, seconds}};
}

}  // namespace tessaly::studio
