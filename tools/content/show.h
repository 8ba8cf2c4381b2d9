// The choreography: the camera paths and lights as Maya files, and the
// twenty sync tracks that cut the scenes, fly the cameras, aim them, roll
// them, shake them to the kick drum, zoom, fade and lay the titles.
#pragma once

#include "tools/content/soundtrack.h"
#include "tools/content/tracks.h"

#include <filesystem>
#include <vector>

namespace tessaly::content {

// CamCurve.ma to CamCurve4.ma, Light1.ma to Light3.ma and AmbientLight.ma.
bool writeMayaScenes(const std::filesystem::path& mayaDir);

// All twenty tracks, in the order the player requests them. The shake
// follows `kick.bin` and is scaled by `kick.level`.
std::vector<Track> showTracks(const KickAnalysis& kick);

}  // namespace tessaly::content
