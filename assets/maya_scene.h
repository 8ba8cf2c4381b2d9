// Camera curves and lights of the Maya ASCII scenes (.ma), and the lookups
// the frame renderer makes on them by file name.
//
// The scene is built from what the reader (maya_reader.h) gives: every curve
// is re-parameterised by arc length when it is added, so that u from 0 to 1
// moves along it at constant speed. Plain data, no OpenGL.
#pragma once

#include "assets/maya_reader.h"

#include <glm/vec3.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// One cubic segment of a curve, measured on the curve's points as read,
// before the file's transform.
struct CurveSegment {
  std::vector<float> arcTable;  // 4997 cumulative distance fractions, the last 1 up to rounding
  float length = 0.0f;          // sum of the measured distances
  float share = 0.0f;           // length / totalLength of the curve
};

struct BezierCurve {
  std::string name;  // file name of the .ma file (after its last '/')
  std::string path;  // the path it was loaded from
  std::vector<glm::vec3> controlPoints;  // after the file's transform
  std::int32_t segmentCount = 0;         // (control points - 1) / 3
  float totalLength = 0.0f;
  std::vector<CurveSegment> segments;  // segment i uses points 3i .. 3i+3
  std::vector<glm::vec3> samples;      // 5001 points at equal arc-length steps
};

// (1-t)^3 P0 + 3t(1-t)^2 P1 + 3t^2(1-t) P2 + t^3 P3. Each weight is worked
// out in double precision from the float t and rounded to float before use;
// the sum is float, left to right.
glm::vec3 cubicBezier(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                      const glm::vec3& p3, float t);

// How sample precomputation finds, in a segment's non-decreasing arc table,
// the first index whose entry is greater than `local` (table.size() when none).
using ArcSearch = std::size_t (*)(std::span<const float> table, float local);

// The search the scene uses: a binary search, same answer as a scan from the start.
std::size_t firstEntryAbove(std::span<const float> table, float local);

// All Maya content of the run: one object, filled by one load per file and
// read-only afterwards. Lookups compare whole names, case-sensitively, and
// take the first match in loading order; a name that nothing has gives a
// neutral value.
// The arc-table floats the curves of one file may take together: 64 MiB,
// about 3,350 segments (10,000 control points), far beyond any camera path.
inline constexpr std::size_t maxArcTableFloatsPerFile = std::size_t{1} << 24;

class MayaScene {
 public:
  // Reads the file at `path` (readMayaFile) and adds what it defines. An
  // empty path, an unreadable file or one whose first word is not "//Maya"
  // adds nothing. Returns the number of curves left out for their size (see
  // add); the caller reports them. `search` is for benchmarks and tests that
  // compare arc-table searches.
  std::size_t load(const std::string& path, ArcSearch search = firstEntryAbove);

  // Adds the curves and lights of one read file, each list after what it
  // already holds. Each curve is measured on its points as written, then
  // placed with its transform, then sampled: every curve gets its transform
  // once and samples of its own, even when a file holds several (lookups by
  // name still find the first).
  //
  // Each segment keeps an arc table of 4997 floats, so a small file of many
  // points could take gigabytes: the curves of one file may hold at most
  // maxArcTableFloatsPerFile floats of tables together, and a curve that
  // would take the file past that is left out whole (later, smaller curves
  // still fit). Returns the number of curves left out.
  std::size_t add(MayaData file, ArcSearch search = firstEntryAbove);

  // The point at arc-length fraction u (clamped to [0, 1)) of the first curve
  // of that name, worked out through its segment tables; (1, 1, 1) when no
  // curve has the name.
  glm::vec3 evaluateCurve(std::string_view name, float u) const;

  // The precomputed sample at or below u (clamped to [0, 1)) of the first
  // curve of that name: sample 0 for u <= 0, sample 5000 for u = 1;
  // (1, 1, 1) when no curve has the name.
  glm::vec3 curvePoint(std::string_view name, float u) const;

  // The first point light of that name: its position (0, 0, 0 when none),
  // colour (1, 1, 1) and intensity (1).
  glm::vec3 lightPosition(std::string_view name) const;
  glm::vec3 lightColor(std::string_view name) const;
  float lightIntensity(std::string_view name) const;

  // Colour of the first ambient light of that name; (1, 1, 1) when none.
  glm::vec3 ambientColor(std::string_view name) const;

  std::vector<BezierCurve> curves;  // complete curves, in reading order across files
  std::vector<PointLight> pointLights;
  std::vector<AmbientLight> ambientLights;
};

}  // namespace tessaly::assets
