// What the scenes draw and look up by file name: models, the particle
// cloud, the texture registry whose names the model materials resolve, and
// the Maya scene with the camera curves and lights. A show draws from its
// asset registry; tests put a recording stand-in here to see what each draw
// received.
#pragma once

#include <string_view>

namespace tessaly::assets {
class AssetRegistry;
class MayaScene;
class TextureRegistry;
}  // namespace tessaly::assets

namespace tessaly::demo {

class SceneAssets {
 public:
  virtual ~SceneAssets() = default;
  // Draws every model of that file name with the program the caller made
  // current; nothing when none is loaded.
  virtual void drawModel(std::string_view name) = 0;
  // Draws every model of that name as additive points.
  virtual void drawParticles(std::string_view name) = 0;
  virtual assets::TextureRegistry& textures() = 0;
  virtual const assets::MayaScene& mayaScene() = 0;
};

// The scenes' view of an asset registry.
class RegistryAssets final : public SceneAssets {
 public:
  explicit RegistryAssets(assets::AssetRegistry& registry) : registry_(registry) {}
  void drawModel(std::string_view name) override;
  void drawParticles(std::string_view name) override;
  assets::TextureRegistry& textures() override;
  const assets::MayaScene& mayaScene() override;

 private:
  assets::AssetRegistry& registry_;
};

}  // namespace tessaly::demo
