// MTL reading: one keyword per line, acting on the material of the last
// "newmtl". Lines before the first "newmtl" have no material and are skipped;
// missing numbers read as 0, so "Kd 0.5" gives (0.5, 0, 0).
#include "assets/mtl_reader.h"

#include "assets/line_reader.h"
#include "assets/value_reader.h"

namespace tessaly::assets {

namespace {

// Libraries are small: a smaller chunk than a model's will do.
constexpr std::size_t mtlChunkSize = 64 * 1024;

glm::vec3 readColor(ValueReader& values) {
  glm::vec3 color;
  values.number(color.r);
  values.number(color.g);
  values.number(color.b);
  return color;
}

float readNumber(ValueReader& values) {
  float value = 0.0f;
  values.number(value);
  return value;
}

// A map line names its file with the first word after the keyword; a line
// with no word leaves the map as it was.
void readMapName(ValueReader& values, std::string& map) {
  const std::string_view name = values.word();
  if (!name.empty()) {
    map = name;
  }
}

// The material field a map keyword sets, or null for other keywords.
std::string* mapField(std::string_view keyword, MaterialData& material) {
  if (keyword == "map_Ka") return &material.ambientMap;
  if (keyword == "map_Kd") return &material.diffuseMap;
  if (keyword == "map_Ks") return &material.specularMap;
  if (keyword == "map_Ke") return &material.emissiveMap;
  if (keyword == "map_Ns") return &material.shininessMap;
  if (keyword == "map_d") return &material.opacityMap;
  if (keyword == "map_Bump" || keyword == "bump") return &material.bumpMap;
  return nullptr;
}

void applyLine(std::string_view keyword, ValueReader& values, MaterialData& material) {
  if (keyword == "illum") {
    material.illumination = readNumber(values);
  } else if (keyword == "Ka") {
    material.ambient = readColor(values);
  } else if (keyword == "Kd") {
    material.diffuse = readColor(values);
  } else if (keyword == "Ks") {
    material.specular = readColor(values);
  } else if (keyword == "Ke") {
    material.emissive = readColor(values);
  } else if (keyword == "Ns") {
    material.shininess = readNumber(values);
  } else if (keyword == "d" || keyword == "Tr") {
    // "Tr" is stored as written, not as 1 - Tr.
    material.opacity = readNumber(values);
  } else if (keyword == "Tf") {
    const glm::vec3 filter = readColor(values);
    material.opacity = (filter.r + filter.g + filter.b) / 3.0f;
  } else if (std::string* map = mapField(keyword, material)) {
    readMapName(values, *map);
  }
}

void readLines(LineReader& lines, std::vector<MaterialData>& materials) {
  // Index of the current material in `materials`; none until "newmtl".
  std::size_t current = 0;
  bool hasCurrent = false;
  std::string_view line;
  while (lines.next(line)) {
    ValueReader values(line);
    const std::string_view keyword = values.word();
    if (keyword == "newmtl") {
      materials.emplace_back();
      current = materials.size() - 1;
      hasCurrent = true;
      materials[current].name = values.word();
    } else if (hasCurrent) {
      applyLine(keyword, values, materials[current]);
    }
  }
}

}  // namespace

MtlData readMtlFile(const std::string& path) {
  MtlData library;
  LineReader lines = LineReader::ofFile(path, mtlLineBufferSize, mtlChunkSize);
  library.opened = lines.isOpen();
  if (library.opened) {
    readLines(lines, library.materials);
  }
  return library;
}

MtlData readMtlText(std::string_view text) {
  MtlData library;
  library.opened = true;
  LineReader lines = LineReader::ofText(text, mtlLineBufferSize);
  readLines(lines, library.materials);
  return library;
}

}  // namespace tessaly::assets
