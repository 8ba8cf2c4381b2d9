// Camera curves and lights read from Maya ASCII scenes (.ma), and the
// lookups the frame renderer makes on them by file name.
//
// Only the subset the production's files use is read: transform nodes
// (".t", ".r", ".s"), cubic Bezier curve shapes, point lights and ambient
// lights. Every object is named after the file it came from. Curves are
// re-parameterised by arc length when they are read, so that u from 0 to 1
// moves along them at constant speed. Plain data, no OpenGL.
#pragma once

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

struct PointLight {
  std::string name;
  std::string path;
  glm::vec3 position{0.0f, 0.0f, 0.0f};  // translation of its parent transform
  glm::vec3 color{1.0f, 1.0f, 1.0f};
  float intensity = 1.0f;
};

struct AmbientLight {
  std::string name;
  std::string path;
  glm::vec3 color{1.0f, 1.0f, 1.0f};
  float intensity = 1.0f;
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
class MayaScene {
 public:
  // Reads the file at `path` and appends the curves and lights it defines.
  // An empty path, an unreadable file or one whose first word is not
  // "//Maya" adds nothing. Nothing is reported. `search` is for benchmarks
  // and tests that compare arc-table searches.
  void load(std::string_view path, ArcSearch search = firstEntryAbove);

  // The same reading from the text of a file held in memory; `path` gives
  // the names.
  void loadText(std::string_view text, std::string_view path, ArcSearch search = firstEntryAbove);

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

  // The last ".s", ".r" (degrees) and ".t" values seen under a transform of
  // the file being read; set to 0 when a file starts.
  glm::vec3 currentScale{0.0f};
  glm::vec3 currentRotation{0.0f};
  glm::vec3 currentTranslation{0.0f};

  std::vector<BezierCurve> curves;  // complete curves, in reading order across files
  std::vector<PointLight> pointLights;
  std::vector<AmbientLight> ambientLights;
};

}  // namespace tessaly::assets
