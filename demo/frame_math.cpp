// The arithmetic of one frame: shake, camera, object transforms and the
// per-scene choices. Floats throughout; where a value is rounded to a float
// after a wider step, the cast says so.
#include "demo/frame_math.h"

#include "demo/show_files.h"

#include "sync/sync_track.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace tessaly::demo {

FrameTracks sampleFrameTracks(const demo::FrameInputs& inputs) {
  return sampleFrameTracks([&](demo::TrackIndex index) {
    const sync::SyncTrack* track = inputs.tracks[index];
    return track != nullptr ? track->valueAt(inputs.currentRow) : 0.0;
  });
}

int shakeBin(float source, float musicTime) {
  float d = source;
  if (d >= static_cast<float>(demo::spectrumSize)) {
    d = std::sin(shakeNoiseFrequency * musicTime);
  } else if (d < 0.0f) {
    d = std::cos(shakeNoiseFrequency * musicTime);
  }
  // Here d is below 512 or NaN. Truncating a noise value of -1 would index
  // before the spectrum, and truncating NaN is undefined: both read bin 0.
  if (!(d >= 0.0f)) {
    return 0;
  }
  return static_cast<int>(d);
}

glm::vec2 cameraShake(const FrameTracks& tracks,
                      const std::array<float, demo::spectrumSize>& spectrum, float musicTime) {
  const auto axis = [&](float source, float amount, float magnitude) {
    const float level = spectrum[static_cast<std::size_t>(shakeBin(source, musicTime))];
    return level * amount * magnitude;
  };
  const float x = axis(tracks.shakeSource.x, tracks.shakeAmount.x, tracks.shakeMagnitude.x);
  const float y = axis(tracks.shakeSource.y, tracks.shakeAmount.y, tracks.shakeMagnitude.y);
  return {x, y};
}

glm::vec3 cameraEye(glm::vec3 curvePoint, glm::vec2 shake) {
  return {curvePoint.x + shake.x, curvePoint.y + shake.y, curvePoint.z + 0.0f};
}

glm::mat4 projectionMatrix(float fovDegrees) {
  const float fovy = static_cast<float>(fovDegrees * degreesToRadians);
  return glm::perspective(fovy, projectionAspect, nearPlane, farPlane);
}

float rollRadians(float rollDegrees) {
  return static_cast<float>(rollDegrees * degreesToRadians);
}

glm::vec3 cameraUp(float rollDegrees) {
  const float roll = rollRadians(rollDegrees);
  return {std::cos(roll), std::sin(roll), 0.0f};
}

glm::mat4 baseModelMatrix() {
  const glm::mat4 identity(1.0f);
  return identity * glm::translate(identity, glm::vec3(0.0f)) *
         glm::scale(identity, glm::vec3(1.0f));
}

Camera buildCamera(glm::vec3 eye, const FrameTracks& tracks) {
  Camera camera;
  camera.eye = eye;
  camera.target = tracks.cameraTarget;
  camera.projection = projectionMatrix(tracks.fov);
  camera.up = cameraUp(tracks.roll);
  camera.view = glm::lookAt(camera.eye, camera.target, camera.up);
  camera.baseModel = baseModelMatrix();
  camera.projectionView = camera.projection * camera.view;
  camera.baseMvp = camera.projectionView * camera.baseModel;
  return camera;
}

float objectAngle(float musicTime, float rate) {
  const float degrees = musicTime * rate;
  return static_cast<float>(degrees * degreesToRadians);
}

glm::mat4 objectMvp(const Camera& camera, const ObjectMotion& motion, float musicTime) {
  const glm::mat4 identity(1.0f);
  const glm::mat4 translation = glm::translate(identity, motion.translation);
  const float angle = objectAngle(musicTime, motion.rate);
  const glm::mat4 rotation = glm::rotate(identity, angle, motion.axis);
  const glm::mat4 scale = glm::scale(identity, glm::vec3(1.0f));
  return ((camera.projectionView * translation) * rotation) * scale;
}

ObjectMotion balleknuserMotion(float musicTime) {
  const float phase = 7.0f * musicTime;
  const float wave = std::sin(phase);
  const float height = -4.7f * wave;
  return {glm::vec3(0.0f, height, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f), 180.0f};
}

glm::vec2 distortUniform(float musicTime) {
  // The sine of the float time, rounded once to a float.
  const float wave = static_cast<float>(std::sin(static_cast<double>(musicTime)));
  return {5.0f * wave, 0.5f};
}

int sceneToRun(float sceneNumber) {
  for (int scene = 1; scene <= 4; ++scene) {
    if (sceneNumber == static_cast<float>(scene)) {
      return scene;
    }
  }
  return 0;
}

const char* cameraCurveName(int scene) {
  switch (scene) {
    case 1:
    case 2:
    case 3:
    case 4: return cameraCurveFiles[static_cast<std::size_t>(scene - 1)];
    default: return nullptr;
  }
}

const char* skySubstituteName(int scene) {
  switch (scene) {
    case 2: return skyPictureScene2;
    case 3:
    case 4: return skyPictureScenes3And4;
    default: return nullptr;
  }
}

const char* overlayTextureName(int scene, float overlayNumber) {
  if (scene == 1) {
    if (overlayNumber == 1.0f) return overlayTessaly;
    if (overlayNumber == 2.0f) return overlayPallon;
  } else if (scene == 4) {
    if (overlayNumber == 3.0f) return overlaySuccess;
    if (overlayNumber == 4.0f) return overlayNext;
  }
  return nullptr;
}

}  // namespace tessaly::demo
