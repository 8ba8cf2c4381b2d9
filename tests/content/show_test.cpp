// The choreography computed back from the generated files: the tracks
// read with the player's track reader, the camera from the Maya curves and
// the models from their OBJ files. Checks that the show runs its four
// scenes with exact scene and overlay numbers, shows every title in its
// scene, fades only where it means to, and that at every frame the camera
// is inside the sky, clear of every model, upright enough, and looking at
// the scene's models.
#include "sync/sync_track.h"
#include "tests/content/content_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <set>

#include <glm/geometric.hpp>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

constexpr double rowsPerSecond = 13.933333333333334;
constexpr double showSeconds = 81.6;
constexpr double frameStep = 1.0 / 30.0;

class Show : public testing::Test {
 protected:
  void SetUp() override {
    const std::string base = (dataDir() / "Rocket" / "sync").string();
    device_ = sync::SyncDevice::create(base.c_str());
    ASSERT_NE(device_, nullptr);
  }
  void TearDown() override { sync::SyncDevice::destroy(device_); }

  float value(const char* track, double row) {
    return static_cast<float>(device_->getTrack(track)->valueAt(row));
  }

  sync::SyncDevice* device_ = nullptr;
};

TEST_F(Show, EveryTrackHasKeysInOrderAndAllFourInterpolationsOccur) {
  std::set<int> types;
  for (const char* name : trackNames()) {
    SCOPED_TRACE(name);
    const fs::path path = dataDir() / "Rocket" / (std::string("sync_") + name + ".track");
    std::ifstream in(path, std::ios::binary);
    std::int32_t count = 0;
    in.read(reinterpret_cast<char*>(&count), 4);
    ASSERT_GE(count, 1);
    EXPECT_EQ(fs::file_size(path), 4u + 9u * static_cast<std::uintmax_t>(count));
    const sync::SyncTrack* track = device_->getTrack(name);
    ASSERT_EQ(track->keyCount(), count);
    for (std::size_t i = 0; i < track->keys().size(); ++i) {
      const int type = static_cast<int>(track->keys()[i].type);
      ASSERT_GE(type, 0);
      ASSERT_LE(type, 3);
      types.insert(type);
      if (i > 0) {
        ASSERT_LT(track->keys()[i - 1].row, track->keys()[i].row);
      }
    }
  }
  EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(Show, ScenesAndTitlesHoldExactNumbersAndComeInOrder) {
  std::set<int> scenes, titles;
  float lastScene = 1.0f;
  for (double t = 0.0; t < showSeconds; t += frameStep) {
    const double row = t * rowsPerSecond;
    const float scene = value("scene.num", row), overlay = value("overlay.num", row);
    ASSERT_TRUE(scene == 1.0f || scene == 2.0f || scene == 3.0f || scene == 4.0f)
        << scene << " at " << t << " s";
    ASSERT_GE(scene, lastScene);
    lastScene = scene;
    scenes.insert(static_cast<int>(scene));
    ASSERT_EQ(overlay, std::floor(overlay)) << t;
    ASSERT_TRUE(overlay >= 0.0f && overlay <= 4.0f) << t;
    if (value("overlay.alpha", row) > 0.0f && overlay != 0.0f) {
      // Titles 1 and 2 belong to scene 1, 3 and 4 to scene 4.
      ASSERT_EQ(scene, overlay <= 2.0f ? 1.0f : 4.0f) << "title " << overlay << " at " << t;
    }
    if (value("overlay.alpha", row) >= 0.99f) {
      titles.insert(static_cast<int>(overlay));
    }
    const float path = value("campath.pos", row);
    ASSERT_TRUE(path >= 0.0f && path <= 1.0f) << t;
    const float fov = value("fov", row);
    ASSERT_TRUE(fov > 20.0f && fov < 100.0f) << t;
  }
  EXPECT_EQ(scenes, (std::set<int>{1, 2, 3, 4}));
  EXPECT_EQ(titles, (std::set<int>{1, 2, 3, 4}));
}

TEST_F(Show, FadesOnlyAtTheCutsAndToBlackBeforeTheEnd) {
  // Rows where the picture may be dark: the opening bar, a beat either side
  // of each cut, and the closing fade.
  auto intended = [](double row) {
    for (int cut : {256, 512, 768}) {
      if (std::fabs(row - cut) <= 8.0) return true;
    }
    return row < 32.0 || row >= 1088.0;
  };
  for (double t = 0.0; t < showSeconds; t += frameStep) {
    const double row = t * rowsPerSecond;
    if (!intended(row)) {
      ASSERT_GE(value("scene.alpha", row), 0.999f) << "dark frame at " << t << " s";
    }
  }
  for (int cut : {256, 512, 768}) {
    EXPECT_EQ(value("scene.alpha", cut), 0.0f);
  }
  // Black, titles gone, well before the player stops at 81.6 s.
  for (double t = 80.5; t < showSeconds; t += frameStep) {
    ASSERT_EQ(value("scene.alpha", t * rowsPerSecond), 0.0f) << t;
    ASSERT_EQ(value("overlay.alpha", t * rowsPerSecond), 0.0f) << t;
  }
}

// What the camera of one scene must see and must not touch.
struct SceneModels {
  std::vector<ObjModel> solid;   // static models: the eye keeps clear of their triangles
  glm::vec3 low{1e30f}, high{-1e30f};  // bounds of everything the scene shows
  // Moving models, as the cylinders they sweep: axis, radius, extent.
  struct Sweep {
    int axis;
    float radius, from, to;
  };
  std::vector<Sweep> sweeps;
};

SceneModels sceneModels(int scene) {
  SceneModels models;
  auto include = [&](glm::vec3 low, glm::vec3 high) {
    models.low = glm::min(models.low, low);
    models.high = glm::max(models.high, high);
  };
  auto solid = [&](const char* name) {
    models.solid.push_back(readObj(dataDir() / "Models" / name));
    include(models.solid.back().minimum(), models.solid.back().maximum());
  };
  if (scene == 1) {
    const ObjModel particles = readObj(dataDir() / "Models" / "Particles.obj");
    include(particles.minimum() * 0.5f, particles.maximum() * 0.5f);
  } else if (scene == 2) {
    solid("Stang.obj");
    // Six grinders at z = 0 .. -7.0, turning about z.
    const ObjModel grinder = readObj(dataDir() / "Models" / "Grinder.obj");
    const float radius = glm::length(glm::vec2(grinder.maximum()));
    models.sweeps.push_back({2, radius, -7.0f + grinder.minimum().z, grinder.maximum().z});
    include(glm::vec3(-radius, -radius, -7.0f), glm::vec3(radius, radius, 0.0f));
  } else if (scene == 3) {
    solid("balleholder.obj");
    solid("baller.obj");
    solid("ballerom.obj");
    // The crusher bobs 4.7 up and down and turns about y.
    const ObjModel crusher = readObj(dataDir() / "Models" / "balleknuser.obj");
    float radius = 0.0f;
    for (const glm::vec3& p : crusher.positions) radius = std::max(radius, std::hypot(p.x, p.z));
    models.sweeps.push_back({1, radius, crusher.minimum().y - 4.7f, crusher.maximum().y + 4.7f});
  } else {
    solid("boxfanden.obj");
  }
  return models;
}

float clearance(const SceneModels& models, glm::vec3 eye, float enough) {
  float nearest = 1e30f;
  for (const SceneModels::Sweep& s : models.sweeps) {
    const float along = eye[s.axis];
    const float across = glm::length(glm::vec2(eye[(s.axis + 1) % 3], eye[(s.axis + 2) % 3]));
    const float outside = std::max({across - s.radius, s.from - along, along - s.to});
    nearest = std::min(nearest, outside);
  }
  for (const ObjModel& model : models.solid) {
    const glm::vec3 low = model.minimum(), high = model.maximum();
    const glm::vec3 gap = glm::max(glm::max(low - eye, eye - high), glm::vec3(0.0f));
    if (glm::length(gap) > enough) {
      nearest = std::min(nearest, glm::length(gap));
      continue;
    }
    for (const ObjModel::Face& f : model.faces) {
      nearest = std::min(nearest, pointTriangleDistance(
                                      eye, model.positions[f.corners[0].position - 1],
                                      model.positions[f.corners[1].position - 1],
                                      model.positions[f.corners[2].position - 1]));
    }
  }
  return nearest;
}

TEST_F(Show, CamerasStayInTheSkyClearOfTheModelsAndLookAtThem) {
  const ObjModel sky = readObj(dataDir() / "Models" / "SkySphere.obj");
  const float skyRadius = glm::length(sky.positions.at(0));
  std::vector<MayaCurve> curves;
  for (const char* name : {"CamCurve.ma", "CamCurve2.ma", "CamCurve3.ma", "CamCurve4.ma"}) {
    std::string problem;
    std::optional<MayaCurve> curve = readMayaCurve(dataDir() / "Maya" / name, problem);
    ASSERT_TRUE(curve.has_value()) << problem;
    curves.push_back(*curve);
  }
  std::vector<SceneModels> scenes;
  for (int s = 1; s <= 4; ++s) {
    scenes.push_back(sceneModels(s));
  }
  const float degrees = 0.01745329238474369f;
  double lookingAway = 0.0;
  for (double t = 0.0; t < showSeconds; t += frameStep) {
    const double row = t * rowsPerSecond;
    const int scene = static_cast<int>(value("scene.num", row));
    const SceneModels& models = scenes[static_cast<std::size_t>(scene - 1)];
    const glm::vec3 eye = curves[static_cast<std::size_t>(scene - 1)].atFraction(
        value("campath.pos", row));
    const glm::vec3 target(value("camview.x", row), value("camview.y", row),
                           value("camview.z", row));
    const std::string when = "scene " + std::to_string(scene) + " at " + std::to_string(t) + " s";

    // Inside the sky, whose far side stays nearer than the far plane.
    ASSERT_LT(glm::length(eye), skyRadius - 10.0f) << when;
    ASSERT_LT(glm::length(eye) + skyRadius, 100.0f) << when;

    // Clear of every model, even when the shake throws the camera as far as
    // a full-scale bin (0.5) allows.
    const glm::vec2 shake(value("cam.shake.x", row) * value("cam.shake.mag.x", row),
                          value("cam.shake.y", row) * value("cam.shake.mag.y", row));
    const float needed = 0.2f + 0.5f * glm::length(shake);
    ASSERT_GE(clearance(models, eye, needed), needed) << when << ", eye " << eye.x << " "
                                                      << eye.y << " " << eye.z;

    // The target is ahead, and the view is never along the up vector.
    const glm::vec3 toTarget = target - eye;
    ASSERT_GT(glm::length(toTarget), 1.0f) << when;
    const glm::vec3 view = glm::normalize(toTarget);
    const float roll = value("cam.roll", row) * degrees;
    const glm::vec3 up(std::cos(roll), std::sin(roll), 0.0f);
    ASSERT_LT(std::fabs(glm::dot(view, up)), 0.97f) << when;

    // Some of the scene's models lie within the view cone.
    const float halfAngle = 0.5f * value("fov", row) * degrees;
    bool seen = glm::all(glm::greaterThan(eye, models.low)) && glm::all(glm::lessThan(eye, models.high));
    for (int corner = 0; corner < 27 && !seen; ++corner) {
      const glm::vec3 mix(static_cast<float>(corner % 3) * 0.5f,
                          static_cast<float>(corner / 3 % 3) * 0.5f,
                          static_cast<float>(corner / 9) * 0.5f);
      const glm::vec3 point = models.low + (models.high - models.low) * mix;
      seen = glm::dot(glm::normalize(point - eye), view) > std::cos(halfAngle);
    }
    // A look away at the sky alone lasts a second at most, and a title
    // never stands on an empty sky.
    lookingAway = seen ? 0.0 : lookingAway + frameStep;
    ASSERT_LE(lookingAway, 1.0) << when << ": no model in view for a second";
    if (value("overlay.alpha", row) > 0.0f && value("overlay.num", row) != 0.0f) {
      ASSERT_TRUE(seen) << when << ": a title over the empty sky";
    }
  }
}

}  // namespace
}  // namespace tessaly::test
