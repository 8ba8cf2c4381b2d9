// Wavefront MTL material libraries read into plain records. Colours stay
// numbers here; the GL layer paints each into its 1x1 swatch target.
#pragma once

#include <glm/vec3.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// Lines of a library are read into a buffer of this many characters; a line
// of 256 characters or more ends the reading of the library.
inline constexpr std::size_t mtlLineBufferSize = 256;

// One "newmtl" entry. The defaults are those of a material with no property
// lines: black ambient, specular and emissive, white diffuse. A swatch is
// painted with (colour, 1); colour components are stored as read, so values
// outside 0..1 are left to the target's own clamping.
struct MaterialData {
  std::string name;
  glm::vec3 ambient{0.0f, 0.0f, 0.0f};   // "Ka"
  glm::vec3 diffuse{1.0f, 1.0f, 1.0f};   // "Kd"
  glm::vec3 specular{0.0f, 0.0f, 0.0f};  // "Ks"
  glm::vec3 emissive{0.0f, 0.0f, 0.0f};  // "Ke"
  float shininess = 2.0f;                // "Ns"
  float opacity = 1.0f;                  // "d", "Tr" (as written), "Tf" (mean)
  float illumination = 1.0f;             // "illum", read as a number with a fraction
  // Texture file names as written (the first word after the keyword); empty
  // when the library names none.
  std::string ambientMap;    // "map_Ka"
  std::string diffuseMap;    // "map_Kd"
  std::string specularMap;   // "map_Ks"
  std::string emissiveMap;   // "map_Ke"
  std::string shininessMap;  // "map_Ns"
  std::string opacityMap;    // "map_d"
  std::string bumpMap;       // "map_Bump" or "bump"
};

// What a library holds: one material per "newmtl", in file order. A line too
// long for the buffer ends the reading there, keeping the materials read
// before it.
struct MtlData {
  std::vector<MaterialData> materials;
  bool opened = false;  // false when the file could not be opened (then no materials)
};

// Reads the library at `path`. Nothing is reported.
MtlData readMtlFile(const std::string& path);

// Reads the text of a library held in memory (always opened).
MtlData readMtlText(std::string_view text);

}  // namespace tessaly::assets
