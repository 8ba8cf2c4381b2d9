// The real player binary, end to end under the test display: the setup
// dialog, Enter to start, the show's window, Escape to end with status 0.
#include "tests/support/demo_test_shaders.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/player_windows.h"
#include "tests/support/process.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

const std::string playerPath = std::string(TESSALY_BINARY_DIR) + "/tessaly";

TEST(Player, EnterStartsTheShowAndEscapeEndsItWithStatusZero) {
  if (!haveDisplay()) GTEST_SKIP() << "needs a display";
  if (!lameAvailable()) GTEST_SKIP() << "needs lame";
  // No content but the filter and demo shaders and a short soundtrack:
  // without those the player would stop at start-up or wait for OK on its
  // music messages.
  TempDir data;
  std::filesystem::create_directories(data.file("Data/Sound"));
  writeFilterShaders(data.path());
  writeDemoTestShaders(data.path());
  ToneSpec tone;
  tone.seconds = 2.0;
  ASSERT_FALSE(makeToneMp3(data.file("Data/Sound"), "KestruneOriginalSoundtrack", tone).empty());

  WindowTurn turn;
  ChildProcess player(playerPath, {}, {data.path().string(), {"SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(player.started());

  // The setup dialog comes first; Enter presses its Start button.
  const std::string dialog = waitForPlayerWindow(player, 20s);
  ASSERT_FALSE(dialog.empty()) << player.standardError();
  runCommand("timeout 10 xdotool windowfocus " + dialog + " key Return");

  // Then the show's window: full screen by default, the display's width.
  const std::string show = waitForPlayerWindow(player, 20s, 1920);
  ASSERT_FALSE(show.empty()) << "no show window; stderr: " << player.standardError();

  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(player.running());
  runCommand("timeout 10 xdotool windowfocus " + show + " key Escape");
  const auto status = player.wait(20s);
  ASSERT_TRUE(status.has_value()) << "the player did not end after Escape";
  EXPECT_EQ(*status, 0) << player.standardError();
}

}  // namespace
}  // namespace tessaly::test
