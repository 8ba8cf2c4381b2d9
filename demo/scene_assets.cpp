// The scenes' view of an asset registry.
#include "demo/scene_assets.h"

#include "assets/asset_registry.h"
#include "assets/maya_scene.h"
#include "assets/texture_registry.h"

namespace tessaly::demo {

void RegistryAssets::drawModel(std::string_view name) {
  registry_.drawModel(name);
}

void RegistryAssets::drawParticles(std::string_view name) {
  registry_.drawParticles(name);
}

assets::TextureRegistry& RegistryAssets::textures() {
  return registry_.textures();
}

const assets::MayaScene& RegistryAssets::mayaScene() {
  return registry_.mayaScene();
}

}  // namespace tessaly::demo
