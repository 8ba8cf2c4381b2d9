// A model's material on the GPU: the values an MTL library gave it, and its
// four constant colours painted into 1x1 swatch targets, whose textures the
// model draw binds wherever the material names no map. Made and painted on
// the thread that owns the GL context.
#pragma once

#include "assets/mtl_reader.h"
#include "render/render_target.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaly::assets {

class Material {
 public:
  // Creates the swatches in the order ambient, diffuse, emissive, specular,
  // each a single-sample 1x1 target cleared to (colour, 1) from `values`,
  // then sets the clear colour back to (0, 0, 0, 0).
  explicit Material(const MaterialData& values);

  // Deletes the swatches' GL objects while the context is current. The
  // player never does (its materials live until the process ends); the
  // destructor makes no GL call, so a material may outlive the context.
  void release();

  // Name, colours as read, shininess, opacity, illumination and the seven
  // map names (empty: no map).
  MaterialData values;

  std::unique_ptr<render::RenderTarget> ambientSwatch;   // "Ka"
  std::unique_ptr<render::RenderTarget> diffuseSwatch;   // "Kd"
  std::unique_ptr<render::RenderTarget> specularSwatch;  // "Ks"
  std::unique_ptr<render::RenderTarget> emissiveSwatch;  // "Ke"
};

// Reads the MTL library at `path` and appends one painted Material per
// "newmtl" entry, in file order. A library that cannot be opened appends
// nothing and reports nothing.
void readMaterialLibrary(const std::string& path, std::vector<Material>& materials);

}  // namespace tessaly::assets
