// The production's pictures: three skies, the models' colour and bump maps,
// a white texture, the four title overlays and the loading picture.
#pragma once

#include <filesystem>

namespace tessaly::content {

class Font;

// Data/Textures/SkySphere.png, SkySphere2.jpg and SkySphere3.png.
bool writeSkies(const std::filesystem::path& texturesDir);

// The models' maps (named by the material libraries) and White.png.
bool writeMaterialMaps(const std::filesystem::path& texturesDir);

// Tessaly.png, Pallon.png, Success.png, Next.png in `texturesDir` and
// Loading.jpg in `dataDir`.
bool writeTitles(const std::filesystem::path& texturesDir, const std::filesystem::path& dataDir,
                 const Font& bold, const Font& light);

}  // namespace tessaly::content
