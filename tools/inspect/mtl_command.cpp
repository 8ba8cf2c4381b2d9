// tessaly-inspect mtl FILE: the materials of an MTL library as the player
// reads them (the first word after each map keyword is the picture's name).
//   {"file": F, "materials": [material, ...]}   (material: see material_json.h)
// A file that is recognisably of another kind (binary, a model, a Maya
// scene, a shader) is refused.
#include "assets/mtl_reader.h"
#include "tools/inspect/file_kind.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"
#include "tools/inspect/material_json.h"

namespace tessaly::tools {

int runMtlCommand(const Invocation& invocation) {
  if (invocation.args.empty()) {
    return invocation.usageError("mtl needs a FILE");
  }
  if (invocation.args.size() > 1) {
    return invocation.usageError("mtl takes one FILE and nothing more");
  }
  const std::string file(invocation.args[0]);
  if (const std::string reason = unreadableReason(file); !reason.empty()) {
    return invocation.unreadable(file, reason);
  }
  switch (const FileKind kind = fileKindOfPath(file); kind) {
    case FileKind::mtlText:
    case FileKind::otherText:
    case FileKind::empty:
      break;
    default:
      return invocation.wrongKind(file, "an MTL material library", fileKindName(kind));
  }
  const assets::MtlData library = assets::readMtlFile(file);
  JsonWriter json(invocation.out);
  json.beginObject();
  json.field("file", file);
  json.key("materials");
  json.beginArray();
  for (const assets::MaterialData& material : library.materials) {
    writeMaterial(json, material);
  }
  json.endArray();
  json.endObject();
  invocation.out += '\n';
  return exitOk;
}

}  // namespace tessaly::tools
