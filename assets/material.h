// A model's material on the GPU: the values an MTL library gave it, and its
// four constant colours painted into 1x1 swatch targets, whose textures the
// model draw binds wherever the material names no map. Made and painted on
// the thread that owns the GL context.
#pragma once

#include "assets/mtl_reader.h"
#include "render/render_target.h"

namespace tessaly::assets {

class Material {
 public:
  // Creates the swatches in the order ambient, diffuse, emissive, specular,
  // each a single-sample 1x1 target cleared to (colour, 1) from `values`,
  // then sets the clear colour back to (0, 0, 0, 0).
  explicit Material(const MaterialData& values);
  // Owns its swatches: moving hands them over, destruction deletes their GL
  // objects (when a context is current).
  Material(Material&&) noexcept = default;
  Material& operator=(Material&&) noexcept = default;

  // Name, colours as read, shininess, opacity, illumination and the seven
  // map names (empty: no map).
  MaterialData values;

  const render::RenderTarget& ambientSwatch() const { return ambientSwatch_; }    // "Ka"
  const render::RenderTarget& diffuseSwatch() const { return diffuseSwatch_; }    // "Kd"
  const render::RenderTarget& specularSwatch() const { return specularSwatch_; }  // "Ks"
  const render::RenderTarget& emissiveSwatch() const { return emissiveSwatch_; }  // "Ke"

 private:
  render::RenderTarget ambientSwatch_;
  render::RenderTarget diffuseSwatch_;
  render::RenderTarget emissiveSwatch_;
  render::RenderTarget specularSwatch_;
};

}  // namespace tessaly::assets
