// The Maya scene's building from read files and its lookups.
#include "assets/maya_scene.h"

#include "assets/maya_curve.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace tessaly::assets {

namespace {

template <typename Record>
const Record* findByName(const std::vector<Record>& records, std::string_view name) {
  for (const Record& record : records) {
    if (record.name == name) {
      return &record;
    }
  }
  return nullptr;
}

const glm::vec3 neutralPoint(1.0f, 1.0f, 1.0f);

}  // namespace

std::size_t MayaScene::load(const std::string& path, ArcSearch search) {
  if (path.empty()) {
    return 0;
  }
  return add(readMayaFile(path), search);
}

std::size_t MayaScene::add(MayaData file, ArcSearch search) {
  // The file's records are made aside and added together, so that a file
  // that fails half-way (out of memory) adds nothing.
  std::vector<BezierCurve> made;
  std::size_t tableFloats = 0;
  std::size_t refused = 0;
  for (MayaCurve& read : file.curves) {
    const std::size_t points = read.controlPoints.size();
    const std::size_t segments = points > 0 ? (points - 1) / 3 : 0;
    const std::size_t floats = segments * static_cast<std::size_t>(curve::arcTableSize);
    if (floats > maxArcTableFloatsPerFile - tableFloats) {
      ++refused;
      continue;
    }
    tableFloats += floats;
    BezierCurve curve;
    curve.name = file.name;
    curve.path = file.path;
    curve.controlPoints = std::move(read.controlPoints);
    curve::measure(curve);
    curve::transform(curve, read.scale, read.rotation, read.translation);
    curve::precomputeSamples(curve, search);
    made.push_back(std::move(curve));
  }
  curves.reserve(curves.size() + made.size());
  pointLights.reserve(pointLights.size() + file.pointLights.size());
  ambientLights.reserve(ambientLights.size() + file.ambientLights.size());
  curves.insert(curves.end(), std::make_move_iterator(made.begin()),
                std::make_move_iterator(made.end()));
  pointLights.insert(pointLights.end(), std::make_move_iterator(file.pointLights.begin()),
                     std::make_move_iterator(file.pointLights.end()));
  ambientLights.insert(ambientLights.end(), std::make_move_iterator(file.ambientLights.begin()),
                       std::make_move_iterator(file.ambientLights.end()));
  return refused;
}

glm::vec3 MayaScene::evaluateCurve(std::string_view name, float u) const {
  for (const BezierCurve& curve : curves) {
    if (curve.name != name) {
      continue;
    }
    // A curve without segments has no point: the next curve of the name answers.
    if (const std::optional<glm::vec3> point = curve::evaluate(curve, u, firstEntryAbove)) {
      return *point;
    }
  }
  return neutralPoint;
}

glm::vec3 MayaScene::curvePoint(std::string_view name, float u) const {
  const BezierCurve* curve = findByName(curves, name);
  if (curve == nullptr || curve->samples.empty()) {
    return neutralPoint;
  }
  const std::size_t count = curve->samples.size();
  const float position = static_cast<float>(count) * curve::clampFraction(u);
  const auto i = std::min(static_cast<std::size_t>(position), count - 1);
  return curve->samples[i];
}

glm::vec3 MayaScene::lightPosition(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->position : glm::vec3(0.0f);
}

glm::vec3 MayaScene::lightColor(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->color : neutralPoint;
}

float MayaScene::lightIntensity(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->intensity : 1.0f;
}

glm::vec3 MayaScene::ambientColor(std::string_view name) const {
  const AmbientLight* light = findByName(ambientLights, name);
  return light != nullptr ? light->color : neutralPoint;
}

}  // namespace tessaly::assets
