// tessaly-inspect obj FILE: what the OBJ reader makes of a model and the
// material libraries it names, read with no GL (no buffers are made, so
// "isLoaded" says the file was read).
//   {"file": F, "isLoaded": b, "isPointCloud": b, "positions": n, "texCoords": n,
//    "normals": n, "pointCount": n, "vertexFloatCount": n, "indexCount": n,
//    "batches": [{"kind": i, "firstIndex": i, "indexCount": i,
//                 "material": s, or null for the default material,
//                 "kindName": s, "corners": s}, ...],
//    "materials": [{"name": s, "ambient": [r, g, b], "diffuse": [..], "specular": [..],
//                   "emissive": [..], "shininess": f, "opacity": f, "illumination": f,
//                   "ambientMap": s, "diffuseMap": s, "specularMap": s, "emissiveMap": s,
//                   "shininessMap": s, "opacityMap": s, "bumpMap": s}, ...],
//    "droppedFaces": n}
// "kindName" names the face kind ("triangles", "quads", "fan") and "corners"
// the corner count it stands for. A file that is recognisably of another
// kind (binary, a Maya scene, a material library, a shader) is refused.
#include "assets/obj_reader.h"
#include "tools/inspect/file_kind.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"
#include "tools/inspect/material_json.h"

namespace tessaly::tools {

namespace {

const char* kindName(assets::FaceKind kind) {
  switch (kind) {
    case assets::FaceKind::triangles: return "triangles";
    case assets::FaceKind::quads: return "quads";
    case assets::FaceKind::fan: return "fan";
  }
  return "unknown";
}

const char* cornersOf(assets::FaceKind kind) {
  switch (kind) {
    case assets::FaceKind::triangles: return "3";
    case assets::FaceKind::quads: return "4";
    case assets::FaceKind::fan: return "5 or more";
  }
  return "unknown";
}

std::int64_t count(std::size_t size) {
  return static_cast<std::int64_t>(size);
}

void writeBatch(JsonWriter& json, const assets::ObjData& model, const assets::DrawBatch& batch) {
  json.beginObject();
  json.field("kind", static_cast<std::int64_t>(batch.kind));
  json.field("firstIndex", std::int64_t{batch.firstIndex});
  json.field("indexCount", std::int64_t{batch.indexCount});
  json.key("material");
  if (batch.material >= 0 && static_cast<std::size_t>(batch.material) < model.materials.size()) {
    json.string(model.materials[static_cast<std::size_t>(batch.material)].name);
  } else {
    json.null();
  }
  json.field("kindName", kindName(batch.kind));
  json.field("corners", cornersOf(batch.kind));
  json.endObject();
}

}  // namespace

int runObjCommand(const Invocation& invocation) {
  if (invocation.args.empty()) {
    return invocation.usageError("obj needs a FILE");
  }
  if (invocation.args.size() > 1) {
    return invocation.usageError("obj takes one FILE and nothing more");
  }
  const std::string file(invocation.args[0]);
  if (const std::string reason = unreadableReason(file); !reason.empty()) {
    return invocation.unreadable(file, reason);
  }
  switch (const FileKind kind = fileKindOfPath(file); kind) {
    case FileKind::objText:
    case FileKind::otherText:
    case FileKind::empty:
      break;
    default:
      return invocation.wrongKind(file, "an OBJ model", fileKindName(kind));
  }
  const assets::ObjData model = assets::readObjFile(file);
  const bool loaded = model.opened;

  JsonWriter json(invocation.out);
  json.beginObject();
  json.field("file", file);
  json.key("isLoaded");
  json.boolean(loaded);
  json.key("isPointCloud");
  json.boolean(model.isPointCloud);
  json.field("positions", count(model.positions.size()));
  json.field("texCoords", count(model.texCoords.size()));
  json.field("normals", count(model.normals.size()));
  json.field("pointCount", count(model.pointData.size() / 3));
  json.field("vertexFloatCount", count(model.vertexData.size()));
  json.field("indexCount", count(model.indexData.size()));
  json.key("batches");
  json.beginArray();
  for (const assets::DrawBatch& batch : model.batches) {
    writeBatch(json, model, batch);
  }
  json.endArray();
  json.key("materials");
  json.beginArray();
  for (const assets::MaterialData& material : model.materials) {
    writeMaterial(json, material);
  }
  json.endArray();
  json.field("droppedFaces", std::int64_t{model.droppedFaces});
  json.endObject();
  invocation.out += '\n';
  return exitOk;
}

}  // namespace tessaly::tools
