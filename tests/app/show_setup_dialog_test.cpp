// Drives the real setup dialog window on the X display with xdotool: the
// dialog runs in a child process (the player itself, or a fork calling
// showSetupDialog) and every wait is bounded, so a dialog that does not
// react fails the test instead of hanging it.
#include "app/program_icon.h"
#include "app/setup_dialog.h"
#include "platform/setup_window.h"
#include "tests/app/x_display.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace tessaly::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto windowTimeout = 20s;
const std::string title = "Tessaly demosystem";

// The display the test inherited, where the dialogs open.
const test::XDisplay screen;

// The shown windows of process `pid` titled "Tessaly demosystem".
std::set<std::string> dialogWindows(pid_t pid) {
  const std::vector<std::string> ids = screen.windows(title, pid);
  return {ids.begin(), ids.end()};
}

// Waits for the one window of `pid`; empty when none appeared in time.
std::string waitForWindow(pid_t pid) {
  return screen.waitForWindow(title, pid, windowTimeout);
}

// Clicks the middle of a control, given in the window's own pixels. The
// window is raised first so nothing else can take the click.
void clickAt(const std::string& window, const platform::DialogRect& control) {
  const int x = control.x + control.width / 2;
  const int y = control.y + control.height / 2;
  screen.succeeds("xdotool windowraise " + window + " mousemove --window " + window + " " +
                  std::to_string(x) + " " + std::to_string(y) + " click 1");
  // Two frames of the dialog: the press, then the release.
  std::this_thread::sleep_for(250ms);
}

// A check box is clicked on its box, at the left end of its row.
platform::DialogRect checkBox(platform::DialogControls::Check check) {
  const platform::DialogRect row = platform::setupWindowLayout().checks[check];
  return {row.x, row.y, row.height, row.height};
}

// Types a key into the window as the keyboard would. It goes the way the
// clicks go (the server's input queue, to the focused window), so it keeps
// its place after them; a key sent straight to the window could overtake
// clicks the server has not handed on yet.
void pressKey(const std::string& window, const std::string& key) {
  screen.pressKey(window, key);
}

// showSetupDialog in a forked child, which sends back its result and the
// configuration it left.
class DialogChild {
 public:
  struct Outcome {
    int result = -100;
    DemoConfig config;
  };

  explicit DialogChild(DemoConfig config) {
    int fds[2];
    if (pipe(fds) != 0) {
      return;
    }
    process_ = std::make_unique<test::ChildProcess>(
        [&]() -> int {
          close(fds[0]);
          Outcome outcome;
          outcome.config = config;
          outcome.result = showSetupDialog(&outcome.config);
          [[maybe_unused]] const ssize_t written = write(fds[1], &outcome, sizeof outcome);
          return 0;
        },
        test::ChildProcess::Options{});
    close(fds[1]);
    readFd_ = fds[0];
  }
  ~DialogChild() {
    if (readFd_ >= 0) {
      close(readFd_);
    }
  }

  pid_t pid() const { return process_ ? process_->pid() : -1; }
  bool running() { return process_ && process_->running(); }

  // The dialog's result once the child has ended (bounded wait).
  std::optional<Outcome> finish() {
    if (!process_ || process_->wait(20s) != 0) {
      return std::nullopt;
    }
    Outcome outcome;
    if (read(readFd_, &outcome, sizeof outcome) != static_cast<ssize_t>(sizeof outcome)) {
      return std::nullopt;
    }
    return outcome;
  }

 private:
  std::unique_ptr<test::ChildProcess> process_;
  int readFd_ = -1;
};

// Presses Enter and returns what the dialog gave back (result -100 when it
// did not end).
DialogChild::Outcome startWithEnter(const std::string& window, DialogChild& child) {
  pressKey(window, "Return");
  return child.finish().value_or(DialogChild::Outcome{});
}

// The screen's one mode, 1920 x 1080 at 24-bit depth, is a 32-bit mode.
void expectScreenSize(const DemoConfig& config) {
  EXPECT_EQ(config.width, screen.info("-root", "Width"));
  EXPECT_EQ(config.height, screen.info("-root", "Height"));
}

// Needs an X display with xdotool; one dialog at a time on the screen, so
// the clicks of one test never land on another's window.
class SetupDialogWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (!display_.ok() || !test::haveXDisplay()) {
      GTEST_SKIP() << "needs an X display and xdotool";
    }
    turn_ = std::make_unique<test::WindowTurn>();
    ASSERT_TRUE(turn_->held());
  }

 private:
  test::DisplayConnection display_;
  std::unique_ptr<test::WindowTurn> turn_;
};

TEST_F(SetupDialogWindow, AppearsCentredWithItsTitleAndFixedSizeAndQuitGivesZero) {
  DialogChild child{DemoConfig{}};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  EXPECT_EQ(screen.run("xdotool getwindowname " + window), "Tessaly demosystem\n");
  EXPECT_EQ(screen.info("-id " + window, "Width"), 548);
  EXPECT_EQ(screen.info("-id " + window, "Height"), 401);
  const int screenWidth = screen.info("-root", "Width");
  const int screenHeight = screen.info("-root", "Height");
  EXPECT_EQ(screen.info("-id " + window, "Absolute upper-left X"), (screenWidth - 548) / 2);
  EXPECT_EQ(screen.info("-id " + window, "Absolute upper-left Y"), (screenHeight - 401) / 2);
  // Not resizable: the smallest and the largest size are its size.
  const std::string hints = screen.run("xprop -id " + window + " WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("minimum size: 548 by 401"), std::string::npos) << hints;
  EXPECT_NE(hints.find("maximum size: 548 by 401"), std::string::npos) << hints;

  clickAt(window, platform::setupWindowLayout().quitButton);
  const auto outcome = child.finish();
  ASSERT_TRUE(outcome.has_value()) << "Quit did not end the dialog";
  EXPECT_EQ(outcome->result, 0);
  EXPECT_EQ(outcome->config.fullscreen, 1);  // Quit takes none of the choices
}

TEST_F(SetupDialogWindow, ShowsTheProgramIcon) {
  DialogChild child{DemoConfig{}};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  const std::vector<platform::RgbaPicture> icons = windowIcons();
  const std::vector<unsigned long> property = test::windowIconProperty(std::stoul(window));
  ASSERT_FALSE(property.empty()) << "the dialog has no icon";
  EXPECT_TRUE(property == test::expectedIconProperty(icons)) << "the icon's pixels differ";

  clickAt(window, platform::setupWindowLayout().quitButton);
  ASSERT_TRUE(child.finish().has_value()) << "Quit did not end the dialog";
}

TEST_F(SetupDialogWindow, EnterStartsWithTheSelectedModeAndCheckStates) {
  DialogChild child{DemoConfig{}};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  clickAt(window, checkBox(platform::DialogControls::fullscreen));
  clickAt(window, checkBox(platform::DialogControls::loopDemo));
  const DialogChild::Outcome outcome = startWithEnter(window, child);
  EXPECT_EQ(outcome.result, 1);
  expectScreenSize(outcome.config);
  EXPECT_EQ(outcome.config.fullscreen, 0);
  EXPECT_EQ(outcome.config.verticalSync, 1);
  EXPECT_EQ(outcome.config.multisampling, 1);
  EXPECT_EQ(outcome.config.loopDemo, 1);
}

TEST_F(SetupDialogWindow, PickingTheShownAspectGroupListsItAfreshAndSelectsItsLastMode) {
  // 1280 x 720 is 16:9 but not a mode of the screen: nothing is selected.
  DemoConfig config;
  config.width = 1280;
  config.height = 720;
  DialogChild child{config};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  // Open the aspect list and pick its second item, "16:9", in the list
  // that opens below the box (items 18 pixels apart).
  const platform::DialogRect box = platform::setupWindowLayout().aspectList;
  clickAt(window, {box.x, box.y, box.width, 22});
  clickAt(window, {box.x, box.y + 22 + 18, box.width, 18});
  const DialogChild::Outcome outcome = startWithEnter(window, child);
  EXPECT_EQ(outcome.result, 1);
  expectScreenSize(outcome.config);
}

// The keyboard alone: the focus starts on the first control, the resolution
// list; Tab and Shift+Tab go round the controls in the template's order
// (the two lists, the four check boxes, Start, Quit),
// Space presses the focused control or opens the focused list, Enter picks
// the list item the focus is on, and otherwise presses the focused push
// button, Start when none is focused.
struct KeyboardCase {
  const char* name;
  std::vector<std::string> keys;
  int result;
  bool fullscreen;
  bool verticalSync;
  bool loopDemo;
  bool screenMode;  // the screen's mode was picked (else 1280 x 720 stays)
};

class SetupDialogKeyboard : public SetupDialogWindow,
                            public testing::WithParamInterface<KeyboardCase> {};

TEST_P(SetupDialogKeyboard, DrivesTheDialog) {
  const KeyboardCase& c = GetParam();
  // 1280 x 720 is 16:9 but not a mode of the screen: the 16:9 group is
  // shown with no mode selected until it is picked afresh.
  DemoConfig config;
  config.width = 1280;
  config.height = 720;
  DialogChild child{config};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";
  for (const std::string& key : c.keys) {
    pressKey(window, key);
  }
  const std::optional<DialogChild::Outcome> outcome = child.finish();
  ASSERT_TRUE(outcome.has_value()) << "the keys did not end the dialog";
  EXPECT_EQ(outcome->result, c.result);
  if (c.result == 1) {
    EXPECT_EQ(outcome->config.fullscreen, c.fullscreen ? 1 : 0);
    EXPECT_EQ(outcome->config.verticalSync, c.verticalSync ? 1 : 0);
    EXPECT_EQ(outcome->config.loopDemo, c.loopDemo ? 1 : 0);
    if (c.screenMode) {
      expectScreenSize(outcome->config);
    } else {
      EXPECT_EQ(outcome->config.width, 1280);
    }
  }
}

const KeyboardCase keyboardCases[] = {
    // Two Tabs to the third control, Fullscreen; three more to Loop demo.
    {"TabAndSpaceSetTheChecks",
     {"Tab", "Tab", "space", "Tab", "Tab", "Tab", "space", "Return"}, 1, false, true, true,
     false},
    // Shift+Tab from the first control comes round to Quit, the last.
    {"ShiftTabReachesQuitAndEnterPressesIt", {"shift+Tab", "Return"}, 0, true, true, false, false},
    {"SpacePressesTheFocusedButton", {"shift+Tab", "shift+Tab", "space"}, 1, true, true, false,
     false},
    // The aspect list opened with Space; Enter picks 16:9, where the focus
    // starts, which selects the group's last mode; then Enter starts.
    {"EnterPicksFromAnOpenList", {"Tab", "space", "Return", "Return"}, 1, true, true, false,
     true},
    // The arrows move the focus: right from Fullscreen to Vertical sync.
    {"ArrowsMoveBetweenControls", {"Tab", "Tab", "Right", "space", "Return"}, 1, true, false,
     false, false},
};

INSTANTIATE_TEST_SUITE_P(Keys, SetupDialogKeyboard, testing::ValuesIn(keyboardCases),
                         [](const testing::TestParamInfo<KeyboardCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(SetupDialogWindow, EscapeAndTheCloseButtonLeaveItOpen) {
  DialogChild child{DemoConfig{}};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  pressKey(window, "Escape");
  ASSERT_TRUE(test::sendCloseRequest(std::stoul(window)));
  std::this_thread::sleep_for(500ms);  // ten frames of the dialog
  EXPECT_TRUE(child.running());
  EXPECT_EQ(dialogWindows(child.pid()).size(), 1u);

  // Still there and still working: Start ends it.
  EXPECT_EQ(startWithEnter(window, child).result, 1);
}

// Starts the player (build/tessaly) in `folder`, optionally without any
// display.
std::unique_ptr<test::ChildProcess> startPlayer(const test::TempDir& folder, bool withDisplay) {
  std::vector<std::string> environment;
  if (!withDisplay) {
    environment = {"DISPLAY=", "WAYLAND_DISPLAY="};
  }
  return std::make_unique<test::ChildProcess>(TESSALY_BINARY_DIR "/tessaly", std::vector<std::string>{},
                                              test::ChildProcess::Options{folder.path().string(), environment, ""});
}

TEST_F(SetupDialogWindow, QuitEndsThePlayerWith255BeforeAnyOtherWindow) {
  test::TempDir folder;  // no Data: a player that went on would complain
  const auto player = startPlayer(folder, true);
  ASSERT_TRUE(player->started());
  const int pid = player->pid();
  const std::string window = waitForWindow(pid);
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  clickAt(window, platform::setupWindowLayout().quitButton);
  std::set<std::string> seen{window};
  const auto deadline = Clock::now() + 20s;
  while (player->running() && Clock::now() < deadline) {
    for (const std::string& id : dialogWindows(pid)) {
      seen.insert(id);
    }
    std::this_thread::sleep_for(20ms);
  }
  const std::optional<int> status = player->wait(0ms);
  ASSERT_TRUE(status.has_value()) << "the player did not end after Quit";
  EXPECT_EQ(*status, 255);
  EXPECT_EQ(seen.size(), 1u) << "another window appeared after Quit";
  EXPECT_EQ(player->standardError().find("ERROR"), std::string::npos) << player->standardError();
}

TEST(SetupDialogWithoutDisplay, SaysSoOnStderrAndThePlayerEndsWith255) {
  test::TempDir folder;
  const auto player = startPlayer(folder, false);
  ASSERT_TRUE(player->started());
  EXPECT_EQ(player->wait(20s), 255);
  EXPECT_NE(player->standardError().find(
                "\nThe setup dialog cannot be shown: no display could be opened.\n"),
            std::string::npos)
      << player->standardError();
}

}  // namespace
}  // namespace tessaly::app
