// The production's models, written to Data/Models/ as OBJ files with their
// MTL libraries. Each function writes one model (and returns false when a
// file cannot be written).
#pragma once

#include <filesystem>

namespace tessaly::content {

bool writeSkySphere(const std::filesystem::path& modelsDir);
// Positions only: the player draws it as a point cloud.
bool writeParticles(const std::filesystem::path& modelsDir);
bool writeStang(const std::filesystem::path& modelsDir);
bool writeGrinder(const std::filesystem::path& modelsDir);
bool writeBallRoom(const std::filesystem::path& modelsDir);     // ballerom.obj
bool writeBallHolder(const std::filesystem::path& modelsDir);   // balleholder.obj
bool writeBalls(const std::filesystem::path& modelsDir);        // baller.obj
bool writeBallCrusher(const std::filesystem::path& modelsDir);  // balleknuser.obj
bool writeBox(const std::filesystem::path& modelsDir);          // boxfanden.obj

}  // namespace tessaly::content
