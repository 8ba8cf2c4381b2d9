// The four camera paths, one per scene: smooth curves through hand-placed
// waypoints (Catmull-Rom turned into a chain of cubic Bezier segments),
// each stored in its Maya file under a transform, as an artist's file would.
#pragma once

#include "tools/content/maya.h"

#include <string>
#include <vector>

#include <glm/vec3.hpp>

namespace tessaly::content {

struct CameraPath {
  std::string fileName;
  std::string nodeName;
  glm::vec3 translate{0.0f};
  float rotateY = 0.0f;  // degrees
  std::vector<glm::vec3> waypoints;  // world positions the camera passes

  // Bezier control points in world space: 3 per waypoint gap, plus one.
  std::vector<glm::vec3> controlPoints() const;
  // The Maya curve: the control points in the transform's own space.
  MayaCurve maya() const;
  // The fraction of the path's length (0 to 1) at which it passes each
  // waypoint, as the player's arc-length parameter sees it.
  std::vector<float> waypointFractions() const;
};

// Scenes 1 to 4, in order: CamCurve.ma, CamCurve2.ma, CamCurve3.ma,
// CamCurve4.ma.
std::vector<CameraPath> cameraPaths();

}  // namespace tessaly::content
