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

void MayaScene::load(const std::string& path, ArcSearch search) {
  if (path.empty()) {
    return;
  }
  add(readMayaFile(path), search);
}

void MayaScene::add(MayaData file, ArcSearch search) {
  for (MayaCurve& read : file.curves) {
    BezierCurve curve;
    curve.name = file.name;
    curve.path = file.path;
    curve.controlPoints = std::move(read.controlPoints);
    curve::measure(curve);
    curve::transform(curve, read.scale, read.rotation, read.translation);
    curve::precomputeSamples(curve, search);
    curves.push_back(std::move(curve));
  }
  pointLights.insert(pointLights.end(), std::make_move_iterator(file.pointLights.begin()),
                     std::make_move_iterator(file.pointLights.end()));
  ambientLights.insert(ambientLights.end(), std::make_move_iterator(file.ambientLights.begin()),
                       std::make_move_iterator(file.ambientLights.end()));
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
