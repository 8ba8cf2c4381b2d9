// Live reload of a running show, through its data watcher, on a tiny
// production of the test's own: each kind of file is changed the way an
// editor saves it, broken files keep the last good object and say why, and
// the frame read back shows each good change.
#include "app/show_reload.h"

#include "app/show.h"
#include "tests/demo/frame_test_support.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_models.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tessaly::app {
namespace {

constexpr int windowWidth = 64;
constexpr int windowHeight = 48;  // a 64x36 view from y = 6

// Every pixel of every draw green.
constexpr const char* greenFilterFragment = R"(#version 330 core
out vec4 fragColor;
void main() { fragColor = vec4(0.0, 1.0, 0.0, 1.0); }
)";

// A track file: one step key at row 0.
std::string trackBytes(float value) {
  std::string bytes(4 + 9, '\0');
  bytes[0] = 1;
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  for (int i = 0; i < 4; ++i) {
    bytes[8 + static_cast<std::size_t>(i)] = static_cast<char>((bits >> (8 * i)) & 0xff);
  }
  return bytes;
}

using Rgb = std::array<int, 3>;

// Each channel as off (below 64) or on (above 192); -1 in between.
Rgb levelAt(int x, int y) {
  const auto bytes = test::readPixels(x, y, 1, 1);
  Rgb result{};
  for (int c = 0; c < 3; ++c) {
    result[c] = bytes[static_cast<std::size_t>(c)] < 64    ? 0
                : bytes[static_cast<std::size_t>(c)] > 192 ? 1
                                                            : -1;
  }
  return result;
}

const Rgb red{1, 0, 0}, green{0, 1, 0}, blue{0, 0, 1}, yellow{1, 1, 0}, magenta{1, 0, 1},
    white{1, 1, 1};

class ShowReloadTest : public testing::Test {
 protected:
  void SetUp() override {
    TESSALY_REQUIRE_GL(context);
    test::writeFilterShaders(dir.path());
    dir.write("Data/Shaders/Filters.frag", test::plainFilterFragmentSource);
    test::writeDemoTestShaders(dir.path());
    // Scene 3 shows its sky's material with "SkySphere3.png" in place of
    // "SkySphere.png".
    dir.write("Data/Textures/SkySphere.png", test::solidPng(255, 255, 255));
    dir.write("Data/Textures/SkySphere3.png", test::solidPng(0, 0, 255));
    dir.write("Data/Models/SkySphere.obj", test::squareObj(200, -50, "SkySphere.mtl"));
    dir.write("Data/Models/SkySphere.mtl", "newmtl surface\nKd 1 1 1\nmap_Kd SkySphere.png\n");
    dir.write("Data/Models/balleholder.obj", test::squareObj(1, -5, "balleholder.mtl"));
    dir.write("Data/Models/balleholder.mtl", "newmtl surface\nKd 1 0 1\n");
    dir.write("Data/Models/boxfanden.obj", test::squareObj(1, -5, "boxfanden.mtl"));
    dir.write("Data/Models/boxfanden.mtl", "newmtl surface\nKd 1 1 1\n");
    // The frame driver's camera: from the fallback curve point (1, 1, 1)
    // straight down -z, upright, the whole scene faded in.
    const std::pair<const char*, float> tracks[] = {
        {"scene.num", 3.0f}, {"fov", 45.0f},       {"cam.roll", 90.0f},
        {"camview.x", 1.0f}, {"camview.y", 1.0f},  {"camview.z", -10.0f},
        {"scene.alpha", 1.0f}, {"campath.pos", 0.5f}};
    for (const auto& [name, value] : tracks) {
      dir.write(std::string("Data/Rocket/sync_") + name + ".track", trackBytes(value));
    }

    show.config.width = windowWidth;
    show.config.height = windowHeight;
    show.config.fullscreen = 0;
    show.config.multisampling = 0;
    ShowOptions options;
    options.window = ShowWindow::current;
    options.music = ShowMusic::none;
    options.watchData = true;
    ASSERT_TRUE(startShow(show, options));
    ASSERT_EQ(show.watcher->waitWhileStarting(std::chrono::seconds(5)),
              watch::DataWatcher::State::watching);
    reloader.emplace(show);
  }

  // Saves `bytes` the way many editors do: a temporary file beside it,
  // renamed over the old one.
  void saveByRename(const std::string& path, const std::string& bytes) {
    dir.write(path + ".tmp~", bytes);
    std::filesystem::rename(dir.file(path + ".tmp~"), dir.file(path));
  }

  // Polls and applies until a report for `file` arrives (5 s at most).
  ReloadReport reloadOf(const std::string& file) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
      reloader->poll();
      for (ReloadReport& report : reloader->applyReady()) {
        if (report.file == file) {
          return report;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "no reload of " << file;
    return {};
  }

  // Waits for the reload of `file` and checks how it went.
  void report(const std::string& file, bool ok) {
    const ReloadReport result = reloadOf(file);
    EXPECT_EQ(result.ok, ok) << file << ": " << result.message;
  }

  void draw() {
    show.inputs.currentRow = 0.0;
    drawShowFrame(show, 0.0f);
  }

  test::GlContext context{windowWidth, windowHeight};
  test::TempDir dir;
  test::ScopedWorkingDirectory workingDirectory{dir.path()};
  test::ErrorRecorder errors;
  Show show;
  std::optional<ShowReloader> reloader;
};

TEST_F(ShowReloadTest, EachKindOfFileIsReloadedAndABrokenFileKeepsTheLastGoodOne) {
  draw();
  ASSERT_EQ(levelAt(3, 9), blue);  // the sky of scene 3
  ASSERT_EQ(levelAt(32, 24), magenta);

  // A track, saved by rename: scene 4.
  saveByRename("Data/Rocket/sync_scene.num.track", trackBytes(4.0f));
  ReloadReport report = reloadOf("Data/Rocket/sync_scene.num.track");
  EXPECT_TRUE(report.ok) << report.message;
  draw();
  EXPECT_EQ(levelAt(32, 24), white);

  // A track cut short keeps its keys.
  dir.write("Data/Rocket/sync_scene.num.track", trackBytes(3.0f).substr(0, 9));
  report = reloadOf("Data/Rocket/sync_scene.num.track");
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.message.find("cut short"), std::string::npos) << report.message;
  draw();
  EXPECT_EQ(levelAt(32, 24), white);

  // A picture, decoded off the thread and uploaded in place.
  dir.write("Data/Textures/SkySphere3.png", test::solidPng(255, 0, 0));
  report = reloadOf("Data/Textures/SkySphere3.png");
  EXPECT_TRUE(report.ok) << report.message;
  draw();
  EXPECT_EQ(levelAt(3, 9), red);
  // Noise instead of a picture: the last good one stays, with the load message.
  dir.write("Data/Textures/SkySphere3.png", "not a picture at all");
  report = reloadOf("Data/Textures/SkySphere3.png");
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.message.find("SkySphere3.png"), std::string::npos) << report.message;
  draw();
  EXPECT_EQ(levelAt(3, 9), red);

  // A material library re-reads the models that name it.
  dir.write("Data/Models/boxfanden.mtl", "newmtl surface\nKd 1 1 0\n");
  report = reloadOf("Data/Models/boxfanden.mtl");
  EXPECT_TRUE(report.ok) << report.message;
  draw();
  EXPECT_EQ(levelAt(32, 24), yellow);
  // A model with nothing drawable in it keeps the last good model.
  dir.write("Data/Models/boxfanden.obj", "v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 9/1/1 12/1/1\n");
  report = reloadOf("Data/Models/boxfanden.obj");
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.message.find("1 faces left out"), std::string::npos) << report.message;
  draw();
  EXPECT_EQ(levelAt(32, 24), yellow);

  // A shader that does not compile keeps the program drawing, and the log
  // names the file and line.
  const GLuint filterProgram = show.filter->filterProgram().program();
  dir.write("Data/Shaders/Filters.frag", test::brokenFragmentSource);
  report = reloadOf("Data/Shaders/Filters.vert/.frag");
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.message.find("Data/Shaders/Filters.frag:3:"), std::string::npos)
      << report.message;
  EXPECT_EQ(show.filter->filterProgram().program(), filterProgram);
  draw();
  EXPECT_EQ(levelAt(32, 24), yellow);
  // Fixed: the new program draws every frame from then on.
  saveByRename("Data/Shaders/Filters.frag", greenFilterFragment);
  report = reloadOf("Data/Shaders/Filters.vert/.frag");
  EXPECT_TRUE(report.ok) << report.message;
  draw();
  EXPECT_EQ(levelAt(32, 24), green);

  // A program the frame never draws with is rebuilt, and the report says so.
  dir.write("Data/Shaders/Overlay.frag", greenFilterFragment);
  report = reloadOf("Data/Shaders/Overlay.vert/.frag");
  EXPECT_TRUE(report.ok);
  EXPECT_NE(report.message.find("no frame draws"), std::string::npos) << report.message;

  EXPECT_TRUE(reloader->idle());
  // Every message went into a report, none to the message boxes.
  EXPECT_TRUE(errors.messages().empty()) << testing::PrintToString(errors.messages());
}

// Every kind of file broken the ways the player's broken-content matrix
// breaks them, and caught half-written: the reload says what is wrong, the
// frame keeps what it showed, and the whole file is picked up again.
TEST_F(ShowReloadTest, BrokenFilesKeepTheFrameAndTheWholeFileIsPickedUpAgain) {
  dir.write("Data/Maya/Cam.ma", test::curveText({0.0f, 0.0f, 0.0f}));
  report("Data/Maya/", true);
  draw();
  const auto good = test::readPixels(0, 0, windowWidth, windowHeight);

  struct Case {
    const char* path;
    const char* reported;
  };
  const Case files[] = {
      {"Data/Shaders/Model.frag", "Data/Shaders/Model.vert/.frag"},
      {"Data/Textures/SkySphere3.png", "Data/Textures/SkySphere3.png"},
      {"Data/Models/balleholder.obj", "Data/Models/balleholder.obj"},
      {"Data/Maya/Cam.ma", "Data/Maya/"},
      {"Data/Rocket/sync_scene.num.track", "Data/Rocket/sync_scene.num.track"},
  };
  for (const Case& file : files) {
    const std::string whole = test::readFile(dir.file(file.path));
    const std::string damages[] = {"", whole.substr(0, whole.size() / 2),
                                   std::string(whole.size(), '\x9c')};
    for (const std::string& damaged : damages) {
      SCOPED_TRACE(std::string(file.path) + ", " + std::to_string(damaged.size()) + " bytes");
      dir.write(file.path, damaged);
      const ReloadReport broken = reloadOf(file.reported);
      EXPECT_FALSE(broken.ok);
      EXPECT_FALSE(broken.message.empty());
      draw();
      EXPECT_EQ(test::readPixels(0, 0, windowWidth, windowHeight), good);
    }
    // Written in two steps, as a slow writer does: the first half seen
    // while the file is still open, then the rest and the close.
    {
      SCOPED_TRACE(std::string(file.path) + ", written in two steps");
      std::ofstream out(dir.file(file.path), std::ios::binary | std::ios::trunc);
      out << whole.substr(0, whole.size() / 2) << std::flush;
      for (int i = 0; i < 5; ++i) {
        reloader->poll();
        reloader->applyReady();
      }
      out << whole.substr(whole.size() / 2);
      out.close();
      const ReloadReport fixed = reloadOf(file.reported);
      EXPECT_TRUE(fixed.ok) << fixed.message;
      draw();
      EXPECT_EQ(test::readPixels(0, 0, windowWidth, windowHeight), good);
    }
  }
  EXPECT_TRUE(errors.messages().empty()) << testing::PrintToString(errors.messages());
}

TEST_F(ShowReloadTest, ATrackGateKeepsTheTrackWhenItGivesAReasonAndSeesTheFileWhole) {
  sync::SyncTrack* track = show.device->getTrack("scene.num");
  ASSERT_NE(track, nullptr);
  std::vector<std::pair<std::string, std::string>> asked;
  std::optional<std::string> answer = "the editor's own save";
  reloader->setTrackGate([&](const std::string& file, std::string_view bytes) {
    asked.emplace_back(file, std::string(bytes));
    return answer;
  });

  // Skipped: the track keeps scene 3 and the report says why.
  saveByRename("Data/Rocket/sync_scene.num.track", trackBytes(4.0f));
  ReloadReport report = reloadOf("Data/Rocket/sync_scene.num.track");
  EXPECT_TRUE(report.ok);
  EXPECT_TRUE(report.skipped);
  EXPECT_EQ(report.message, "the editor's own save");
  EXPECT_EQ(track->valueAt(0), 3.0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, "Data/Rocket/sync_scene.num.track");
  EXPECT_EQ(asked[0].second, trackBytes(4.0f));

  // A broken file never reaches the gate.
  dir.write("Data/Rocket/sync_scene.num.track", trackBytes(5.0f).substr(0, 9));
  EXPECT_FALSE(reloadOf("Data/Rocket/sync_scene.num.track").ok);
  EXPECT_EQ(asked.size(), 1u);

  // Let through: the file takes the track's place.
  answer.reset();
  saveByRename("Data/Rocket/sync_scene.num.track", trackBytes(6.0f));
  report = reloadOf("Data/Rocket/sync_scene.num.track");
  EXPECT_TRUE(report.ok) << report.message;
  EXPECT_FALSE(report.skipped);
  EXPECT_EQ(track->valueAt(0), 6.0);
  EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace tessaly::app
