#include "demo/frame_math.h"

#include "sync/sync_track.h"
#include "tests/demo/allocation_counter.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace tessaly::demo {
namespace {

constexpr double pi = std::numbers::pi;

// A spectrum whose bin i reads i + 1, so a shake names the bin it read.
std::array<float, demo::spectrumSize> countingSpectrum() {
  std::array<float, demo::spectrumSize> spectrum{};
  for (std::size_t i = 0; i < spectrum.size(); ++i) {
    spectrum[i] = static_cast<float>(i + 1);
  }
  return spectrum;
}

FrameTracks cameraTracks(glm::vec3 target, float fov, float roll) {
  FrameTracks tracks;
  tracks.cameraTarget = target;
  tracks.fov = fov;
  tracks.roll = roll;
  return tracks;
}

// Where `mvp` puts a model-space point in world space, undoing the camera's
// projection x view in double precision.
glm::dvec3 worldPoint(const Camera& camera, const glm::mat4& mvp, glm::vec3 point) {
  const glm::dvec4 clip = glm::dmat4(mvp) * glm::dvec4(glm::dvec3(point), 1.0);
  const glm::dvec4 world = glm::inverse(glm::dmat4(camera.projectionView)) * clip;
  return glm::dvec3(world) / world.w;
}

glm::dvec2 screenPoint(const glm::mat4& mvp, glm::vec3 point) {
  const glm::vec4 clip = mvp * glm::vec4(point, 1.0f);
  return {clip.x / clip.w, clip.y / clip.w};
}

void expectNear(glm::dvec3 actual, glm::dvec3 expected, double tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(FrameTracks, SamplesTheSixteenUsedTracksIntoTheirFields) {
  std::vector<demo::TrackIndex> sampled;
  const FrameTracks tracks = sampleFrameTracks([&](demo::TrackIndex index) {
    sampled.push_back(index);
    return 100.0 + static_cast<double>(index);
  });
  const std::vector<demo::TrackIndex> expected = {
      demo::sceneNum,     demo::campathPos,   demo::camviewX,      demo::camviewY,
      demo::camviewZ,     demo::camRoll,      demo::camShakeX,     demo::camShakeY,
      demo::camShakeMagX, demo::camShakeMagY, demo::camShakeDatX,  demo::camShakeDatY,
      demo::fov,          demo::sceneAlpha,   demo::overlayAlpha,  demo::overlayNum};
  EXPECT_EQ(sampled, expected);
  EXPECT_EQ(tracks.sceneNumber, 100.0f);
  EXPECT_EQ(tracks.curveParameter, 101.0f);
  EXPECT_EQ(tracks.cameraTarget, glm::vec3(102.0f, 103.0f, 104.0f));
  EXPECT_EQ(tracks.roll, 105.0f);
  EXPECT_EQ(tracks.shakeAmount, glm::vec2(106.0f, 107.0f));
  EXPECT_EQ(tracks.shakeMagnitude, glm::vec2(108.0f, 109.0f));
  EXPECT_EQ(tracks.shakeSource, glm::vec2(110.0f, 111.0f));
  EXPECT_EQ(tracks.fov, 112.0f);
  EXPECT_EQ(tracks.fade, 117.0f);
  EXPECT_EQ(tracks.overlayAlpha, 118.0f);
  EXPECT_EQ(tracks.overlayNumber, 119.0f);
}

TEST(FrameTracks, ReadsTheFrameInputsAtTheRowAsFloats) {
  // An interpolated value a hair above 2 is stored as the float 2 and so
  // selects scene 2; a missing handle reads 0.
  sync::SyncTrack scene{"scene.num",
                        {{0, 2.0f, sync::KeyType::linear}, {10, 3.0f, sync::KeyType::step}}};
  sync::SyncTrack fov{"fov", {{0, 45.0f, sync::KeyType::step}}};
  demo::FrameInputs inputs;
  inputs.tracks[demo::sceneNum] = &scene;
  inputs.tracks[demo::fov] = &fov;
  inputs.currentRow = 1e-9;
  const FrameTracks tracks = sampleFrameTracks(inputs);
  EXPECT_EQ(tracks.sceneNumber, 2.0f);
  EXPECT_EQ(sceneToRun(tracks.sceneNumber), 2);
  EXPECT_EQ(tracks.fov, 45.0f);
  EXPECT_EQ(tracks.roll, 0.0f);
}

TEST(CameraShake, SourcesInsideTheSpectrumReadTheirWholePart) {
  for (float t : {0.0f, 1.0f, 12.345f}) {
    EXPECT_EQ(shakeBin(0.0f, t), 0);
    EXPECT_EQ(shakeBin(0.99f, t), 0);
    EXPECT_EQ(shakeBin(37.5f, t), 37);
    EXPECT_EQ(shakeBin(511.9f, t), 511);
    EXPECT_EQ(shakeBin(std::nextafter(512.0f, 0.0f), t), 511);
  }
}

TEST(CameraShake, SourcesOutsideTheSpectrumReadNoiseClampedIntoIt) {
  // 10000 x t lands next to pi/2, 3pi/2 and pi, where the sine or cosine is
  // +-1 in single precision: +1 reads bin 1, -1 is clamped to bin 0.
  const float quarterTurn = 0.00015707963f;
  const float threeQuarterTurn = 0.00047123890f;
  const float halfTurn = static_cast<float>(pi / 10000.0);
  for (float high : {512.0f, 600.0f, 1e30f, std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(shakeBin(high, quarterTurn), 1) << high;
    EXPECT_EQ(shakeBin(high, threeQuarterTurn), 0) << high;
    EXPECT_EQ(shakeBin(high, 0.0f), 0) << high;
  }
  for (float low : {-0.5f, -1.0f, -1000.0f, -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(shakeBin(low, 0.0f), 1) << low;
    EXPECT_EQ(shakeBin(low, halfTurn), 0) << low;
    EXPECT_EQ(shakeBin(low, quarterTurn), 0) << low;
  }
  EXPECT_EQ(shakeBin(std::numeric_limits<float>::quiet_NaN(), 0.0f), 0);
  // Any time keeps the bin inside the spectrum.
  for (int i = 0; i < 2000; ++i) {
    const float t = 0.0413f * static_cast<float>(i);
    EXPECT_GE(shakeBin(512.0f, t), 0);
    EXPECT_LE(shakeBin(-1.0f, t), 1);
  }
}

TEST(CameraShake, OffsetIsBinTimesAmountTimesMagnitudePerAxis) {
  const auto spectrum = countingSpectrum();
  FrameTracks tracks;
  tracks.shakeSource = {10.0f, 700.0f};
  tracks.shakeAmount = {0.5f, 2.0f};
  tracks.shakeMagnitude = {3.0f, -0.25f};
  // x reads bin 10 (11); y's source is out of range and at t = 0 reads bin 0.
  EXPECT_EQ(cameraShake(tracks, spectrum, 0.0f), glm::vec2(16.5f, -0.5f));

  // Multiplied left to right in floats: (0.7 x 0.1) x 0.3, worked out by hand.
  std::array<float, demo::spectrumSize> level{};
  level[0] = 0.7f;
  tracks.shakeSource = {0.0f, 0.0f};
  tracks.shakeAmount = {0.1f, 0.0f};
  tracks.shakeMagnitude = {0.3f, 0.0f};
  EXPECT_EQ(cameraShake(tracks, level, 0.0f).x, 0x1.581064p-6f);
}

TEST(CameraShake, ZeroFactorsLeaveTheEyeOnTheCurvePoint) {
  const auto spectrum = countingSpectrum();
  const glm::vec3 point(1.3f, -7.25f, 0.1f);
  FrameTracks tracks;
  tracks.shakeSource = {300.0f, -4.0f};
  tracks.shakeAmount = {0.0f, 5.0f};
  tracks.shakeMagnitude = {9.0f, 0.0f};
  EXPECT_EQ(cameraEye(point, cameraShake(tracks, spectrum, 3.0f)), point);
  EXPECT_EQ(cameraEye(point, cameraShake(FrameTracks{}, spectrum, 3.0f)), point);
  EXPECT_EQ(cameraEye(point, {0.5f, -2.0f}), glm::vec3(1.8f, -9.25f, 0.1f));
}

TEST(Camera, RollTurnsTheUpVector) {
  // 90 x the degree factor rounds to the float nearest pi/2.
  EXPECT_EQ(rollRadians(90.0f), 1.57079637050628662109375f);
  const glm::vec3 upright = cameraUp(90.0f);
  EXPECT_NEAR(upright.x, 0.0, 1e-7);
  EXPECT_EQ(upright.y, 1.0f);
  EXPECT_EQ(upright.z, 0.0f);
  EXPECT_EQ(cameraUp(0.0f), glm::vec3(1.0f, 0.0f, 0.0f));
  const glm::vec3 tilted = cameraUp(30.0f);
  EXPECT_NEAR(tilted.x, std::sqrt(3.0) / 2.0, 1e-6);
  EXPECT_NEAR(tilted.y, 0.5, 1e-6);

  // Upright, world +y is screen up; at roll 0, world +x is.
  const glm::vec3 eye(0.0f, 0.0f, 10.0f);
  const Camera upCamera = buildCamera(eye, cameraTracks(glm::vec3(0.0f), 45.0f, 90.0f));
  const Camera sideCamera = buildCamera(eye, cameraTracks(glm::vec3(0.0f), 45.0f, 0.0f));
  const glm::dvec2 above = screenPoint(upCamera.baseMvp, {0.0f, 1.0f, 0.0f});
  const glm::dvec2 right = screenPoint(sideCamera.baseMvp, {1.0f, 0.0f, 0.0f});
  EXPECT_NEAR(above.x, 0.0, 1e-6);
  EXPECT_GT(above.y, 0.1);
  EXPECT_NEAR(right.x, 0.0, 1e-6);
  EXPECT_GT(right.y, 0.1);
}

TEST(Camera, ProjectionHasTheFieldOfViewAndAFixedFourThirdsAspect) {
  const glm::mat4 projection = projectionMatrix(45.0f);
  // Reference: 1 / tan(22.5 degrees), the planes 0.1 and 100.
  const double focal = 1.0 / std::tan(pi / 8.0);
  EXPECT_NEAR(projection[1][1], focal, 1e-6 * focal);
  EXPECT_NEAR(projection[0][0], focal * 3.0 / 4.0, 1e-6 * focal);
  EXPECT_NEAR(projection[2][2], -100.1 / 99.9, 1e-6);
  EXPECT_NEAR(projection[3][2], -20.0 / 99.9, 1e-6);
  EXPECT_EQ(projection[2][3], -1.0f);
  EXPECT_NEAR(2.0 * std::atan(1.0 / projection[1][1]), 0.785398, 1e-6);
  EXPECT_NEAR(projection[1][1] / projection[0][0], 1.3333333730697632, 1e-6);
  EXPECT_EQ(projectionAspect, 1.3333333730697632f);
}

TEST(Camera, MatricesLookFromTheEyeAtTheTarget) {
  const glm::vec3 eye(4.0f, 3.0f, 12.0f);
  const glm::vec3 target(-1.0f, 0.5f, -2.0f);
  const Camera camera = buildCamera(eye, cameraTracks(target, 60.0f, 90.0f));
  EXPECT_EQ(camera.eye, eye);
  EXPECT_EQ(camera.target, target);
  EXPECT_EQ(camera.baseModel, glm::mat4(1.0f));
  EXPECT_EQ(camera.projectionView, camera.projection * camera.view);
  EXPECT_EQ(camera.baseMvp, camera.projectionView);
  // The eye is the view's origin and the target lies straight ahead (-z),
  // at the centre of the picture.
  const glm::vec4 eyeInView = camera.view * glm::vec4(eye, 1.0f);
  const glm::vec4 targetInView = camera.view * glm::vec4(target, 1.0f);
  expectNear(glm::dvec3(eyeInView), glm::dvec3(0.0), 1e-5);
  EXPECT_NEAR(targetInView.x, 0.0, 1e-5);
  EXPECT_NEAR(targetInView.y, 0.0, 1e-5);
  EXPECT_NEAR(targetInView.z, -std::sqrt(25.0 + 6.25 + 196.0), 1e-5);
  const glm::dvec2 centre = screenPoint(camera.baseMvp, target);
  EXPECT_NEAR(centre.x, 0.0, 1e-6);
  EXPECT_NEAR(centre.y, 0.0, 1e-6);
}

TEST(ObjectMotion, GrinderColumnTurnsAtQuarterSecond) {
  // Worked out by hand: 90 and 45 degrees round to the floats nearest pi/2
  // and pi/4.
  EXPECT_EQ(objectAngle(0.25f, 360.0f), 1.57079637050628662109375f);
  EXPECT_EQ(objectAngle(0.25f, 180.0f), 0.785398185253143310546875f);

  const Camera camera =
      buildCamera({3.0f, 2.0f, 6.0f}, cameraTracks({0.0f, 0.0f, -3.0f}, 60.0f, 90.0f));
  const glm::vec3 point(1.0f, 2.0f, 0.5f);
  const double c = std::cos(pi / 4.0);
  for (std::size_t copy = 0; copy < grinderColumn.size(); ++copy) {
    const double z = -1.4 * static_cast<double>(copy) + 0.5;
    // Copies 1, 3, 5: 90 degrees about +z. Copies 2, 4, 6: 45 degrees about -z.
    const glm::dvec3 expected = copy % 2 == 0
                                    ? glm::dvec3(-2.0, 1.0, z)
                                    : glm::dvec3(c * 1.0 + c * 2.0, -c * 1.0 + c * 2.0, z);
    SCOPED_TRACE(copy + 1);
    expectNear(worldPoint(camera, objectMvp(camera, grinderColumn[copy], 0.25f), point), expected,
               1e-4);
    // At time 0 every copy stands unrotated at its place.
    expectNear(worldPoint(camera, objectMvp(camera, grinderColumn[copy], 0.0f), point),
               glm::dvec3(1.0, 2.0, z), 1e-4);
  }
  EXPECT_EQ(grinderColumn[5].translation.z, -7.0f);
}

TEST(ObjectMotion, BalleknuserIsLowestAtPiOverFourteen) {
  const float t = static_cast<float>(pi / 14.0);
  const ObjectMotion motion = balleknuserMotion(t);
  // 7t rounds next to pi/2, whose float sine is 1: y is the float -4.7.
  EXPECT_EQ(motion.translation, glm::vec3(0.0f, -4.7f, 0.0f));
  EXPECT_NEAR(motion.translation.y, -4.7, 1e-6);
  EXPECT_EQ(motion.axis, glm::vec3(0.0f, -1.0f, 0.0f));
  // pi/14 s at 180 degrees a second: pi^2/14 radians, about 40.4 degrees.
  const double angle = pi * pi / 14.0;
  EXPECT_NEAR(objectAngle(t, motion.rate), angle, 1e-6);
  EXPECT_NEAR(angle * 180.0 / pi, 40.4, 0.05);

  const Camera camera =
      buildCamera({0.0f, 1.0f, 15.0f}, cameraTracks({0.0f, -2.0f, 0.0f}, 50.0f, 90.0f));
  // Turning about -y carries +x towards +z.
  expectNear(worldPoint(camera, objectMvp(camera, motion, t), {1.0f, 0.0f, 0.0f}),
             {std::cos(angle), -4.7, std::sin(angle)}, 1e-4);
  // At time 0 it stands at the origin, unrotated.
  const glm::mat4 start = objectMvp(camera, balleknuserMotion(0.0f), 0.0f);
  expectNear(worldPoint(camera, start, {1.0f, 0.0f, 0.0f}), {1.0, 0.0, 0.0}, 1e-4);
}

TEST(ObjectMotion, DistortFollowsTheSineOfTime) {
  EXPECT_EQ(distortUniform(static_cast<float>(pi / 2.0)), glm::vec2(5.0f, 0.5f));
  EXPECT_EQ(distortUniform(static_cast<float>(3.0 * pi / 2.0)), glm::vec2(-5.0f, 0.5f));
  EXPECT_EQ(distortUniform(0.0f), glm::vec2(0.0f, 0.5f));
  EXPECT_NEAR(distortUniform(1.0f).x, 5.0 * std::sin(1.0), 1e-6);
  EXPECT_EQ(distortSpeed, glm::vec2(0.5f, 0.2f));
}

TEST(SceneChoice, OnlyExactSceneNumbersRunAScene) {
  EXPECT_EQ(sceneToRun(1.0f), 1);
  EXPECT_EQ(sceneToRun(2.0f), 2);
  EXPECT_EQ(sceneToRun(3.0f), 3);
  EXPECT_EQ(sceneToRun(4.0f), 4);
  for (float none : {0.0f, 1.5f, 5.0f, -1.0f, std::nextafter(2.0f, 3.0f),
                     std::nextafter(4.0f, 0.0f), std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(sceneToRun(none), 0) << none;
  }
  EXPECT_STREQ(cameraCurveName(1), "CamCurve.ma");
  EXPECT_STREQ(cameraCurveName(2), "CamCurve2.ma");
  EXPECT_STREQ(cameraCurveName(3), "CamCurve3.ma");
  EXPECT_STREQ(cameraCurveName(4), "CamCurve4.ma");
  EXPECT_EQ(cameraCurveName(0), nullptr);
  EXPECT_EQ(skySubstituteName(1), nullptr);
  EXPECT_STREQ(skySubstituteName(2), "SkySphere2.jpg");
  EXPECT_STREQ(skySubstituteName(3), "SkySphere3.png");
  EXPECT_STREQ(skySubstituteName(4), "SkySphere3.png");
}

TEST(SceneChoice, OverlaysBelongToTheirScene) {
  const auto overlay = [](int scene, float number) {
    const char* name = overlayTextureName(scene, number);
    return std::string(name != nullptr ? name : "none");
  };
  EXPECT_EQ(overlay(1, 1.0f), "Tessaly.png");
  EXPECT_EQ(overlay(1, 2.0f), "Pallon.png");
  EXPECT_EQ(overlay(1, 3.0f), "none");
  EXPECT_EQ(overlay(1, 4.0f), "none");
  EXPECT_EQ(overlay(1, 1.5f), "none");
  EXPECT_EQ(overlay(4, 3.0f), "Success.png");
  EXPECT_EQ(overlay(4, 4.0f), "Next.png");
  EXPECT_EQ(overlay(4, 1.0f), "none");
  EXPECT_EQ(overlay(4, 2.0f), "none");
  for (int scene : {0, 2, 3}) {
    for (float number : {1.0f, 2.0f, 3.0f, 4.0f}) {
      EXPECT_EQ(overlay(scene, number), "none") << scene << " " << number;
    }
  }
}

TEST(FrameMath, AFrameAllocatesNothing) {
  sync::SyncTrack scene{"scene.num", {{0, 2.0f, sync::KeyType::step}}};
  sync::SyncTrack fov{"fov",
                      {{0, 40.0f, sync::KeyType::linear}, {100, 60.0f, sync::KeyType::step}}};
  demo::FrameInputs inputs;
  inputs.tracks[demo::sceneNum] = &scene;
  inputs.tracks[demo::fov] = &fov;
  inputs.currentRow = 12.5;
  inputs.spectrum = countingSpectrum();

  const long before = test::allocationCount();
  FrameTracks tracks = sampleFrameTracks(inputs);
  tracks.roll = 90.0f;
  tracks.shakeSource = {700.0f, 3.0f};
  tracks.shakeAmount = {1.0f, 1.0f};
  tracks.shakeMagnitude = {0.01f, 0.01f};
  const float t = 1.25f;
  const int sceneNumber = sceneToRun(tracks.sceneNumber);
  const glm::vec2 shake = cameraShake(tracks, inputs.spectrum, t);
  const Camera camera = buildCamera(cameraEye({1.0f, 2.0f, 9.0f}, shake), tracks);
  glm::mat4 sum(0.0f);
  for (const ObjectMotion& grinder : grinderColumn) {
    sum += objectMvp(camera, grinder, t);
  }
  sum += objectMvp(camera, balleknuserMotion(t), t);
  const glm::vec2 distort = distortUniform(t);
  const char* names[] = {cameraCurveName(sceneNumber), skySubstituteName(sceneNumber),
                         overlayTextureName(sceneNumber, tracks.overlayNumber)};
  const long after = test::allocationCount();

  EXPECT_EQ(after - before, 0);
  EXPECT_EQ(sceneNumber, 2);
  EXPECT_TRUE(std::isfinite(sum[3][3] + distort.x));
  EXPECT_STREQ(names[0], "CamCurve2.ma");
}

}  // namespace
}  // namespace tessaly::demo
