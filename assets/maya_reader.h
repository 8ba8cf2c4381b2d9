// Maya ASCII scenes (.ma) read into plain data: the curve shapes with their
// control points as written and the transform they are placed with, and the
// point and ambient lights. Measuring and sampling the curves is the scene's
// work (maya_scene.h), not the reader's.
//
// Only the subset the production's files use is read: transform nodes
// (".t", ".r", ".s"), cubic Bezier curve shapes, point lights and ambient
// lights. Every record is named after the file it came from.
#pragma once

#include <cstddef>
#include <glm/vec3.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// Lines are read into a buffer of this many characters; a longer line is cut
// there and its rest is read as the next line, as a C line buffer does.
inline constexpr std::size_t mayaLineBufferSize = 4096;

struct PointLight {
  std::string name;                      // file name of the .ma file (after its last '/')
  std::string path;                      // the path it was read from
  glm::vec3 position{0.0f, 0.0f, 0.0f};  // translation of the transform read last
  glm::vec3 color{1.0f, 1.0f, 1.0f};
  float intensity = 1.0f;
};

struct AmbientLight {
  std::string name;
  std::string path;
  glm::vec3 color{1.0f, 1.0f, 1.0f};
  float intensity = 1.0f;
};

// One curve shape, complete (the line after its last control point was read).
struct MayaCurve {
  std::vector<glm::vec3> controlPoints;  // as written, before the transform
  // The last ".s", ".r" (degrees) and ".t" values the file had set under a
  // transform node when the curve was complete (0 for those never set): the
  // transform the curve is placed with.
  glm::vec3 scale{0.0f};
  glm::vec3 rotation{0.0f};
  glm::vec3 translation{0.0f};
};

// What one file defines, each list in file order. A curve or light whose
// lines end the file is not complete and not listed.
struct MayaData {
  std::string path;
  std::string name;     // what follows the path's last '/' (the whole path without one)
  bool opened = false;  // false when the file could not be opened, or the path is empty
  std::vector<MayaCurve> curves;
  std::vector<PointLight> pointLights;
  std::vector<AmbientLight> ambientLights;
};

// Reads the file at `path`. An empty path reads nothing; a file whose first
// word is not "//Maya" gives no records. Nothing is reported.
MayaData readMayaFile(const std::string& path);

// Reads the text of a Maya file held in memory; `path` gives the names (an
// empty one reads nothing).
MayaData readMayaText(std::string_view text, std::string_view path);

}  // namespace tessaly::assets
