// The asset registry: listing the asset directories, the preload behind the
// loading screen, and the model draws by file name.
#include "assets/asset_registry.h"

#include "assets/mesh.h"
#include "assets/texture_registry.h"
#include "platform/error_box.h"
#include "platform/files.h"
#include "platform/termination.h"

#include <new>

namespace tessaly::assets {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* curveTooLongMessage = "Maya curve too long, left out: %s";
constexpr const char* outOfMemoryMessage = "Not enough memory to load: %s";

struct Pattern {
  const char* extension;
  AssetKind kind;
};

// The order files of one directory are listed in.
constexpr Pattern patterns[] = {
    {"jpg", AssetKind::image},
    {"png", AssetKind::image},
    {"obj", AssetKind::model},
    {"ma", AssetKind::maya},
};

}  // namespace

ModelRegistry::ModelRegistry() = default;
ModelRegistry::~ModelRegistry() = default;
ModelRegistry::ModelRegistry(ModelRegistry&&) noexcept = default;
ModelRegistry& ModelRegistry::operator=(ModelRegistry&&) noexcept = default;

AssetRegistry::AssetRegistry(TextureRegistry& rootTextures, TextureRegistry& textures)
    : rootTextures_(&rootTextures), textures_(&textures) {}

AssetRegistry::~AssetRegistry() = default;

TextureRegistry& AssetRegistry::rootTextures() { return *rootTextures_; }
TextureRegistry& AssetRegistry::textures() { return *textures_; }
ModelRegistry& AssetRegistry::models() { return models_; }
MayaScene& AssetRegistry::mayaScene() { return mayaScene_; }

void AssetRegistry::drawModel(std::string_view name) const {
  for (std::size_t i = 0; i < models_.meshes.size(); ++i) {
    const Mesh& mesh = *models_.meshes[i];
    if (models_.modelNames[i] == name && mesh.isLoaded()) {
      mesh.draw();
    }
  }
}

void AssetRegistry::drawParticles(std::string_view name) const {
  for (std::size_t i = 0; i < models_.meshes.size(); ++i) {
    if (models_.modelNames[i] == name) {
      models_.meshes[i]->drawParticles();
    }
  }
}

void AssetRegistry::load(const AssetList& list, ImageSource& images, PreloadTimes* times) {
  for (std::size_t i = 0; i < list.kinds.size(); ++i) {
    // A program asked to end loads nothing more; it is on its way out.
    if (platform::terminationSignal() != 0) {
      break;
    }
    const std::string& path = list.paths[i];
    const std::string& name = list.names[i];
    const auto start = Clock::now();
    std::chrono::nanoseconds* spent = nullptr;
    // A file that needs more memory than there is gets its message and is
    // skipped; what the earlier files loaded stays, and start-up goes on.
    try {
      switch (list.kinds[i]) {
        case AssetKind::image:
          spent = times != nullptr ? &times->pictures : nullptr;
          textures_->load(path, name, images);
          break;
        case AssetKind::model: {
          spent = times != nullptr ? &times->models : nullptr;
          auto mesh = std::make_unique<Mesh>(path);
          mesh->setTextureRegistry(*textures_);
          models_.meshes.reserve(models_.meshes.size() + 1);
          models_.modelNames.reserve(models_.modelNames.size() + 1);
          models_.meshes.push_back(std::move(mesh));
          models_.modelNames.push_back(name);
          break;
        }
        case AssetKind::maya:
          spent = times != nullptr ? &times->mayaScenes : nullptr;
          if (mayaScene_.load(path) > 0) {
            platform::showErrorBox(platform::formatMessage(curveTooLongMessage, name));
          }
          break;
      }
    } catch (const std::bad_alloc&) {
      platform::showErrorBox(platform::formatMessage(outOfMemoryMessage, name));
    }
    if (spent != nullptr) {
      *spent += Clock::now() - start;
    }
  }
}

void listAssets(AssetList& list, const std::string& directory) {
  for (const Pattern& pattern : patterns) {
    for (std::string& name : platform::listFiles(directory, pattern.extension)) {
      std::string path = directory + name;
      if (path.size() > maxPathLength) {
        continue;
      }
      list.names.push_back(std::move(name));
      list.paths.push_back(std::move(path));
      list.kinds.push_back(pattern.kind);
    }
  }
}

void preloadAssets(AssetRegistry& registry, const LoadingScreen& loadingScreen,
                   ImageSource& images, PreloadTimes* times) {
  const auto start = Clock::now();
  if (loadingScreen) {
    loadingScreen(registry.rootTextures());
  }
  AssetList list;
  for (const char* directory : assetDirectories) {
    listAssets(list, directory);
  }
  if (times != nullptr) {
    times->loadingScreen += Clock::now() - start;
  }
  registry.load(list, images, times);
}

}  // namespace tessaly::assets
