// Curve completion and arc-length evaluation. Every step is single precision
// in the order written, so that points come out bit for bit the same on every
// build (the project compiles with -ffp-contract=off).
#include "assets/maya_curve.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessaly::assets {

namespace {

// The four Bernstein weights of t, each worked out in double precision from
// the float t and rounded to float.
struct BezierWeights {
  float w0, w1, w2, w3;
};

BezierWeights bezierWeights(float t) {
  const double s = t;
  const double r = 1.0 - s;
  return {static_cast<float>(r * r * r), static_cast<float>(3.0 * s * r * r),
          static_cast<float>(3.0 * s * s * r), static_cast<float>(s * s * s)};
}

glm::vec3 weighted(const BezierWeights& w, const glm::vec3* p) {
  return w.w0 * p[0] + w.w1 * p[1] + w.w2 * p[2] + w.w3 * p[3];
}

}  // namespace

glm::vec3 cubicBezier(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                      const glm::vec3& p3, float t) {
  const glm::vec3 p[4] = {p0, p1, p2, p3};
  return weighted(bezierWeights(t), p);
}

std::size_t firstEntryAbove(std::span<const float> table, float local) {
  // Counts the entries that are not above local: in a non-decreasing table
  // that is the index of the first one above it. The range halves a fixed
  // number of times and the next probe is chosen by selection, not by a
  // jump, so the search does not stall on mispredicted branches.
  if (table.empty()) {
    return 0;
  }
  const float* base = table.data();
  std::size_t count = table.size();
  while (count > 1) {
    const std::size_t half = count / 2;
    base = !(base[half] > local) ? base + half : base;
    count -= half;
  }
  return static_cast<std::size_t>(base - table.data()) + (!(*base > local) ? 1 : 0);
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

// The weights of the 5000 sample positions t = k * (1 / 5000) (in double,
// rounded to float) are the same for every segment: worked out once, as one
// array per control point so that the sampling loops run on whole vectors
// (each lane does the same float operations in the same order as one point
// at a time would).
struct SampleWeights {
  std::array<float, samplesPerSegment> w0, w1, w2, w3;
};

const SampleWeights& sampleWeights() {
  static const SampleWeights weights = [] {
    SampleWeights table{};
    const double step = 1.0 / samplesPerSegment;
    for (int k = 0; k < samplesPerSegment; ++k) {
      const BezierWeights w = bezierWeights(static_cast<float>(k * step));
      table.w0[k] = w.w0;
      table.w1[k] = w.w1;
      table.w2[k] = w.w2;
      table.w3[k] = w.w3;
    }
    return table;
  }();
  return weights;
}

// One coordinate of the 5000 samples of a segment: w0 p0 + w1 p1 + w2 p2 + w3 p3.
void sampleAxis(const SampleWeights& w, float p0, float p1, float p2, float p3, float* out) {
  for (int k = 0; k < samplesPerSegment; ++k) {
    out[k] = w.w0[k] * p0 + w.w1[k] * p1 + w.w2[k] * p2 + w.w3[k] * p3;
  }
}

void measureSegment(const glm::vec3* p, CurveSegment& segment) {
  // Every loop but the two running sums covers all 5000 samples, so that it
  // runs in whole vectors (one spare entry per axis keeps the last gap in
  // bounds); only the first 4997 gaps are used.
  static thread_local std::array<float, samplesPerSegment + 1> xs, ys, zs;
  static thread_local std::array<float, samplesPerSegment> gaps;
  const SampleWeights& w = sampleWeights();
  sampleAxis(w, p[0].x, p[1].x, p[2].x, p[3].x, xs.data());
  sampleAxis(w, p[0].y, p[1].y, p[2].y, p[3].y, ys.data());
  sampleAxis(w, p[0].z, p[1].z, p[2].z, p[3].z, zs.data());
  xs.back() = ys.back() = zs.back() = 0.0f;
  for (int k = 0; k < samplesPerSegment; ++k) {
    const float dx = xs[k + 1] - xs[k];
    const float dy = ys[k + 1] - ys[k];
    const float dz = zs[k + 1] - zs[k];
    gaps[k] = std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  float length = 0.0f;
  for (int k = 0; k < arcTableSize; ++k) {
    length += gaps[k];
  }
  segment.length = length;
  segment.arcTable.assign(arcTableSize, 0.0f);
  if (!measurable(length)) {
    // No fractions of nothing: the segment is evaluated at its start point.
    return;
  }
  for (int k = 0; k < samplesPerSegment; ++k) {
    gaps[k] = gaps[k] / length;
  }
  float fraction = 0.0f;
  for (int k = 0; k < arcTableSize; ++k) {
    fraction = fraction + gaps[k];
    segment.arcTable[k] = fraction;
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

namespace {

// The point at clamped fraction u within segment j, whose running share
// (the sum of the shares up to and including it) is `accumulated`.
glm::vec3 evaluateSegment(const BezierCurve& curve, std::size_t j, float accumulated, float u,
                          ArcSearch search) {
  const CurveSegment& segment = curve.segments[j];
  const glm::vec3* p = &curve.controlPoints[3 * j];
  const float start = accumulated - segment.share;
  const float width = accumulated - start;
  const std::vector<float>& table = segment.arcTable;
  if (!measurable(segment.length) || !(width > 0.0f) || table.empty()) {
    return weighted(bezierWeights(0.0f), p);
  }
  const float local = (u - start) * (1.0f / width);
  if (!std::isfinite(local)) {
    return weighted(bezierWeights(0.0f), p);
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
  return weighted(bezierWeights(t), p);
}

}  // namespace

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
  return evaluateSegment(curve, std::min(j, curve.segments.size() - 1), accumulated, u, search);
}

void precomputeSamples(BezierCurve& curve, ArcSearch search) {
  curve.samples.clear();
  curve.samples.reserve(precomputedSamples);
  // The running shares, summed once in the order evaluate sums them; as
  // shares are never negative they do not decrease, so the first that
  // reaches u is found by binary search.
  std::vector<float> running;
  float accumulated = 0.0f;
  for (const CurveSegment& segment : curve.segments) {
    accumulated += segment.share;
    running.push_back(accumulated);
  }
  float m = 0.0f;
  while (m < 0.9999998807907104) {
    if (running.empty()) {
      curve.samples.emplace_back(1.0f, 1.0f, 1.0f);
    } else {
      const float u = clampFraction(m);
      const auto j = static_cast<std::size_t>(
          std::lower_bound(running.begin(), running.end(), u) - running.begin());
      const std::size_t segment = std::min(j, running.size() - 1);
      curve.samples.push_back(evaluateSegment(curve, segment, running[segment], u, search));
    }
    m = static_cast<float>(m + 0.00019999999494757503);
  }
}

}  // namespace curve
}  // namespace tessaly::assets
