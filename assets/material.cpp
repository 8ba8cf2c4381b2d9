// Materials on the GPU: swatches painted by clearing 1x1 targets.
#include "assets/material.h"

namespace tessaly::assets {

namespace {

std::unique_ptr<render::RenderTarget> swatch(const glm::vec3& color) {
  return render::createSolidColorTarget(glm::vec4(color, 1.0f));
}

}  // namespace

Material::Material(const MaterialData& materialValues) : values(materialValues) {
  // Only the last colour line of each kind counts, so one clear with the
  // final colour paints what clearing once per line would leave.
  ambientSwatch = swatch(values.ambient);
  diffuseSwatch = swatch(values.diffuse);
  emissiveSwatch = swatch(values.emissive);
  specularSwatch = swatch(values.specular);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

void Material::release() {
  for (const auto* target : {&ambientSwatch, &diffuseSwatch, &specularSwatch, &emissiveSwatch}) {
    if (*target) {
      (*target)->release();
    }
  }
}

void readMaterialLibrary(const std::string& path, std::vector<Material>& materials) {
  std::vector<MaterialData> read;
  readMaterialLibrary(path, read);
  materials.reserve(materials.size() + read.size());
  for (const MaterialData& values : read) {
    materials.emplace_back(values);
  }
}

}  // namespace tessaly::assets
