// A model's material on the GPU: the values an MTL library gave it, and its
// four constant colours painted into 1x1 swatch targets, whose textures the
// model draw binds wherever the material names no map. Made and painted on
// the thread that owns the GL context.
#pragma once

#include "assets/mtl_reader.h"
#include "render/render_target.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>

namespace tessaly::assets {

// The swatches of one model's materials, one per colour: materials of equal
// colours share them, so a library of a thousand materials in a few colours
// makes a few targets, not four thousand. Colours are equal when their bits
// are. Made and used on the thread that owns the GL context.
class SwatchPalette {
 public:
  // The swatch of `color` (painted (color, 1)), made on first use.
  std::shared_ptr<const render::RenderTarget> swatch(const glm::vec3& color);
  // How many distinct swatches exist.
  std::size_t size() const { return swatches_.size(); }

 private:
  std::map<std::array<std::uint32_t, 3>, std::shared_ptr<const render::RenderTarget>> swatches_;
};

class Material {
 public:
  // Creates the swatches in the order ambient, diffuse, emissive, specular,
  // each a single-sample 1x1 target cleared to (colour, 1) from `values`,
  // then sets the clear colour back to (0, 0, 0, 0).
  explicit Material(const MaterialData& values);
  // The same, taking the swatches from `palette`, which makes only those of
  // colours it does not hold yet.
  Material(const MaterialData& values, SwatchPalette& palette);
  // Shares its swatches with the palette and the other materials made from
  // it; the last owner's going deletes their GL objects (when a context is
  // current).
  Material(Material&&) noexcept = default;
  Material& operator=(Material&&) noexcept = default;

  // Name, colours as read, shininess, opacity, illumination and the seven
  // map names (empty: no map).
  MaterialData values;

  const render::RenderTarget& ambientSwatch() const { return *ambientSwatch_; }    // "Ka"
  const render::RenderTarget& diffuseSwatch() const { return *diffuseSwatch_; }    // "Kd"
  const render::RenderTarget& specularSwatch() const { return *specularSwatch_; }  // "Ks"
  const render::RenderTarget& emissiveSwatch() const { return *emissiveSwatch_; }  // "Ke"

 private:
  std::shared_ptr<const render::RenderTarget> ambientSwatch_;
  std::shared_ptr<const render::RenderTarget> diffuseSwatch_;
  std::shared_ptr<const render::RenderTarget> emissiveSwatch_;
  std::shared_ptr<const render::RenderTarget> specularSwatch_;
};

}  // namespace tessaly::assets
