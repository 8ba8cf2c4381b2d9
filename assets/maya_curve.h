// Arc-length measurement and evaluation of Bezier curves read from Maya
// scenes: the work done when a curve is complete, and the evaluation that
// the scene's lookups share. Used by MayaScene; plain maths, no file access.
#pragma once

#include "assets/maya_scene.h"

#include <optional>

namespace tessaly::assets::curve {

// Points sampled per segment, distances measured per segment (the last two
// gaps are not measured), and the samples precomputed per curve.
inline constexpr int samplesPerSegment = 5000;
inline constexpr int arcTableSize = 4997;
inline constexpr int precomputedSamples = 5001;

// u below 0 (or NaN) becomes 0, u from 0.99999988 on becomes 0.99999982.
float clampFraction(float u);

// Fills segmentCount, the segments with their arc tables and lengths,
// totalLength and the shares, from the control points as they are.
void measure(BezierCurve& curve);

// Scales, rotates (degrees, about X, then Y, then Z) and translates the
// control points; each step only when one of its three values is not 0.
void transform(BezierCurve& curve, const glm::vec3& scale, const glm::vec3& rotationDegrees,
               const glm::vec3& translation);

// The point at arc-length fraction u of this curve; none when the curve has
// no segments.
std::optional<glm::vec3> evaluate(const BezierCurve& curve, float u, ArcSearch search);

// Replaces the curve's samples by its points at u = 0, 0.0002, ... (5001).
void precomputeSamples(BezierCurve& curve, ArcSearch search);

}  // namespace tessaly::assets::curve
