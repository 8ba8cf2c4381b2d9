// The installed launcher plays the installed production, from any working
// directory and after the installation has moved; the installed
// tessaly-capture renders a frame of it. Both need the test display.
#include "assets/image_decoder.h"
#include "tests/install/installation.h"
#include "tests/support/process.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <thread>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* playerTitle = "Tessaly demosystem";

// A shown player window of `width` pixels (any width when 0), or empty
// when none came within `timeout` or the player ended first.
std::string waitForPlayerWindow(const XDisplay& display, ChildProcess& player,
                                std::chrono::milliseconds timeout, int width = 0) {
  std::string found;
  waitFor(timeout, [&] {
    for (const std::string& id : display.windows(playerTitle, player.pid())) {
      if (width == 0 || display.info("-id " + id, "Width") == width) found = id;
    }
    return !found.empty() || !player.running();
  });
  return found;
}

TEST(InstalledLauncher, PlaysTheInstalledShowFromAnyDirectoryAfterTheInstallationMoved) {
  if (!haveXDisplay()) GTEST_SKIP() << "needs a display and xdotool";
  Installation installation("first place");
  const CommandResult installed = installation.install();
  ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
  installation.moveTo("moved place");
  const std::filesystem::path elsewhere = installation.folder().path() / "elsewhere";
  std::filesystem::create_directories(elsewhere);

  WindowTurn turn;
  const XDisplay display;
  ChildProcess player((installation / "bin/tessaly-play").string(), {},
                      {elsewhere.string(), {"SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(player.started());

  const std::string dialog = waitForPlayerWindow(display, player, 30s);
  ASSERT_FALSE(dialog.empty()) << player.standardError();
  // The launcher has become the player, working in the production's folder.
  const std::filesystem::path workingDirectory =
      std::filesystem::read_symlink("/proc/" + std::to_string(player.pid()) + "/cwd");
  EXPECT_EQ(workingDirectory, std::filesystem::canonical(installation / "share/tessaly"));
  EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(player.pid()) + "/exe"),
            std::filesystem::canonical(installation / "bin/tessaly"));

  // Start: the show's window (full screen, the display's width) comes up
  // after the whole production has loaded, with no message on the way.
  ASSERT_TRUE(display.pressKey(dialog, "Return"));
  const std::string show = waitForPlayerWindow(display, player, 120s, 1920);
  ASSERT_FALSE(show.empty()) << "no show window; stderr: " << player.standardError();
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(player.running());

  ASSERT_TRUE(display.pressKey(show, "Escape"));
  const auto status = player.wait(60s);
  ASSERT_TRUE(status.has_value()) << "the player did not end after Escape";
  EXPECT_EQ(*status, 0) << player.standardError();
  EXPECT_EQ(player.standardError().find("ERROR:"), std::string::npos) << player.standardError();
}

TEST(InstalledCapture, RendersAFrameOfTheInstalledProduction) {
  if (!TESSALY_HAVE_CAPTURE) GTEST_SKIP() << "tessaly-capture is not part of this build";
  if (!haveXDisplay()) GTEST_SKIP() << "needs a display";
  Installation installation;
  const CommandResult installed = installation.install();
  ASSERT_EQ(installed.status, 0) << installed.out << installed.err;

  // 12 s: the title "TESSALY demosystem" over the first scene.
  const std::string frame = installation.folder().file("frame.png");
  const CommandResult capture =
      runProgram({(installation / "bin/tessaly-capture").string(), "--size", "320x180", "--at",
                  "12", "-o", frame},
                 installation / "share/tessaly", {"SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(capture.status, 0) << capture.out << capture.err;

  ASSERT_TRUE(assets::initializeDevil());
  assets::DecodedImage image;
  ASSERT_EQ(assets::decodeImage(frame, image), assets::DecodeStatus::decoded);
  EXPECT_EQ(image.width, 320);
  EXPECT_EQ(image.height, 180);
  std::size_t lit = 0;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    lit += image.pixels[i] + image.pixels[i + 1] + image.pixels[i + 2] > 60;
  }
  EXPECT_GT(lit, image.pixels.size() / 4 / 10) << "the frame is nearly black";
}

}  // namespace
}  // namespace tessaly::test
