// What every frame reads: the twenty sync track handles, the sync row of the
// frame and the music spectrum. Written once per pass by the main loop (or
// whoever drives the clock), read by the frame driver; main thread only.
#pragma once

#include <array>
#include <cstddef>

namespace tessaly::sync {
class SyncTrack;
}  // namespace tessaly::sync

namespace tessaly::demo {

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
  // Not owned: the sync device that made them keeps them; null reads 0.
  std::array<const sync::SyncTrack*, trackCount> tracks{};
  double currentRow = 0.0;
  std::array<float, spectrumSize> spectrum{};
};

}  // namespace tessaly::demo
