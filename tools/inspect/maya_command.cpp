// tessaly-inspect maya FILE [U ...]: the curves and lights a Maya ASCII file
// gives, with each curve's lookups (by its name) at each u.
//   {"file": F,
//    "curves": [{"name": s, "path": s, "controlPoints": [[x, y, z], ...],
//                "segmentCount": i, "totalLength": f,
//                "segments": [{"length": f, "share": f}, ...], "sampleCount": i,
//                "curvePoint": [[x, y, z] per U], "evaluate": [[x, y, z] per U]}, ...],
//    "pointLights": [{"name": s, "position": [x, y, z], "color": [r, g, b],
//                     "intensity": f}, ...],
//    "ambientLights": [{"name": s, "color": [r, g, b], "intensity": f}, ...]}
// A file that is recognisably of another kind (a model, a library, a shader,
// binary bytes) is refused; other text whose first word is not //Maya gives
// nothing, as the player reads it.
#include "assets/maya_scene.h"
#include "tools/inspect/file_kind.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"

namespace tessaly::tools {

namespace {

// The scene's lookup `lookup` of the curve's name at each u, as points.
template <typename Lookup>
void writeLookups(JsonWriter& json, std::string_view key, const std::vector<float>& fractions,
                  Lookup&& lookup) {
  json.key(key);
  json.beginArray();
  for (const float u : fractions) {
    json.point(lookup(u));
  }
  json.endArray();
}

void writeCurve(JsonWriter& json, const assets::MayaScene& scene,
                const assets::BezierCurve& curve, const std::vector<float>& fractions) {
  json.beginObject();
  json.field("name", curve.name);
  json.field("path", curve.path);
  json.key("controlPoints");
  json.beginArray();
  for (const glm::vec3& point : curve.controlPoints) {
    json.point(point);
  }
  json.endArray();
  json.field("segmentCount", std::int64_t{curve.segmentCount});
  json.field("totalLength", curve.totalLength);
  json.key("segments");
  json.beginArray();
  for (const assets::CurveSegment& segment : curve.segments) {
    json.beginObject();
    json.field("length", segment.length);
    json.field("share", segment.share);
    json.endObject();
  }
  json.endArray();
  json.field("sampleCount", static_cast<std::int64_t>(curve.samples.size()));
  writeLookups(json, "curvePoint", fractions,
               [&](float u) { return scene.curvePoint(curve.name, u); });
  writeLookups(json, "evaluate", fractions,
               [&](float u) { return scene.evaluateCurve(curve.name, u); });
  json.endObject();
}

}  // namespace

int runMayaCommand(const Invocation& invocation) {
  std::string file;
  std::vector<float> fractions;
  if (const int status = takeFileAndNumbers(invocation, "U", file, fractions); status != exitOk) {
    return status;
  }
  switch (const FileKind kind = fileKindOfPath(file); kind) {
    case FileKind::mayaAscii:
    case FileKind::otherText:
    case FileKind::empty:
      break;
    default:
      return invocation.wrongKind(file, "a Maya ASCII file", fileKindName(kind));
  }
  assets::MayaScene scene;
  if (const std::size_t refused = scene.load(file); refused > 0) {
    invocation.err.append("tessaly-inspect: ")
        .append(file)
        .append(": ")
        .append(std::to_string(refused))
        .append(refused == 1 ? " curve" : " curves")
        .append(" too long to measure, left out\n");
  }

  JsonWriter json(invocation.out);
  json.beginObject();
  json.field("file", file);
  json.key("curves");
  json.beginArray();
  for (const assets::BezierCurve& curve : scene.curves) {
    writeCurve(json, scene, curve, fractions);
  }
  json.endArray();
  json.key("pointLights");
  json.beginArray();
  for (const assets::PointLight& light : scene.pointLights) {
    json.beginObject();
    json.field("name", light.name);
    json.field("position", light.position);
    json.field("color", light.color);
    json.field("intensity", light.intensity);
    json.endObject();
  }
  json.endArray();
  json.key("ambientLights");
  json.beginArray();
  for (const assets::AmbientLight& light : scene.ambientLights) {
    json.beginObject();
    json.field("name", light.name);
    json.field("color", light.color);
    json.field("intensity", light.intensity);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  invocation.out += '\n';
  return exitOk;
}

}  // namespace tessaly::tools
