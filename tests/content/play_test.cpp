// scripts/play, the command behind `make play`: with a usable display it
// starts the player; without one (DISPLAY unset, unusable, or only Wayland)
// it says so and renders the show with tessaly-capture into the build
// folder. Runs the script on a folder of its own that links the built
// production and capture tool and holds a stand-in player.
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Outcome {
  int status = -1;
  std::string out, err;
};

class PlayScript : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path built(TESSALY_BINARY_DIR);
    if (!fs::is_directory(built / "Data")) {
      GTEST_SKIP() << "the production is not built into " << built << "/Data";
    }
    fs::create_directory_symlink(built / "Data", build_.path() / "Data");
    fs::create_symlink(built / "tessaly-capture", build_.path() / "tessaly-capture");
    // The player stand-in notes that it was started, and on which display.
    const std::string player = build_.write(
        "tessaly", "#!/bin/sh\necho \"started on $DISPLAY\" > player-started\n");
    fs::permissions(player, fs::perms::owner_all);
  }

  // Runs scripts/play on the folder; `environment` entries "NAME=" unset.
  Outcome play(std::vector<std::string> environment) {
    ChildProcess child("/bin/sh",
                       {std::string(TESSALY_SOURCE_DIR) + "/scripts/play", build_.path().string()},
                       {"", environment, ""});
    Outcome outcome;
    if (!child.started()) {
      return outcome;
    }
    outcome.status = child.wait(240s).value_or(-1000);
    outcome.out = child.standardOutput();
    outcome.err = child.standardError();
    return outcome;
  }

  bool playerStarted() const { return fs::exists(build_.file("player-started")); }

  TempDir build_;
};

TEST_F(PlayScript, WithoutADisplayRendersTheShowAndSaysWhere) {
  const Outcome run = play({"DISPLAY=", "WAYLAND_DISPLAY=", "PLAY_SIZE=160x90", "PLAY_FPS=10",
                            "PLAY_FLAGS=--from 20 --to 20.5 --no-multisampling"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_FALSE(playerStarted());
  EXPECT_NE(run.out.find("no display (DISPLAY is not set)"), std::string::npos) << run.out;
  // The time it says the render takes is that of the span asked for.
  EXPECT_NE(run.out.find("; 20 s to 20.5 s, 5 frames: about "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("whole show"), std::string::npos) << run.out;
  const std::string video = build_.file("production.mp4");
  const std::string sheet = build_.file("production-sheet.png");
  EXPECT_NE(run.out.find(video), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(sheet), std::string::npos) << run.out;
  EXPECT_GT(fs::file_size(video), 1000u);
  EXPECT_EQ(readFile(sheet).substr(1, 3), "PNG");
}

TEST_F(PlayScript, ADisplayThatCannotBeOpenedOrWaylandAloneCountsAsNone) {
  // A wrong size stops the render before it starts, after the verdict.
  Outcome run = play({"DISPLAY=:31999", "PLAY_SIZE=large"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("DISPLAY=:31999 cannot be opened"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("PLAY_SIZE must be WxH"), std::string::npos) << run.err;

  run = play({"DISPLAY=", "WAYLAND_DISPLAY=wayland-0", "PLAY_SIZE=large"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("WAYLAND_DISPLAY is set but DISPLAY is not"), std::string::npos)
      << run.out;
  EXPECT_FALSE(playerStarted());
}

TEST_F(PlayScript, AUsableDisplayStartsThePlayerUnlessHeadlessIsAskedFor) {
  if (!haveDisplay()) GTEST_SKIP() << "needs a display";
  const char* display = std::getenv("DISPLAY");

  Outcome run = play({"PLAY_HEADLESS=1", "PLAY_SIZE=large"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("no display (PLAY_HEADLESS=1)"), std::string::npos) << run.out;
  EXPECT_FALSE(playerStarted());

  run = play({});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(readFile(build_.file("player-started")), "started on " + std::string(display) + "\n");
}

}  // namespace
}  // namespace tessaly::test
