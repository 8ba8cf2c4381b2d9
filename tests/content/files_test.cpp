// The generated Data folder holds every file the player asks for, in the
// formats its readers take: pictures that decode, OBJ models whose faces
// the reader takes as meant, material libraries whose maps exist, and Maya
// files laid out line for line as the Maya reader expects.
#include "tests/content/content_data.h"
#include "tests/content/picture_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include <glm/geometric.hpp>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

const char* const modelNames[] = {"SkySphere.obj", "Particles.obj",   "Stang.obj",
                                  "Grinder.obj",   "balleholder.obj", "baller.obj",
                                  "ballerom.obj",  "balleknuser.obj", "boxfanden.obj"};

TEST(ContentFiles, EveryFileThePlayerNamesExists) {
  std::vector<std::string> expected = {"Loading.jpg", "LICENSE",
                                       "Sound/KestruneOriginalSoundtrack.mp3"};
  for (const char* shader : {"Filters", "Bokeh", "NormalMap", "Distort", "test", "Overlay",
                             "Model", "Lambert", "Particles"}) {
    expected.push_back(std::string("Shaders/") + shader + ".vert");
    expected.push_back(std::string("Shaders/") + shader + ".frag");
  }
  for (const char* model : modelNames) {
    expected.push_back(std::string("Models/") + model);
  }
  for (const char* texture : {"SkySphere.png", "SkySphere2.jpg", "SkySphere3.png", "Tessaly.png",
                              "Pallon.png", "Success.png", "Next.png", "White.png"}) {
    expected.push_back(std::string("Textures/") + texture);
  }
  for (const char* maya : {"CamCurve.ma", "CamCurve2.ma", "CamCurve3.ma", "CamCurve4.ma",
                           "Light1.ma", "Light2.ma", "Light3.ma", "AmbientLight.ma"}) {
    expected.push_back(std::string("Maya/") + maya);
  }
  for (const char* track : trackNames()) {
    expected.push_back(std::string("Rocket/sync_") + track + ".track");
  }
  for (const std::string& file : expected) {
    EXPECT_TRUE(fs::is_regular_file(dataDir() / file)) << file;
  }
}

TEST(ContentFiles, EveryPictureDecodesAndTheTitlesAreTransparentAroundTheirLettering) {
  std::vector<fs::path> pictures = {dataDir() / "Loading.jpg"};
  for (const fs::directory_entry& entry : fs::directory_iterator(dataDir() / "Textures")) {
    pictures.push_back(entry.path());
  }
  ASSERT_GE(pictures.size(), 20u);
  for (const fs::path& picture : pictures) {
    const DecodedPicture decoded = decodePicture(picture);
    ASSERT_TRUE(decoded.ok) << picture;
    EXPECT_GT(decoded.width, 0) << picture;
  }

  for (const char* title : {"Tessaly.png", "Pallon.png", "Success.png", "Next.png"}) {
    const DecodedPicture d = decodePicture(dataDir() / "Textures" / title);
    EXPECT_EQ(d.width * 9, d.height * 16) << title << " is not 16:9 like the view it covers";
    std::size_t clear = 0, solid = 0;
    for (std::size_t i = 3; i < d.rgba.size(); i += 4) {
      clear += d.rgba[i] == 0;
      solid += d.rgba[i] == 255;
    }
    const std::size_t pixels = d.rgba.size() / 4;
    EXPECT_GT(clear, pixels / 2) << title;
    EXPECT_GT(solid, pixels / 100) << title;
  }

  // Three different skies of the same equirectangular shape.
  std::vector<std::uint8_t> previous;
  for (const char* sky : {"SkySphere.png", "SkySphere2.jpg", "SkySphere3.png"}) {
    const DecodedPicture d = decodePicture(dataDir() / "Textures" / sky);
    EXPECT_EQ(d.width, 2 * d.height) << sky;
    EXPECT_NE(d.rgba, previous) << sky;
    previous = d.rgba;
  }

  const DecodedPicture white = decodePicture(dataDir() / "Textures" / "White.png");
  for (std::uint8_t byte : white.rgba) {
    ASSERT_EQ(byte, 255);
  }
}

TEST(ContentFiles, ModelsAreReadAsMeantAndTheirMaterialsAndMapsExist) {
  for (const char* name : modelNames) {
    SCOPED_TRACE(name);
    const fs::path path = dataDir() / "Models" / name;
    const ObjModel model = readObj(path);
    for (const std::string& problem : model.problems) {
      ADD_FAILURE() << problem;
    }
    if (std::string(name) == "Particles.obj") {
      // A point cloud: positions only, so the reader draws it as points.
      EXPECT_GE(model.positions.size(), 10000u);
      EXPECT_TRUE(model.texCoords.empty() && model.normals.empty() && model.faces.empty());
      continue;
    }
    ASSERT_EQ(model.libraries.size(), 1u);
    const std::vector<MtlMaterial> materials = readMtl(path.parent_path() / model.libraries[0]);
    for (const std::string& line : readLines(path.parent_path() / model.libraries[0])) {
      EXPECT_LT(line.size(), 256u) << "MTL lines are read into 256 characters";
    }
    std::set<std::string> defined, used;
    for (const MtlMaterial& m : materials) {
      defined.insert(m.name);
      for (const char* map : {"map_Kd", "map_Bump", "bump"}) {
        const auto found = m.values.find(map);
        if (found != m.values.end()) {
          ASSERT_EQ(found->second.size(), 1u) << m.name << " " << map;
          EXPECT_TRUE(fs::is_regular_file(dataDir() / "Textures" / found->second[0]))
              << m.name << " names " << found->second[0];
        }
      }
    }
    ASSERT_FALSE(model.faces.empty());
    for (const ObjModel::Face& face : model.faces) {
      ASSERT_FALSE(face.material.empty()) << "a face before the first usemtl";
      ASSERT_EQ(face.corners.size(), 3u) << "faces are triangles";
      used.insert(face.material);
      for (const ObjModel::Corner& c : face.corners) {
        ASSERT_TRUE(c.position >= 1 && c.position <= static_cast<int>(model.positions.size()));
        ASSERT_TRUE(c.texCoord >= 1 && c.texCoord <= static_cast<int>(model.texCoords.size()));
        ASSERT_TRUE(c.normal >= 1 && c.normal <= static_cast<int>(model.normals.size()));
      }
    }
    for (const std::string& m : used) {
      EXPECT_TRUE(defined.count(m) == 1) << "usemtl " << m << " is not in the library";
    }
    for (const glm::vec3& n : model.normals) {
      ASSERT_NEAR(glm::length(n), 1.0f, 2e-3f);
    }
  }
}

TEST(ContentFiles, TheSkyIsSeenFromInsideWithinTheFarPlaneAndShowsSkySpherePng) {
  const ObjModel sky = readObj(dataDir() / "Models" / "SkySphere.obj");
  ASSERT_FALSE(sky.positions.empty());
  const float radius = glm::length(sky.positions[0]);
  EXPECT_LT(radius, 70.0f);
  for (std::size_t i = 0; i < sky.positions.size(); ++i) {
    ASSERT_NEAR(glm::length(sky.positions[i]), radius, 1e-2f);
    ASSERT_LT(glm::dot(sky.normals[i], sky.positions[i]), 0.0f) << "normals point inwards";
  }
  const std::vector<MtlMaterial> materials = readMtl(dataDir() / "Models" / "SkySphere.mtl");
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].values.at("map_Kd"), std::vector<std::string>{"SkySphere.png"});
}

TEST(ContentFiles, TheGrinderIsAWheelAboutZThatFitsAColumnSpaced1Point4) {
  const ObjModel grinder = readObj(dataDir() / "Models" / "Grinder.obj");
  const glm::vec3 low = grinder.minimum(), high = grinder.maximum();
  EXPECT_LT(high.z - low.z, 1.4f) << "neighbours 1.4 apart must not touch";
  EXPECT_NEAR(low.z, -high.z, 1e-3f);
  EXPECT_NEAR(low.x, -high.x, 0.05f);
  EXPECT_NEAR(low.y, -high.y, 0.05f);
  EXPECT_GT(high.x, 1.0f);
  // Teeth: the outline's radius takes two distinct values round the wheel.
  std::set<int> radii;
  for (const glm::vec3& p : grinder.positions) {
    radii.insert(static_cast<int>(std::lround(std::hypot(p.x, p.y) * 100.0f)));
  }
  EXPECT_GT(radii.size(), 5u);
}

TEST(ContentFiles, MayaCurvesFollowTheLayoutTheReaderExpects) {
  for (const char* name : {"CamCurve.ma", "CamCurve2.ma", "CamCurve3.ma", "CamCurve4.ma"}) {
    std::string problem;
    const std::optional<MayaCurve> curve = readMayaCurve(dataDir() / "Maya" / name, problem);
    ASSERT_TRUE(curve.has_value()) << name << ": " << problem;
    EXPECT_GE(curve->points.size(), 4u);
  }
}

TEST(ContentFiles, MayaLightsAreFinishedByALaterSetAttrLine) {
  std::set<std::tuple<float, float, float>> positions;
  for (const char* name : {"Light1.ma", "Light2.ma", "Light3.ma"}) {
    std::string problem;
    const std::optional<MayaLight> light = readMayaLight(dataDir() / "Maya" / name, problem);
    ASSERT_TRUE(light.has_value()) << name << ": " << problem;
    EXPECT_EQ(light->kind, "pointLight");
    EXPECT_GT(light->intensity, 0.0f);
    EXPECT_GT(glm::length(light->position), 5.0f) << name << " needs its parent's translation";
    positions.insert({light->position.x, light->position.y, light->position.z});
  }
  EXPECT_EQ(positions.size(), 3u);
  std::string problem;
  const std::optional<MayaLight> ambient =
      readMayaLight(dataDir() / "Maya" / "AmbientLight.ma", problem);
  ASSERT_TRUE(ambient.has_value()) << problem;
  EXPECT_EQ(ambient->kind, "ambientLight");
  // The player reads only the ambient colour, so it carries the level.
  EXPECT_LT(ambient->colour.r, 0.6f);
  EXPECT_GT(ambient->colour.r, 0.05f);
}

}  // namespace
}  // namespace tessaly::test
