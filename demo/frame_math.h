// The arithmetic of one frame of the production, without any GL: the track
// values of the frame, the music-driven camera shake, the camera matrices,
// the transforms of the animated objects and the per-scene choices (camera
// curve, sky picture, overlay picture).
//
// Every function takes values and returns values; none allocates, so the
// frame driver can call them on every frame. Frame arithmetic is single
// precision: each step rounds to float where the production's numbers were
// made with floats, so results match bit for bit.
#pragma once

#include "demo/frame_inputs.h"

#include <array>
#include <concepts>

#include <glm/glm.hpp>

namespace tessaly::demo {

// Degrees to radians: pi/180 rounded to a float and widened to a double.
inline constexpr double degreesToRadians = 0.01745329238474369;

// The projection's fixed shape: the float 4/3 whatever the window's aspect,
// and the near and far planes.
inline constexpr float projectionAspect = 4.0f / 3.0f;
inline constexpr float nearPlane = 0.1f;
inline constexpr float farPlane = 100.0f;

// Angular frequency, in radians per second of music, of the noise that
// stands in for a shake source outside the spectrum.
inline constexpr float shakeNoiseFrequency = 10000.0f;

// The values of the sixteen tracks a frame uses, each stored as a float.
struct FrameTracks {
  float sceneNumber = 0.0f;             // "scene.num": 1 to 4 selects a scene
  float curveParameter = 0.0f;          // "campath.pos": 0 to 1 along the camera curve
  glm::vec3 cameraTarget{0.0f};         // "camview.x/y/z": where the camera looks
  float roll = 0.0f;                    // "cam.roll", degrees; 90 is upright
  glm::vec2 shakeAmount{0.0f};          // "cam.shake.x/y"
  glm::vec2 shakeMagnitude{0.0f};       // "cam.shake.mag.x/y"
  glm::vec2 shakeSource{0.0f};          // "cam.shake.dat.x/y": spectrum bin per axis
  float fov = 0.0f;                     // "fov": vertical field of view, degrees
  float fade = 0.0f;                    // "scene.alpha": alpha of the glow pass
  float overlayAlpha = 0.0f;            // "overlay.alpha"
  float overlayNumber = 0.0f;           // "overlay.num": which overlay picture
};

// Samples the sixteen used tracks, in track order, through `valueAt`, a
// callable taking an demo::TrackIndex and returning the track's value as a
// double; each value is rounded to a float. The four tracks no scene uses
// ("curve.start", "curve.end", "anim.pos", "text.line") are not sampled.
template <class ValueAt>
  requires std::invocable<ValueAt&, demo::TrackIndex>
FrameTracks sampleFrameTracks(ValueAt&& valueAt) {
  const auto value = [&](demo::TrackIndex index) { return static_cast<float>(valueAt(index)); };
  FrameTracks tracks;
  tracks.sceneNumber = value(demo::sceneNum);
  tracks.curveParameter = value(demo::campathPos);
  tracks.cameraTarget.x = value(demo::camviewX);
  tracks.cameraTarget.y = value(demo::camviewY);
  tracks.cameraTarget.z = value(demo::camviewZ);
  tracks.roll = value(demo::camRoll);
  tracks.shakeAmount.x = value(demo::camShakeX);
  tracks.shakeAmount.y = value(demo::camShakeY);
  tracks.shakeMagnitude.x = value(demo::camShakeMagX);
  tracks.shakeMagnitude.y = value(demo::camShakeMagY);
  tracks.shakeSource.x = value(demo::camShakeDatX);
  tracks.shakeSource.y = value(demo::camShakeDatY);
  tracks.fov = value(demo::fov);
  tracks.fade = value(demo::sceneAlpha);
  tracks.overlayAlpha = value(demo::overlayAlpha);
  tracks.overlayNumber = value(demo::overlayNum);
  return tracks;
}

// The same, from the frame inputs: every track at `currentRow`. A null track
// handle reads 0, like a track without keys.
FrameTracks sampleFrameTracks(const demo::FrameInputs& inputs);

// --- Camera shake ----------------------------------------------------------

// The spectrum bin a shake source reads. A source from 0 up to 512 gives its
// whole part (511.9 gives 511). A source of 512 or more is replaced by
// sin(10000 x musicTime), one below 0 by cos(10000 x musicTime), truncated;
// the bin is then clamped into 0..511, so such a source reads bin 0 or 1.
// A NaN source reads bin 0.
int shakeBin(float source, float musicTime);

// The camera offsets (x, y): per axis spectrum[bin] x amount x magnitude,
// multiplied in that order in single precision.
glm::vec2 cameraShake(const FrameTracks& tracks,
                      const std::array<float, demo::spectrumSize>& spectrum, float musicTime);

// --- Camera ----------------------------------------------------------------

// The camera position: the curve point moved by the shake in x and y.
glm::vec3 cameraEye(glm::vec3 curvePoint, glm::vec2 shake);

// Perspective projection with a vertical field of view of `fovDegrees`, the
// 4/3 aspect and the near and far planes above.
glm::mat4 projectionMatrix(float fovDegrees);

// The roll in radians, rounded to a float, and the up vector
// (cos roll, sin roll, 0) it gives: 90 degrees is (0, 1, 0), 0 is (1, 0, 0).
float rollRadians(float rollDegrees);
glm::vec3 cameraUp(float rollDegrees);

// The identity model matrix of every static object, built as
// identity x translation (0, 0, 0) x scale (1, 1, 1).
glm::mat4 baseModelMatrix();

// Everything the camera gives a scene frame.
struct Camera {
  glm::vec3 eye{0.0f};
  glm::vec3 target{0.0f};
  glm::vec3 up{0.0f};
  glm::mat4 projection{1.0f};
  glm::mat4 view{1.0f};
  glm::mat4 baseModel{1.0f};
  glm::mat4 projectionView{1.0f};  // projection x view
  glm::mat4 baseMvp{1.0f};         // (projection x view) x baseModel
};

// The camera at `eye`, looking at the tracks' target with their field of
// view and roll.
Camera buildCamera(glm::vec3 eye, const FrameTracks& tracks);

// --- Animated objects --------------------------------------------------------

// How an animated object moves: translated, then turned about `axis` (any
// length; it is normalised) by `rate` degrees per second of music, scale 1.
struct ObjectMotion {
  glm::vec3 translation{0.0f};
  glm::vec3 axis{0.0f, 0.0f, 1.0f};
  float rate = 0.0f;
};

// The turn angle in radians at `musicTime`: musicTime x rate rounded to a
// float, times the degree factor, rounded to a float.
float objectAngle(float musicTime, float rate);

// (((projection x view) x T) x R) x S for the object at `musicTime`. The
// object's "M" uniform stays the camera's baseModel.
glm::mat4 objectMvp(const Camera& camera, const ObjectMotion& motion, float musicTime);

// Scene 2's column of six "Grinder.obj" copies, in drawing order: 1.4 units
// apart down the z axis, neighbours turning in opposite directions.
inline constexpr std::array<ObjectMotion, 6> grinderColumn = {{
    {glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), 360.0f},
    {glm::vec3(0.0f, 0.0f, -1.4f), glm::vec3(0.0f, 0.0f, -1.0f), 180.0f},
    {glm::vec3(0.0f, 0.0f, -2.8f), glm::vec3(0.0f, 0.0f, 1.0f), 360.0f},
    {glm::vec3(0.0f, 0.0f, -4.2f), glm::vec3(0.0f, 0.0f, -1.0f), 180.0f},
    {glm::vec3(0.0f, 0.0f, -5.6f), glm::vec3(0.0f, 0.0f, 1.0f), 360.0f},
    {glm::vec3(0.0f, 0.0f, -7.0f), glm::vec3(0.0f, 0.0f, -1.0f), 180.0f},
}};

// Scene 3's "balleknuser.obj" at `musicTime`: bobbing along y by
// -4.7 x sin(7 x musicTime) and turning about -y at 180 degrees a second.
ObjectMotion balleknuserMotion(float musicTime);

// Scene 2's "Distort" uniform, (5 x sin(musicTime), 0.5) with the sine
// rounded to a float, and its constant "DistortSpeed".
glm::vec2 distortUniform(float musicTime);
inline constexpr glm::vec2 distortSpeed{0.5f, 0.2f};

// --- Scene choice ------------------------------------------------------------

// The scene a scene number runs: 1, 2, 3 or 4 when it equals that number
// exactly, otherwise 0 (nothing is drawn).
int sceneToRun(float sceneNumber);

// The Maya scene holding the camera curve of scene 1 to 4 ("CamCurve.ma" to
// "CamCurve4.ma"); null for any other scene.
const char* cameraCurveName(int scene);

// The picture a scene shows on the sky instead of "SkySphere.png": none
// (null) for scene 1, "SkySphere2.jpg" for scene 2, "SkySphere3.png" for
// scenes 3 and 4.
const char* skySubstituteName(int scene);

// The overlay picture a scene lays over the frame for an overlay number
// (exact comparison): scene 1 has "Tessaly.png" (1) and "Pallon.png" (2),
// scene 4 "Success.png" (3) and "Next.png" (4); null otherwise.
const char* overlayTextureName(int scene, float overlayNumber);

}  // namespace tessaly::demo
