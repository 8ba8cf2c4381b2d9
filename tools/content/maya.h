// Maya ASCII files for the camera paths and the lights, laid out line for
// line as Maya writes these nodes (the player's reader follows that layout:
// a shape's knot line is the fourth line after its createNode line, a
// light's colour and intensity follow one attribute line, and a later
// setAttr line finishes the light).
#pragma once

#include <string>
#include <vector>

#include <glm/vec3.hpp>

namespace tessaly::content {

struct MayaCurve {
  std::string fileName;       // e.g. "CamCurve2.ma"
  std::string nodeName;       // transform node; the shape is nodeName + "Shape"
  glm::vec3 translate{0.0f};  // the transform's ".t"
  glm::vec3 rotate{0.0f};     // ".r", degrees
  glm::vec3 scale{1.0f};      // ".s"
  std::vector<glm::vec3> controlPoints;  // in the curve's own space, 3n + 1 points
};

struct MayaPointLight {
  std::string fileName;
  std::string nodeName;
  glm::vec3 position{0.0f};  // the parent transform's ".t"
  glm::vec3 colour{1.0f};
  float intensity = 1.0f;
};

// The text of a file holding one transform with one cubic Bezier curve.
std::string mayaCurveFile(const MayaCurve& curve);
// The text of a file holding one point light under its transform.
std::string mayaPointLightFile(const MayaPointLight& light);
// The text of a file holding one ambient light.
std::string mayaAmbientLightFile(const std::string& fileName, glm::vec3 colour, float intensity);

}  // namespace tessaly::content
