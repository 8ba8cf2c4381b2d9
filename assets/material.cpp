// Materials on the GPU: swatches painted by clearing 1x1 targets.
#include "assets/material.h"

#include <bit>

namespace tessaly::assets {

namespace {

std::shared_ptr<const render::RenderTarget> newSwatch(const glm::vec3& color) {
  return std::make_shared<const render::RenderTarget>(
      render::RenderTarget::solidColor(glm::vec4(color, 1.0f)));
}

}  // namespace

std::shared_ptr<const render::RenderTarget> SwatchPalette::swatch(const glm::vec3& color) {
  const std::array<std::uint32_t, 3> key = {std::bit_cast<std::uint32_t>(color.x),
                                            std::bit_cast<std::uint32_t>(color.y),
                                            std::bit_cast<std::uint32_t>(color.z)};
  std::shared_ptr<const render::RenderTarget>& found = swatches_[key];
  if (found == nullptr) {
    found = newSwatch(color);
  }
  return found;
}

// Only the last colour line of each kind counts, so one clear with the final
// colour paints what clearing once per line would leave. The members are
// declared in painting order: ambient, diffuse, emissive, specular.
Material::Material(const MaterialData& materialValues)
    : values(materialValues),
      ambientSwatch_(newSwatch(values.ambient)),
      diffuseSwatch_(newSwatch(values.diffuse)),
      emissiveSwatch_(newSwatch(values.emissive)),
      specularSwatch_(newSwatch(values.specular)) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

Material::Material(const MaterialData& materialValues, SwatchPalette& palette)
    : values(materialValues),
      ambientSwatch_(palette.swatch(values.ambient)),
      diffuseSwatch_(palette.swatch(values.diffuse)),
      emissiveSwatch_(palette.swatch(values.emissive)),
      specularSwatch_(palette.swatch(values.specular)) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

}  // namespace tessaly::assets
