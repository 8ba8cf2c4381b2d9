// A material as JSON, shared by the obj and mtl commands:
//   {"name": s, "ambient": [r, g, b], "diffuse": [..], "specular": [..],
//    "emissive": [..], "shininess": f, "opacity": f, "illumination": f,
//    "ambientMap": s, ..., "bumpMap": s}
#pragma once

#include "assets/mtl_reader.h"
#include "tools/inspect/json_writer.h"

namespace tessaly::tools {

void writeMaterial(JsonWriter& json, const assets::MaterialData& material);

}  // namespace tessaly::tools
