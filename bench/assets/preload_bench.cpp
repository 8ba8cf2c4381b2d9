// The time to preload the whole production the build generates (build/Data)
// with a hidden GL context, whole and split by kind: pictures (decode and
// upload with mipmaps), models (read, paint materials, upload) and Maya
// scenes (read, arc-length tables). Each iteration loads into fresh
// registries and deletes the GL objects afterwards, outside the timing.
#include "assets/asset_registry.h"
#include "assets/mesh.h"
#include "assets/texture_registry.h"
#include "tests/support/gl_context.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

using tessaly::assets::AssetList;
using tessaly::assets::AssetRegistry;
using tessaly::assets::TextureRegistry;

// A hidden window for the whole run, working in the build folder, which
// holds the generated production in Data/. Null when either is missing.
const tessaly::test::GlContext* setUpOnce() {
  static const std::unique_ptr<tessaly::test::GlContext> context = [] {
    const std::filesystem::path production = TESSALY_BINARY_DIR;
    if (!std::filesystem::is_directory(production / "Data/Models")) {
      return std::unique_ptr<tessaly::test::GlContext>();
    }
    std::filesystem::current_path(production);
    auto made = std::make_unique<tessaly::test::GlContext>(1920, 1080);
    return made->ok() ? std::move(made) : nullptr;
  }();
  return context.get();
}

// The listing the preload makes, keeping only files of `kind` (0: all).
AssetList listed(std::int32_t kind) {
  AssetList all;
  for (const char* directory : tessaly::assets::assetDirectories) {
    tessaly::assets::listAssets(all, directory);
  }
  AssetList chosen;
  for (std::size_t i = 0; i < all.kinds.size(); ++i) {
    if (kind == 0 || static_cast<std::int32_t>(all.kinds[i]) == kind) {
      chosen.names.push_back(all.names[i]);
      chosen.paths.push_back(all.paths[i]);
      chosen.kinds.push_back(all.kinds[i]);
    }
  }
  return chosen;
}

double bytesOf(const AssetList& list) {
  double bytes = 0;
  for (const std::string& path : list.paths) {
    bytes += static_cast<double>(std::filesystem::file_size(path));
  }
  return bytes;
}

// Loads the listed files of `kind` into fresh registries per iteration.
void BM_Preload(benchmark::State& state) {
  if (setUpOnce() == nullptr) {
    state.SkipWithError("no OpenGL 3.3 core context, or no production in the build folder");
    return;
  }
  const AssetList list = listed(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state) {
    // Made and dropped outside the timing: what goes deletes its GL objects.
    state.PauseTiming();
    auto rootTextures = std::make_unique<TextureRegistry>();
    auto textures = std::make_unique<TextureRegistry>();
    auto registry = std::make_unique<AssetRegistry>(*rootTextures, *textures);
    state.ResumeTiming();
    registry->load(list);
    glFinish();
    state.PauseTiming();
    registry.reset();
    textures.reset();
    rootTextures.reset();
    glFinish();
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(list.kinds.size());
  state.counters["MB"] = benchmark::Counter(bytesOf(list) / 1e6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Preload)
    ->ArgName("kind")  // 0 everything, 1 pictures, 2 models, 3 Maya scenes
    ->Arg(0)
    ->Arg(static_cast<std::int32_t>(tessaly::assets::AssetKind::image))
    ->Arg(static_cast<std::int32_t>(tessaly::assets::AssetKind::model))
    ->Arg(static_cast<std::int32_t>(tessaly::assets::AssetKind::maya))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
