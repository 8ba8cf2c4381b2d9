// The real player binary, end to end under the test display: the setup
// dialog, Enter to start, the show's window, Escape to end with status 0.
#include "tests/support/demo_test_shaders.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/process.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

const std::string playerPath = std::string(TESSALY_BINARY_DIR) + "/tessaly";

bool haveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// Tests that put windows on the shared display take turns, so no other
// window takes the keyboard focus in the middle of one.
class WindowTurn {
 public:
  WindowTurn() : fd_(open(TESSALY_BINARY_DIR "/setup-dialog-window.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~WindowTurn() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_;
};

// The visible windows of `pid` titled "Tessaly demosystem", with their width.
std::vector<std::pair<std::string, int>> playerWindows(int pid) {
  std::vector<std::pair<std::string, int>> windows;
  std::istringstream ids(runCommand("timeout 10 xdotool search --all --onlyvisible --pid " +
                                    std::to_string(pid) +
                                    " --name '^Tessaly demosystem$' 2>/dev/null"));
  std::string id;
  while (ids >> id) {
    const std::string geometry =
        runCommand("timeout 10 xdotool getwindowgeometry --shell " + id + " 2>/dev/null");
    const auto at = geometry.find("WIDTH=");
    windows.emplace_back(id, at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + 6));
  }
  return windows;
}

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
  std::string dialog;
  ASSERT_TRUE(waitFor(20s, [&] {
    const auto windows = playerWindows(player.pid());
    if (!windows.empty()) dialog = windows.front().first;
    return !dialog.empty() || !player.running();
  }));
  ASSERT_FALSE(dialog.empty()) << player.standardError();
  runCommand("timeout 10 xdotool windowfocus " + dialog + " key Return");

  // Then the show's window: full screen by default, the display's width.
  std::string show;
  ASSERT_TRUE(waitFor(20s, [&] {
    for (const auto& [id, width] : playerWindows(player.pid())) {
      if (width == 1920) show = id;
    }
    return !show.empty() || !player.running();
  }));
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
