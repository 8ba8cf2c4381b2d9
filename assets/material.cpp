// Materials on the GPU: swatches painted by clearing 1x1 targets.
#include "assets/material.h"

namespace tessaly::assets {

namespace {

render::RenderTarget swatch(const glm::vec3& color) {
  return render::RenderTarget::solidColor(glm::vec4(color, 1.0f));
}

}  // namespace

// Only the last colour line of each kind counts, so one clear with the final
// colour paints what clearing once per line would leave. The members are
// declared in painting order: ambient, diffuse, emissive, specular.
Material::Material(const MaterialData& materialValues)
    : values(materialValues),
      ambientSwatch_(swatch(values.ambient)),
      diffuseSwatch_(swatch(values.diffuse)),
      emissiveSwatch_(swatch(values.emissive)),
      specularSwatch_(swatch(values.specular)) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

}  // namespace tessaly::assets
