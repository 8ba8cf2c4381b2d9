// A material as JSON, for the obj and mtl commands.
#include "tools/inspect/material_json.h"

namespace tessaly::tools {

void writeMaterial(JsonWriter& json, const assets::MaterialData& material) {
  json.beginObject();
  json.field("name", material.name);
  json.field("ambient", material.ambient);
  json.field("diffuse", material.diffuse);
  json.field("specular", material.specular);
  json.field("emissive", material.emissive);
  json.field("shininess", material.shininess);
  json.field("opacity", material.opacity);
  json.field("illumination", material.illumination);
  json.field("ambientMap", material.ambientMap);
  json.field("diffuseMap", material.diffuseMap);
  json.field("specularMap", material.specularMap);
  json.field("emissiveMap", material.emissiveMap);
  json.field("shininessMap", material.shininessMap);
  json.field("opacityMap", material.opacityMap);
  json.field("bumpMap", material.bumpMap);
  json.endObject();
}

}  // namespace tessaly::tools
