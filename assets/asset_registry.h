// The asset registry: every picture, model and Maya scene of the production,
// loaded once at start-up behind the loading picture and found by bare file
// name ("Stang.obj", "Light1.ma", "Loading.jpg") for the rest of the run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

class Mesh;
class MayaScene;
class TextureRegistry;

// The models loaded at start-up: one Mesh per OBJ file, in load order, with
// the file name each was registered under.
struct ModelRegistry {
  std::vector<std::unique_ptr<Mesh>> meshes;
  std::vector<std::string> modelNames;
};

// What a listing of the asset directories found: three parallel lists.
struct AssetList {
  std::vector<std::string> names;   // file name, e.g. "Stang.obj"
  std::vector<std::string> paths;   // directory + file name, e.g. "Data/Models/Stang.obj"
  std::vector<std::int32_t> kinds;  // 1 image, 2 model, 3 Maya scene
};

class AssetRegistry {
 public:
  TextureRegistry& rootTextures();  // the top level of "Data/"; supplies "Loading.jpg"
  TextureRegistry& textures();      // every image of the preload; material maps
  ModelRegistry& models();
  MayaScene& mayaScene();           // every Maya file, read into one scene

  // Draws every loaded model registered under exactly this name, in load
  // order, with the program the caller made current. Nothing for no match.
  void drawModel(std::string_view name);
  // Draws every model of this name as additive points (the particle cloud).
  void drawParticles(std::string_view name);
};

// The one process-wide registry.
AssetRegistry& assetRegistry();

// Appends the images ("jpg", then "png"), models ("obj") and Maya scenes
// ("ma") of one directory, given with its trailing '/', to `list`.
void listAssets(AssetList& list, const std::string& directory);

// Draws the loading screen once, then lists "Data/Textures/", "Data/Models/"
// and "Data/Maya/" and loads every file into its registry. Failures of single
// files are reported by their loaders and skipped.
void preloadAssets();

}  // namespace tessaly::assets
