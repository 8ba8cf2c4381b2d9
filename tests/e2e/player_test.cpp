// The real player binary, end to end under the test display: it opens its
// window, plays, and ends with the right exit status.
#include "tests/support/filter_shaders.h"
#include "tests/support/process.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <cstdlib>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

const std::string playerPath = std::string(TESSALY_BINARY_DIR) + "/tessaly";

bool haveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// The X window id of the player's window, or empty when it is not there.
std::string findPlayerWindow(int pid) {
  return runCommand("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                    " --name '^Tessaly demosystem$' 2>/dev/null | head -n 1");
}

TEST(Player, EscapeEndsTheShowWithStatusZero) {
  if (!haveDisplay()) GTEST_SKIP() << "needs a display";
  // No content but the filter shaders and a short soundtrack: without those
  // the player would stop at start-up or wait for OK on its music messages.
  TempDir data;
  if (!lameAvailable()) GTEST_SKIP() << "needs lame";
  ToneSpec tone;
  tone.seconds = 2.0;
  std::filesystem::create_directories(data.file("Data/Sound"));
  writeFilterShaders(data.path());
  ASSERT_FALSE(makeToneMp3(data.file("Data/Sound"), "KestruneOriginalSoundtrack", tone).empty());
  ChildProcess player(playerPath, {}, {data.path().string(), {"SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(player.started());

  std::string window;
  ASSERT_TRUE(waitFor(20s, [&] {
    window = findPlayerWindow(player.pid());
    return !window.empty() || !player.running();
  }));
  ASSERT_FALSE(window.empty()) << player.standardError();
  while (!window.empty() && window.back() == '\n') window.pop_back();

  // Let a few frames run, then press Escape on the window.
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(player.running());
  runCommand("xdotool key --window " + window + " Escape");
  const auto status = player.wait(20s);
  ASSERT_TRUE(status.has_value()) << "the player did not end after Escape";
  EXPECT_EQ(*status, 0) << player.standardError();
}

TEST(Player, WithoutADisplayExitsWith255AndSaysWhy) {
  TempDir data;
  ChildProcess player(playerPath, {},
                      {data.path().string(), {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(player.started());
  const auto status = player.wait(20s);
  ASSERT_TRUE(status.has_value()) << "the player hung without a display";
  EXPECT_EQ(*status, 255);
  // GLFW's own description, then the player's message.
  const std::string err = player.standardError();
  EXPECT_NE(err.find("DISPLAY"), std::string::npos) << err;
  EXPECT_NE(err.find("ERROR: Unable to initialize GLFW!"), std::string::npos) << err;
}

}  // namespace
}  // namespace tessaly::test
