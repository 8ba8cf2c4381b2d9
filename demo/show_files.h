// The content files the frame driver and the scenes look up by bare file
// name: models, pictures, camera curves and lights. The scenes draw with
// these constants and `tessaly-inspect check` lists them, so the list of
// what a production must hold cannot drift from what the show looks up.
#pragma once

#include <array>

namespace tessaly::demo {

// Models, drawn by name (every model of the name is drawn).
inline constexpr const char* skyModel = "SkySphere.obj";          // every scene's sky
inline constexpr const char* particleModel = "Particles.obj";     // scene 1, as points
inline constexpr const char* stangModel = "Stang.obj";            // scene 2
inline constexpr const char* grinderModel = "Grinder.obj";        // scene 2, six copies
inline constexpr const char* balleholderModel = "balleholder.obj";  // scene 3
inline constexpr const char* ballerModel = "baller.obj";          // scene 3
inline constexpr const char* balleromModel = "ballerom.obj";      // scene 3
inline constexpr const char* balleknuserModel = "balleknuser.obj";  // scene 3, in motion
inline constexpr const char* boxfandenModel = "boxfanden.obj";    // scene 4

inline constexpr std::array<const char*, 9> shownModels = {
    skyModel,    particleModel, stangModel,       grinderModel,  balleholderModel,
    ballerModel, balleromModel, balleknuserModel, boxfandenModel};

// Pictures the frame names itself (besides those the materials name): the
// sky's own picture, which its material names as its diffuse map, the sky
// substitutes of scenes 2 to 4 and the four overlays.
inline constexpr const char* skyPicture = "SkySphere.png";
inline constexpr const char* skyPictureScene2 = "SkySphere2.jpg";
inline constexpr const char* skyPictureScenes3And4 = "SkySphere3.png";
inline constexpr const char* overlayTessaly = "Tessaly.png";  // scene 1, overlay 1
inline constexpr const char* overlayPallon = "Pallon.png";    // scene 1, overlay 2
inline constexpr const char* overlaySuccess = "Success.png";  // scene 4, overlay 3
inline constexpr const char* overlayNext = "Next.png";        // scene 4, overlay 4

inline constexpr std::array<const char*, 7> shownPictures = {
    skyPicture,    skyPictureScene2, skyPictureScenes3And4, overlayTessaly,
    overlayPallon, overlaySuccess,   overlayNext};

// The Maya files holding the camera curves of scenes 1 to 4.
inline constexpr std::array<const char*, 4> cameraCurveFiles = {"CamCurve.ma", "CamCurve2.ma",
                                                                "CamCurve3.ma", "CamCurve4.ma"};

// The Maya files holding the three point lights and the ambient light.
inline constexpr std::array<const char*, 3> pointLightFiles = {"Light1.ma", "Light2.ma",
                                                               "Light3.ma"};
inline constexpr const char* ambientLightFile = "AmbientLight.ma";

}  // namespace tessaly::demo
