// The asset registry: every picture, model and Maya scene of the production,
// loaded once at start-up behind the loading picture and found by bare file
// name ("Stang.obj", "Light1.ma", "Loading.jpg") for the rest of the run.
// Lookups compare whole names, byte for byte; loading and drawing run on the
// thread that owns the GL context.
#pragma once

#include "assets/image_decoder.h"
#include "assets/maya_scene.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

class Mesh;
class TextureRegistry;

// The models loaded at start-up: one Mesh per OBJ file, in load order, with
// the file name each was registered under.
struct ModelRegistry {
  ModelRegistry();
  ~ModelRegistry();
  ModelRegistry(ModelRegistry&&) noexcept;
  ModelRegistry& operator=(ModelRegistry&&) noexcept;

  std::vector<std::unique_ptr<Mesh>> meshes;
  std::vector<std::string> modelNames;
};

// Kinds of listed files.
enum class AssetKind : std::int32_t { image = 1, model = 2, maya = 3 };

// What a listing of the asset directories found: three parallel lists.
struct AssetList {
  std::vector<std::string> names;   // file name, e.g. "Stang.obj"
  std::vector<std::string> paths;   // directory + file name, e.g. "Data/Models/Stang.obj"
  std::vector<AssetKind> kinds;
};

// Where a preload spent its time: the loading screen with the listing of
// the asset directories, and the sum over the files of each kind.
struct PreloadTimes {
  std::chrono::nanoseconds loadingScreen{};
  std::chrono::nanoseconds pictures{};
  std::chrono::nanoseconds models{};
  std::chrono::nanoseconds mayaScenes{};
};

// The directories the preload lists, in this order: a file found in several
// is loaded from each, and lookups that take the first match find the one
// listed first.
inline constexpr const char* assetDirectories[] = {"Data/Textures/", "Data/Models/", "Data/Maya/"};

// The loading picture, looked up in rootTextures.
inline constexpr const char* loadingPictureName = "Loading.jpg";

class AssetRegistry {
 public:
  // A registry on two texture registries of the caller's (the show's own),
  // which must outlive it, with no models and an empty Maya scene.
  AssetRegistry(TextureRegistry& rootTextures, TextureRegistry& textures);
  ~AssetRegistry();
  AssetRegistry(const AssetRegistry&) = delete;
  AssetRegistry& operator=(const AssetRegistry&) = delete;

  TextureRegistry& rootTextures();  // the top level of "Data/"; supplies "Loading.jpg"
  TextureRegistry& textures();      // every image of the preload; material maps
  ModelRegistry& models();
  MayaScene& mayaScene();           // every Maya file, read into one scene

  // Draws every loaded model registered under exactly this name, in load
  // order, with the program the caller made current. Nothing for no match.
  void drawModel(std::string_view name) const;
  // Draws every model of this name, loaded or not, as additive points (the
  // particle cloud). Nothing for no match.
  void drawParticles(std::string_view name) const;

  // Loads every entry of `list` in order: images into textures() with their
  // path and name (a file that fails is reported and left out), models as a
  // Mesh drawing its maps from textures() (appended with their name even
  // when unreadable; drawing skips them), Maya files into mayaScene().
  // Pictures come from `images`; `times`, when given, gets each file's
  // time added to its kind.
  void load(const AssetList& list, ImageSource& images = directDecoding(),
            PreloadTimes* times = nullptr);

 private:
  TextureRegistry* rootTextures_;
  TextureRegistry* textures_;
  ModelRegistry models_;
  MayaScene mayaScene_;
};

// Appends the images ("jpg", then "png"), models ("obj") and Maya scenes
// ("ma") of one directory, given with its trailing '/', to `list`, each
// extension's files in byte order of names. A missing directory appends
// nothing, silently.
void listAssets(AssetList& list, const std::string& directory);

// What the preload shows while it works: draws and presents the loading
// screen (the owner knows the filter chain and the window).
using LoadingScreen = std::function<void(const TextureRegistry& rootTextures)>;

// Draws the loading screen once through `loadingScreen` (given the root
// textures, which hold "Loading.jpg"; nothing when it is empty), then lists
// assetDirectories and loads every file into the registry. Failures of
// single files are reported by their loaders and skipped. Pictures come from
// `images` (decoded here by default); `times`, when given, receives where the
// time went.
void preloadAssets(AssetRegistry& registry, const LoadingScreen& loadingScreen,
                   ImageSource& images = directDecoding(), PreloadTimes* times = nullptr);

}  // namespace tessaly::assets
