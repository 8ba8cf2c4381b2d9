// The scenes' view of the process-wide asset registry.
#include "demo/scene_assets.h"

#include "assets/asset_registry.h"
#include "assets/maya_scene.h"
#include "assets/texture_registry.h"

namespace tessaly::demo {

namespace {

class RegistryAssets final : public SceneAssets {
 public:
  void drawModel(std::string_view name) override { assets::assetRegistry().drawModel(name); }
  void drawParticles(std::string_view name) override {
    assets::assetRegistry().drawParticles(name);
  }
  assets::TextureRegistry& textures() override { return assets::assetRegistry().textures(); }
  const assets::MayaScene& mayaScene() override { return assets::assetRegistry().mayaScene(); }
};

}  // namespace

SceneAssets& loadedAssets() {
  static RegistryAssets registry;
  return registry;
}

}  // namespace tessaly::demo
