// Curve completion and arc-length evaluation. Every step is single precision
// in the order written, so that points come out bit for bit the same on every
// build (the project compiles with -ffp-contract=off).
#include "assets/maya_curve.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessaly::assets {

glm::vec3 cubicBezier(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                      const glm::vec3& p3, float t) {
  const double s = t;
  const double r = 1.0 - s;
  const float w0 = static_cast<float>(r * r * r);
  const float w1 = static_cast<float>(3.0 * s * r * r);
  const float w2 = static_cast<float>(3.0 * s * s * r);
  const float w3 = static_cast<float>(s * s * s);
  return w0 * p0 + w1 * p1 + w2 * p2 + w3 * p3;
}

std::size_t firstEntryAbove(std::span<const float> table, float local) {
  return static_cast<std::size_t>(std::upper_bound(table.begin(), table.end(), local) -
                                  table.begin());
}

namespace curve {

namespace {

// pi / 180 in single precision.
constexpr float radiansPerDegree = 0.01745329238474369f;

// A length that arc fractions can be taken of: positive and finite. Zero-length
// segments and curves (all points in one place) and lengths that overflowed
// are not.
bool measurable(float length) {
  return length > 0.0f && std::isfinite(length);
}

void measureSegment(const glm::vec3* p, CurveSegment& segment) {
  static thread_local std::array<glm::vec3, samplesPerSegment> points;
  const double step = 1.0 / samplesPerSegment;
  for (int k = 0; k < samplesPerSegment; ++k) {
    const auto t = static_cast<float>(k * step);
    points[k] = cubicBezier(p[0], p[1], p[2], p[3], t);
  }
  // The table first holds the distances, then their running fractions.
  segment.arcTable.assign(arcTableSize, 0.0f);
  float length = 0.0f;
  for (int k = 0; k < arcTableSize; ++k) {
    const float dx = points[k + 1].x - points[k].x;
    const float dy = points[k + 1].y - points[k].y;
    const float dz = points[k + 1].z - points[k].z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    segment.arcTable[k] = d;
    length += d;
  }
  segment.length = length;
  if (!measurable(length)) {
    // No fractions of nothing: the segment is evaluated at its start point.
    std::fill(segment.arcTable.begin(), segment.arcTable.end(), 0.0f);
    return;
  }
  float fraction = 0.0f;
  for (float& entry : segment.arcTable) {
    fraction = fraction + entry / length;
    entry = fraction;
  }
}

// Rotates every point by `angle` radians in the plane of the two coordinates
// a and b: a' = a cos - b sin, b' = a sin + b cos.
void rotatePlane(std::vector<glm::vec3>& points, float angle, int a, int b) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  for (glm::vec3& p : points) {
    const float pa = p[a];
    const float pb = p[b];
    p[a] = pa * c - pb * s;
    p[b] = pa * s + pb * c;
  }
}

bool anyNonZero(const glm::vec3& v) {
  return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f;
}

}  // namespace

float clampFraction(float u) {
  if (!(u >= 0.0f)) {
    return 0.0f;
  }
  if (u >= 0.9999998807907104) {
    return 0.9999998211860657f;
  }
  return u;
}

void measure(BezierCurve& curve) {
  const std::size_t points = curve.controlPoints.size();
  curve.segmentCount = points > 0 ? static_cast<std::int32_t>((points - 1) / 3) : 0;
  curve.totalLength = 0.0f;
  curve.segments.assign(static_cast<std::size_t>(curve.segmentCount), CurveSegment{});
  for (std::int32_t i = 0; i < curve.segmentCount; ++i) {
    CurveSegment& segment = curve.segments[static_cast<std::size_t>(i)];
    measureSegment(&curve.controlPoints[3 * static_cast<std::size_t>(i)], segment);
    curve.totalLength += segment.length;
  }
  const bool byLength = measurable(curve.totalLength);
  for (CurveSegment& segment : curve.segments) {
    // A curve with no measurable length gives its segments equal shares.
    segment.share = byLength ? segment.length / curve.totalLength
                             : 1.0f / static_cast<float>(curve.segmentCount);
  }
}

void transform(BezierCurve& curve, const glm::vec3& scale, const glm::vec3& rotationDegrees,
               const glm::vec3& translation) {
  std::vector<glm::vec3>& points = curve.controlPoints;
  if (anyNonZero(scale)) {
    for (glm::vec3& p : points) {
      p = glm::vec3(p.x * scale.x, p.y * scale.y, p.z * scale.z);
    }
  }
  if (anyNonZero(rotationDegrees)) {
    // About X (y, z), then about Y (z, x: x' = x cos + z sin), then about Z (x, y).
    rotatePlane(points, rotationDegrees.x * radiansPerDegree, 1, 2);
    rotatePlane(points, rotationDegrees.y * radiansPerDegree, 2, 0);
    rotatePlane(points, rotationDegrees.z * radiansPerDegree, 0, 1);
  }
  if (anyNonZero(translation)) {
    for (glm::vec3& p : points) {
      p = glm::vec3(p.x + translation.x, p.y + translation.y, p.z + translation.z);
    }
  }
}

std::optional<glm::vec3> evaluate(const BezierCurve& curve, float u, ArcSearch search) {
  if (curve.segments.empty()) {
    return std::nullopt;
  }
  u = clampFraction(u);
  // The segment is the first whose running share reaches u. Shares add up to
  // 1 only up to rounding, so a u beyond their float sum belongs to the last
  // segment rather than to no segment at all.
  float accumulated = 0.0f;
  std::size_t j = 0;
  for (; j < curve.segments.size(); ++j) {
    accumulated += curve.segments[j].share;
    if (accumulated >= u) {
      break;
    }
  }
  j = std::min(j, curve.segments.size() - 1);
  const CurveSegment& segment = curve.segments[j];
  const glm::vec3* p = &curve.controlPoints[3 * j];

  const float start = accumulated - segment.share;
  const float width = accumulated - start;
  const std::vector<float>& table = segment.arcTable;
  if (!measurable(segment.length) || !(width > 0.0f) || table.empty()) {
    return cubicBezier(p[0], p[1], p[2], p[3], 0.0f);
  }
  const float local = (u - start) * (1.0f / width);
  if (!std::isfinite(local)) {
    return cubicBezier(p[0], p[1], p[2], p[3], 0.0f);
  }

  const auto n = static_cast<float>(table.size());
  const float pos = n * local;
  // k = pos truncated toward zero, kept inside the table: local = 1 would
  // address one past its end, rounding can push local a hair below 0.
  const int last = static_cast<int>(table.size()) - 1;
  int k = 0;
  if (pos >= static_cast<float>(last)) {
    k = last;
  } else if (pos > 0.0f) {
    k = static_cast<int>(pos);
  }
  const float f = pos - static_cast<float>(k);
  const float hi = table[static_cast<std::size_t>(k)];
  const float lo = k > 0 ? table[static_cast<std::size_t>(k) - 1] : 0.0f;
  const std::size_t i = search(table, local);
  const float t = i < table.size() ? (static_cast<float>(i) + lo + f * (hi - lo)) / n : local;
  return cubicBezier(p[0], p[1], p[2], p[3], t);
}

void precomputeSamples(BezierCurve& curve, ArcSearch search) {
  curve.samples.clear();
  curve.samples.reserve(precomputedSamples);
  const glm::vec3 none(1.0f, 1.0f, 1.0f);
  float m = 0.0f;
  while (m < 0.9999998807907104) {
    curve.samples.push_back(evaluate(curve, m, search).value_or(none));
    m = static_cast<float>(m + 0.00019999999494757503);
  }
}

}  // namespace curve
}  // namespace tessaly::assets
