// Start-up with the pictures decoded ahead on a worker thread shows the same
// messages, in the same order and at the same steps, as start-up decoding
// each picture at its own step.
#include "app/demo_config.h"
#include "app/show.h"
#include "assets/picture_prefetch.h"
#include "assets/texture_registry.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/png_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace tessaly::app {
namespace {

// Broken and good pictures at the top level and in two asset directories.
void writeData(const test::TempDir& dir) {
  test::writeFilterShaders(dir.path());
  test::writeDemoTestShaders(dir.path());
  const std::string good = test::encodePng(2, 2, std::vector<std::uint8_t>(16, 200));
  dir.write("Data/Broken.jpg", "not a picture");
  dir.write("Data/Loading.png", good);
  dir.write("Data/Textures/Bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + "cut short");
  dir.write("Data/Textures/Good.png", good);
  dir.write("Data/Models/Photo.jpg", "");
}

// What the steps say about those pictures, in order: the top-level scan of
// the render state first, then the preload in listing order (jpg before
// png within a directory, Textures before Models).
const std::vector<std::string> expectedMessages = {"DevIL failed to load: Broken.jpg",
                                                   "DevIL failed to load: Bad.png",
                                                   "DevIL failed to load: Photo.jpg"};

// How many messages had been shown when each start-up step ended.
const test::ErrorRecorder* recorder = nullptr;
std::map<std::string, std::size_t> messagesByStep;

void countMessages(StartupStep step, std::chrono::nanoseconds) {
  messagesByStep[startupStepName(step)] = recorder->messages().size();
}

// The scan of "Data/" belongs to the render state, every other picture to
// the preload (whose four parts are reported when it ends).
const std::map<std::string, std::size_t> expectedByStep = {
    {"window", 0},         {"GLEW", 0},     {"render state", 1}, {"shader set", 1},
    {"loading screen", 3}, {"pictures", 3}, {"models", 3},       {"Maya scenes", 3},
    {"tracks", 3}};

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    TESSALY_REQUIRE_DISPLAY();
    writeData(dir);
    DemoConfig& config = show.config;
    config.width = 64;
    config.height = 36;
    config.fullscreen = 0;
    config.multisampling = 0;
    recorder = &errors;
    messagesByStep.clear();
    setStartupSink(countMessages);
  }
  void TearDown() override {
    setStartupSink(nullptr);
    endShow(show);
  }

  // Hidden, without music or watcher: the steps up to the tracks.
  bool start(assets::ImageSource* pictures = nullptr) {
    ShowOptions options;
    options.window = ShowWindow::hidden;
    options.music = ShowMusic::none;
    options.watchData = false;
    options.pictures = pictures;
    return startShow(show, options);
  }

  test::TempDir dir;
  test::ErrorRecorder errors;
  Show show;
};

TEST_F(StartupTest, PicturesDecodedAtTheirStepsAreReportedInLoadingOrder) {
  test::ScopedWorkingDirectory inside(dir.path());
  ASSERT_TRUE(start());
  EXPECT_EQ(errors.messages(), expectedMessages);
  EXPECT_EQ(messagesByStep, expectedByStep);
}

TEST_F(StartupTest, PicturesDecodedAheadAreReportedTheSameAndAtTheSameSteps) {
  test::ScopedWorkingDirectory inside(dir.path());
  assets::PicturePrefetch pictures;
  pictures.start(assets::startupPicturePaths());
  pictures.waitUntilDone();
  // Nothing is said while the worker decodes.
  EXPECT_TRUE(errors.messages().empty());

  ASSERT_TRUE(start(&pictures));
  EXPECT_EQ(errors.messages(), expectedMessages);
  EXPECT_EQ(messagesByStep, expectedByStep);
  // Every picture came from the worker, the broken ones included.
  EXPECT_EQ(pictures.handedOver(), 5u);
  EXPECT_NE(show.rootTextures.find("Loading.png"), 0u);
  EXPECT_NE(show.textures.find("Good.png"), 0u);
  EXPECT_EQ(show.textures.find("Bad.png"), 0u);
}

}  // namespace
}  // namespace tessaly::app
