// Reading the generated production back for the content tests: where it
// is, its OBJ and MTL files, its Maya curves and lights, and its tracks,
// with readers written for the tests from the file layouts (independent of
// the player's readers and of the generator's code).
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace tessaly::test {

// build/Data, made by the build before the tests run.
std::filesystem::path dataDir();

// The lines of a text file (without line ends); empty when unreadable.
std::vector<std::string> readLines(const std::filesystem::path& path);
// The whitespace-separated words of a line.
std::vector<std::string> words(const std::string& line);

struct ObjModel {
  std::vector<glm::vec3> positions;
  std::vector<glm::vec2> texCoords;
  std::vector<glm::vec3> normals;
  struct Corner {
    int position, texCoord, normal;  // 1-based as in the file
  };
  struct Face {
    std::vector<Corner> corners;
    std::string material;  // empty before the first usemtl
  };
  std::vector<Face> faces;
  std::vector<std::string> libraries;  // mtllib names
  std::vector<std::string> problems;   // lines the player could not read as meant

  glm::vec3 minimum() const;
  glm::vec3 maximum() const;
};
ObjModel readObj(const std::filesystem::path& path);

struct MtlMaterial {
  std::string name;
  std::map<std::string, std::vector<std::string>> values;  // keyword -> words
};
std::vector<MtlMaterial> readMtl(const std::filesystem::path& path);

// A curve as the player's Maya reader reads it: the control points of the
// bezierCurve shape after the file's transform (scale, rotation about x,
// then y, then z, translation).
struct MayaCurve {
  std::vector<glm::vec3> points;
  // A dense table for evaluating the curve by arc-length fraction.
  glm::vec3 atFraction(float fraction) const;
  std::vector<glm::vec3> samples;
};
// Checks the line layout the reader relies on; an empty optional and a
// message in `problem` when it does not hold.
std::optional<MayaCurve> readMayaCurve(const std::filesystem::path& path, std::string& problem);

struct MayaLight {
  std::string kind;  // "pointLight" or "ambientLight"
  glm::vec3 position{0.0f};
  glm::vec3 colour{1.0f};
  float intensity = 1.0f;
};
std::optional<MayaLight> readMayaLight(const std::filesystem::path& path, std::string& problem);

// The twenty track names in the player's order.
const std::array<const char*, 20>& trackNames();

// Closest distance from a point to a triangle.
float pointTriangleDistance(glm::vec3 p, glm::vec3 a, glm::vec3 b, glm::vec3 c);

}  // namespace tessaly::test
