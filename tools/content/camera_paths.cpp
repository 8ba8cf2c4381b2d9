#include "tools/content/camera_paths.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace tessaly::content {

namespace {

constexpr float degrees = 0.01745329238474369f;

glm::vec3 bezier(const glm::vec3* p, float t) {
  const float s = 1.0f - t;
  return s * s * s * p[0] + 3.0f * t * s * s * p[1] + 3.0f * t * t * s * p[2] + t * t * t * p[3];
}

}  // namespace

std::vector<glm::vec3> CameraPath::controlPoints() const {
  std::vector<glm::vec3> points;
  const std::size_t n = waypoints.size();
  auto at = [&](std::ptrdiff_t i) {
    return waypoints[static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(i, 0, static_cast<std::ptrdiff_t>(n) - 1))];
  };
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const auto k = static_cast<std::ptrdiff_t>(i);
    const glm::vec3 p0 = at(k), p1 = at(k + 1);
    if (i == 0) {
      points.push_back(p0);
    }
    points.push_back(p0 + (p1 - at(k - 1)) / 6.0f);
    points.push_back(p1 - (at(k + 2) - p0) / 6.0f);
    points.push_back(p1);
  }
  return points;
}

MayaCurve CameraPath::maya() const {
  MayaCurve curve;
  curve.fileName = fileName;
  curve.nodeName = nodeName;
  curve.translate = translate;
  curve.rotate = glm::vec3(0.0f, rotateY, 0.0f);
  // The reader turns a point about y by r with x' = x cos r + z sin r,
  // z' = z cos r - x sin r, then adds the translation; store the inverse.
  const float c = std::cos(rotateY * degrees), s = std::sin(rotateY * degrees);
  for (const glm::vec3& world : controlPoints()) {
    const glm::vec3 p = world - translate;
    curve.controlPoints.emplace_back(p.x * c - p.z * s, p.y, p.z * c + p.x * s);
  }
  return curve;
}

std::vector<float> CameraPath::waypointFractions() const {
  const std::vector<glm::vec3> points = controlPoints();
  const std::size_t segments = (points.size() - 1) / 3;
  const int steps = 2000;
  std::vector<double> lengths(segments + 1, 0.0);
  for (std::size_t s = 0; s < segments; ++s) {
    double length = 0.0;
    glm::vec3 previous = points[3 * s];
    for (int k = 1; k <= steps; ++k) {
      const glm::vec3 p = bezier(&points[3 * s], static_cast<float>(k) / steps);
      length += glm::length(p - previous);
      previous = p;
    }
    lengths[s + 1] = lengths[s] + length;
  }
  std::vector<float> fractions;
  for (double length : lengths) {
    fractions.push_back(static_cast<float>(length / lengths.back()));
  }
  return fractions;
}

std::vector<CameraPath> cameraPaths() {
  std::vector<CameraPath> paths(4);

  // Scene 1: from high above the galaxy, round its rim, through the disc
  // and back up over it.
  paths[0].fileName = "CamCurve.ma";
  paths[0].nodeName = "galaxyPath";
  paths[0].waypoints = {{0, 17, 12},   {13, 10, 11},  {18, 3, 1},    {11, 0.6f, -10},
                        {-5, -2.5f, -14}, {-15, -4, -3}, {-13, 4, 10}, {-4, 13, 14}};

  // Scene 2: down the column of grinders, along its side close to the
  // teeth, round the back and along the other side.
  paths[1].fileName = "CamCurve2.ma";
  paths[1].nodeName = "grinderPath";
  paths[1].translate = glm::vec3(0.0f, 0.5f, -3.5f);
  paths[1].rotateY = 25.0f;
  paths[1].waypoints = {{3, 1.8f, 8},       {4.6f, 2.4f, 1.5f}, {4.3f, 0.9f, -3.5f},
                        {3.4f, -1.2f, -8.8f}, {0.8f, 3.6f, -12.5f}, {-4.4f, 2.2f, -6},
                        {-5, 1.2f, 0.5f},   {-2.5f, 3.5f, 7}};

  // Scene 3: in through the ring overhead, down and round between the cups
  // and the columns, and up again to look down on the crusher.
  paths[2].fileName = "CamCurve3.ma";
  paths[2].nodeName = "ballRoomPath";
  paths[2].translate = glm::vec3(0.0f, 2.0f, 0.0f);
  paths[2].rotateY = -40.0f;
  paths[2].waypoints = {{2, 14, 7.5f}, {7, 4.5f, 4},  {6, -1.5f, -5.2f}, {-4, 1, -7.5f},
                        {-8, 4, 1},    {-4.5f, 7, 6.5f}, {1.5f, 10.5f, 6}};

  // Scene 4: straight at the box and into its central tunnel; the show
  // cuts from inside the tunnel (waypoint 3) to the far side (waypoint 5),
  // so the stretch out of the back between them is never seen. From there
  // round the box in a wide loop, pulling back at the end.
  paths[3].fileName = "CamCurve4.ma";
  paths[3].nodeName = "boxPath";
  paths[3].rotateY = 90.0f;
  paths[3].waypoints = {{0, 3, 22},  {0, 1, 13}, {0, 0, 5.5f}, {0, 0, -1.5f}, {0, 0, -5.5f},
                        {7, 4, -13}, {14, 6, -3}, {13, 3, 8},  {6, 4.5f, 15}, {0, 3, 19}};
  return paths;
}

}  // namespace tessaly::content
