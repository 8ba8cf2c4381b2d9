#include "tests/content/content_data.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include <glm/geometric.hpp>

namespace tessaly::test {

std::filesystem::path dataDir() { return std::filesystem::path(TESSALY_BINARY_DIR) / "Data"; }

std::vector<std::string> readLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> result;
  std::string word;
  while (in >> word) {
    result.push_back(word);
  }
  return result;
}

namespace {

bool number(const std::string& text, float& value) {
  char* end = nullptr;
  value = std::strtof(text.c_str(), &end);
  return end != text.c_str() && (*end == '\0' || *end == ';');
}

// Reads n numbers from w starting at `first`.
bool numbers(const std::vector<std::string>& w, std::size_t first, int n, float* out) {
  if (w.size() < first + static_cast<std::size_t>(n)) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    if (!number(w[first + static_cast<std::size_t>(i)], out[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

ObjModel readObj(const std::filesystem::path& path) {
  ObjModel model;
  std::string material;
  int lineNumber = 0;
  for (const std::string& line : readLines(path)) {
    ++lineNumber;
    const std::string where = path.filename().string() + ":" + std::to_string(lineNumber) + ": ";
    if (line.size() > 4095) {
      model.problems.push_back(where + "line longer than 4095 characters");
    }
    const std::vector<std::string> w = words(line);
    if (w.empty()) {
      continue;
    }
    float v[3] = {0, 0, 0};
    if (w[0] == "v") {
      if (!numbers(w, 1, 3, v)) model.problems.push_back(where + "bad v");
      model.positions.emplace_back(v[0], v[1], v[2]);
    } else if (w[0] == "vt") {
      if (!numbers(w, 1, 2, v)) model.problems.push_back(where + "bad vt");
      model.texCoords.emplace_back(v[0], v[1]);
    } else if (w[0] == "vn") {
      if (!numbers(w, 1, 3, v)) model.problems.push_back(where + "bad vn");
      model.normals.emplace_back(v[0], v[1], v[2]);
    } else if (w[0] == "mtllib") {
      if (w.size() != 2) model.problems.push_back(where + "mtllib needs exactly one name");
      model.libraries.push_back(w.back());
    } else if (w[0] == "usemtl" && w.size() > 1) {
      material = w[1];
    } else if (w[0] == "f") {
      ObjModel::Face face;
      face.material = material;
      for (std::size_t i = 1; i < w.size(); ++i) {
        ObjModel::Corner corner{0, 0, 0};
        if (std::sscanf(w[i].c_str(), "%d/%d/%d", &corner.position, &corner.texCoord,
                        &corner.normal) != 3) {
          model.problems.push_back(where + "corner " + w[i] + " is not v/vt/vn");
        }
        face.corners.push_back(corner);
      }
      model.faces.push_back(face);
    }
  }
  return model;
}

glm::vec3 ObjModel::minimum() const {
  glm::vec3 low(1e30f);
  for (const glm::vec3& p : positions) low = glm::min(low, p);
  return low;
}

glm::vec3 ObjModel::maximum() const {
  glm::vec3 high(-1e30f);
  for (const glm::vec3& p : positions) high = glm::max(high, p);
  return high;
}

std::vector<MtlMaterial> readMtl(const std::filesystem::path& path) {
  std::vector<MtlMaterial> materials;
  for (const std::string& line : readLines(path)) {
    const std::vector<std::string> w = words(line);
    if (w.empty()) {
      continue;
    }
    if (w[0] == "newmtl") {
      materials.push_back(MtlMaterial{w.size() > 1 ? w[1] : "", {}});
    } else if (!materials.empty()) {
      materials.back().values[w[0]] = std::vector<std::string>(w.begin() + 1, w.end());
    }
  }
  return materials;
}

glm::vec3 MayaCurve::atFraction(float fraction) const {
  const float position = std::clamp(fraction, 0.0f, 1.0f) * static_cast<float>(samples.size() - 1);
  const std::size_t i = std::min(samples.size() - 2, static_cast<std::size_t>(position));
  const float t = position - static_cast<float>(i);
  return samples[i] + (samples[i + 1] - samples[i]) * t;
}

namespace {

glm::vec3 bezier(const glm::vec3* p, float t) {
  const float s = 1.0f - t;
  return s * s * s * p[0] + 3.0f * t * s * s * p[1] + 3.0f * t * t * s * p[2] + t * t * t * p[3];
}

// Resamples the Bezier chain at equal arc-length steps.
std::vector<glm::vec3> arcLengthSamples(const std::vector<glm::vec3>& points, int count) {
  std::vector<glm::vec3> dense;
  std::vector<float> length(1, 0.0f);
  for (std::size_t s = 0; s + 3 < points.size(); s += 3) {
    for (int k = (s == 0 ? 0 : 1); k <= 400; ++k) {
      dense.push_back(bezier(&points[s], static_cast<float>(k) / 400.0f));
      if (dense.size() > 1) {
        length.push_back(length.back() + glm::length(dense.back() - dense[dense.size() - 2]));
      }
    }
  }
  std::vector<glm::vec3> samples;
  std::size_t j = 0;
  for (int i = 0; i < count; ++i) {
    const float target = length.back() * static_cast<float>(i) / static_cast<float>(count - 1);
    while (j + 2 < length.size() && length[j + 1] < target) ++j;
    const float span = std::max(length[j + 1] - length[j], 1e-9f);
    samples.push_back(dense[j] + (dense[j + 1] - dense[j]) * ((target - length[j]) / span));
  }
  return samples;
}

// The transform's ".t", ".r" and ".s" lines: setAttr ".t" -type "double3" x y z ;
void readTransformLine(const std::vector<std::string>& w, glm::vec3& t, glm::vec3& r,
                       glm::vec3& s) {
  if (w.size() < 7 || w[0] != "setAttr") return;
  float v[3];
  if (!numbers(w, 4, 3, v)) return;
  if (w[1] == "\".t\"") t = glm::vec3(v[0], v[1], v[2]);
  if (w[1] == "\".r\"") r = glm::vec3(v[0], v[1], v[2]);
  if (w[1] == "\".s\"") s = glm::vec3(v[0], v[1], v[2]);
}

glm::vec3 transformed(glm::vec3 p, glm::vec3 t, glm::vec3 r, glm::vec3 s) {
  const float degrees = 0.01745329238474369f;
  if (s != glm::vec3(0.0f)) p *= s;
  if (r != glm::vec3(0.0f)) {
    float c = std::cos(r.x * degrees), n = std::sin(r.x * degrees);
    p = glm::vec3(p.x, p.y * c - p.z * n, p.y * n + p.z * c);
    c = std::cos(r.y * degrees), n = std::sin(r.y * degrees);
    p = glm::vec3(p.x * c + p.z * n, p.y, p.z * c - p.x * n);
    c = std::cos(r.z * degrees), n = std::sin(r.z * degrees);
    p = glm::vec3(p.x * c - p.y * n, p.x * n + p.y * c, p.z);
  }
  return p + t;
}

// The lines of a Maya ASCII file, or none (with the reason) when its first
// word is not "//Maya".
std::vector<std::string> mayaLines(const std::filesystem::path& path, std::string& problem) {
  std::vector<std::string> lines = readLines(path);
  if (lines.empty() || words(lines[0]).empty() || words(lines[0])[0] != "//Maya") {
    problem = "first word is not //Maya";
    lines.clear();
  }
  return lines;
}

}  // namespace

std::optional<MayaCurve> readMayaCurve(const std::filesystem::path& path, std::string& problem) {
  const std::vector<std::string> lines = mayaLines(path, problem);
  if (lines.empty()) {
    return std::nullopt;
  }
  glm::vec3 t(0.0f), r(0.0f), s(0.0f);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> w = words(lines[i]);
    if (w.size() >= 2 && w[0] == "createNode" && w[1] == "transform") {
      for (std::size_t j = i + 1; j < lines.size() && !words(lines[j]).empty() &&
                                  words(lines[j])[0] == "setAttr";
           ++j) {
        readTransformLine(words(lines[j]), t, r, s);
      }
    }
    if (w.size() < 2 || w[0] != "createNode" || w[1] != "bezierCurve") {
      continue;
    }
    // createNode; one attribute line; the ".cc" line; degree line; knots;
    // count; points; then one more line that completes the curve.
    if (i + 5 >= lines.size() || words(lines[i + 2]).size() < 2 ||
        words(lines[i + 2])[1] != "\".cc\"") {
      problem = "the curve data does not start on the second line after createNode";
      return std::nullopt;
    }
    const std::vector<std::string> degree = words(lines[i + 3]);
    if (degree.size() != 5 || degree[0] != "3") {
      problem = "the third line after createNode is not a cubic's degree line";
      return std::nullopt;
    }
    const std::vector<std::string> knots = words(lines[i + 4]);
    if (knots.empty() || std::stoul(knots[0]) + 1 != knots.size()) {
      problem = "the knot count on the fourth line does not match its knots";
      return std::nullopt;
    }
    const std::vector<std::string> countLine = words(lines[i + 5]);
    const std::size_t count = countLine.empty() ? 0 : std::stoul(countLine[0]);
    if (count < 4 || (count - 1) % 3 != 0 || i + 6 + count >= lines.size()) {
      problem = "control point count is not 3n + 1, or no line follows the last point";
      return std::nullopt;
    }
    MayaCurve curve;
    for (std::size_t p = 0; p < count; ++p) {
      float v[3];
      if (!numbers(words(lines[i + 6 + p]), 0, 3, v)) {
        problem = "control point line " + std::to_string(p) + " does not hold three numbers";
        return std::nullopt;
      }
      curve.points.push_back(transformed(glm::vec3(v[0], v[1], v[2]), t, r, s));
    }
    curve.samples = arcLengthSamples(curve.points, 5001);
    return curve;
  }
  problem = "no bezierCurve node";
  return std::nullopt;
}

std::optional<MayaLight> readMayaLight(const std::filesystem::path& path, std::string& problem) {
  const std::vector<std::string> lines = mayaLines(path, problem);
  if (lines.empty()) {
    return std::nullopt;
  }
  glm::vec3 t(0.0f), r(0.0f), s(0.0f);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> w = words(lines[i]);
    readTransformLine(w, t, r, s);
    if (w.size() < 2 || w[0] != "createNode" || (w[1] != "pointLight" && w[1] != "ambientLight")) {
      continue;
    }
    MayaLight light;
    light.kind = w[1];
    light.position = t;
    // The line after createNode is not read as an attribute; colour and
    // intensity follow, and another setAttr line must finish the light.
    for (std::size_t j = i + 2; j < lines.size(); ++j) {
      const std::vector<std::string> a = words(lines[j]);
      if (a.size() < 2 || a[0] != "setAttr") continue;
      float v[3];
      if (a[1] == "\".cl\"" && numbers(a, 4, 3, v)) {
        light.colour = glm::vec3(v[0], v[1], v[2]);
      } else if (a[1] == "\".in\"" && numbers(a, 2, 1, v)) {
        light.intensity = v[0];
      } else {
        return light;
      }
    }
    problem = "no setAttr line finishes the light";
    return std::nullopt;
  }
  problem = "no light node";
  return std::nullopt;
}

const std::array<const char*, 20>& trackNames() {
  static const std::array<const char*, 20> names = {
      "scene.num",       "campath.pos",     "camview.x",   "camview.y",     "camview.z",
      "cam.roll",        "cam.shake.x",     "cam.shake.y", "cam.shake.mag.x", "cam.shake.mag.y",
      "cam.shake.dat.x", "cam.shake.dat.y", "fov",         "curve.start",   "curve.end",
      "anim.pos",        "text.line",       "scene.alpha", "overlay.alpha", "overlay.num"};
  return names;
}

float pointTriangleDistance(glm::vec3 p, glm::vec3 a, glm::vec3 b, glm::vec3 c) {
  // Closest point on a triangle by its Voronoi regions.
  const glm::vec3 ab = b - a, ac = c - a, ap = p - a;
  const float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return glm::length(p - a);
  const glm::vec3 bp = p - b;
  const float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return glm::length(p - b);
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return glm::length(p - (a + ab * (d1 / (d1 - d3))));
  const glm::vec3 cp = p - c;
  const float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return glm::length(p - c);
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return glm::length(p - (a + ac * (d2 / (d2 - d6))));
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    return glm::length(p - (b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)))));
  }
  const float denominator = 1.0f / (va + vb + vc);
  return glm::length(p - (a + ab * (vb * denominator) + ac * (vc * denominator)));
}

}  // namespace tessaly::test
