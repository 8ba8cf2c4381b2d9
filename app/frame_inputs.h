// What every frame shares: the twenty sync track handles, the sync row of the
// frame and the music spectrum. Written by the main loop, read by the frame
// driver, touched by the main thread only.
#pragma once

#include <array>
#include <cstddef>

namespace tessaly::sync {
class SyncTrack;
class SyncDevice;
}  // namespace tessaly::sync

namespace tessaly::app {

inline constexpr std::size_t trackCount = 20;
inline constexpr std::size_t spectrumSize = 512;

// The track names in the order they are requested at start-up, which is the
// order their files are read in.
inline constexpr std::array<const char*, trackCount> trackNames = {
    "scene.num",       "campath.pos",     "camview.x",       "camview.y",
    "camview.z",       "cam.roll",        "cam.shake.x",     "cam.shake.y",
    "cam.shake.mag.x", "cam.shake.mag.y", "cam.shake.dat.x", "cam.shake.dat.y",
    "fov",             "curve.start",     "curve.end",       "anim.pos",
    "text.line",       "scene.alpha",     "overlay.alpha",   "overlay.num"};

// Indices into FrameInputs::tracks, in the order of trackNames.
enum TrackIndex : std::size_t {
  sceneNum, campathPos, camviewX, camviewY, camviewZ, camRoll, camShakeX, camShakeY,
  camShakeMagX, camShakeMagY, camShakeDatX, camShakeDatY, fov, curveStart, curveEnd,
  animPos, textLine, sceneAlpha, overlayAlpha, overlayNum
};

struct FrameInputs {
  sync::SyncDevice* device = nullptr;
  std::array<sync::SyncTrack*, trackCount> tracks{};
  double currentRow = 0.0;
  std::array<float, spectrumSize> spectrum{};
};

// The one process-wide set of frame inputs.
FrameInputs& frameInputs();

// The length of the production in music seconds: the float 81.6.
inline constexpr float demoLength = 81.6f;

// The soundtrack, relative to the working directory.
inline constexpr const char* musicFileName = "Data/Sound/KestruneOriginalSoundtrack.mp3";

}  // namespace tessaly::app
