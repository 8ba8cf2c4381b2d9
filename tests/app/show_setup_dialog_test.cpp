// Drives the real setup dialog window on the X display with xdotool: the
// dialog runs in a child process (the player itself, or a fork calling
// showSetupDialog) and every wait is bounded, so a dialog that does not
// react fails the test instead of hanging it.
#include "app/program_icon.h"
#include "app/setup_dialog.h"
#include "platform/setup_window.h"
#include "tests/app/x_display.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// Standard output of a command, which gets ten seconds at most.
std::string capture(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen(("timeout 10 " + command + " 2>/dev/null").c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
      output += buffer;
    }
    pclose(pipe);
  }
  return output;
}

bool succeeds(const std::string& command) {
  return std::system(("timeout 10 " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// The shown windows of process `pid` titled "Tessaly demosystem".
std::set<std::string> dialogWindows(pid_t pid) {
  const std::string ids = capture("xdotool search --all --onlyvisible --pid " +
                                  std::to_string(pid) + " --name '^Tessaly demosystem$'");
  std::set<std::string> windows;
  std::size_t start = 0;
  while (start < ids.size()) {
    const std::size_t end = ids.find('\n', start);
    const std::string id = ids.substr(start, end - start);
    if (!id.empty()) {
      windows.insert(id);
    }
    if (end == std::string::npos) {
      break;
    }
    start = end + 1;
  }
  return windows;
}

// Waits for the one window of `pid`; empty when none appeared in time.
std::string waitForWindow(pid_t pid) {
  const auto deadline = Clock::now() + windowTimeout;
  while (Clock::now() < deadline) {
    const std::set<std::string> windows = dialogWindows(pid);
    if (!windows.empty()) {
      return *windows.begin();
    }
    std::this_thread::sleep_for(50ms);
  }
  return {};
}

// One value from xwininfo's report ("Width", "Absolute upper-left X", ...)
// on a window ("-id N") or the screen ("-root").
int windowInfo(const std::string& which, const std::string& field) {
  const std::string report = capture("xwininfo " + which);
  const std::size_t at = report.find(field + ":");
  return at == std::string::npos ? -1 : std::atoi(report.c_str() + at + field.size() + 1);
}

// Clicks the middle of a control, given in the window's own pixels. The
// window is raised first so nothing else can take the click.
void clickAt(const std::string& window, const platform::DialogRect& control) {
  const int x = control.x + control.width / 2;
  const int y = control.y + control.height / 2;
  succeeds("xdotool windowraise " + window + " mousemove --window " + window + " " +
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
  succeeds("xdotool windowfocus " + window + " key " + key);
}

// A child process that is killed if the test leaves before it ended.
class ChildProcess {
 public:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  ~ChildProcess() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }

  // The exit status once it has ended (a signal counts as 1000 + its
  // number); nothing while it runs.
  std::optional<int> poll() {
    int raw = 0;
    if (!status_ && pid_ > 0 && waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    }
    return status_;
  }

  // Waits up to `timeout` for the end.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!poll() && Clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    return poll();
  }

 private:
  pid_t pid_;
  std::optional<int> status_;
};

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
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      Outcome outcome;
      outcome.config = config;
      outcome.result = showSetupDialog(&outcome.config);
      [[maybe_unused]] const ssize_t written = write(fds[1], &outcome, sizeof outcome);
      _exit(0);
    }
    close(fds[1]);
    readFd_ = fds[0];
    process_ = std::make_unique<ChildProcess>(pid);
  }
  ~DialogChild() {
    if (readFd_ >= 0) {
      close(readFd_);
    }
  }

  pid_t pid() const { return process_ ? process_->pid() : -1; }
  bool running() { return process_ && !process_->poll(); }

  // The dialog's result once the child has ended (bounded wait).
  std::optional<Outcome> finish() {
    if (!process_ || process_->waitForExit(20s) != 0) {
      return std::nullopt;
    }
    Outcome outcome;
    if (read(readFd_, &outcome, sizeof outcome) != static_cast<ssize_t>(sizeof outcome)) {
      return std::nullopt;
    }
    return outcome;
  }

 private:
  std::unique_ptr<ChildProcess> process_;
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
  EXPECT_EQ(config.width, windowInfo("-root", "Width"));
  EXPECT_EQ(config.height, windowInfo("-root", "Height"));
}

// Needs an X display with xdotool; one dialog at a time on the screen, so
// the clicks of one test never land on another's window.
class SetupDialogWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr || !display_.ok() ||
        !succeeds("xdotool getmouselocation")) {
      GTEST_SKIP() << "needs an X display and xdotool";
    }
    lockFd_ = open(TESSALY_BINARY_DIR "/setup-dialog-window.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    ASSERT_GE(lockFd_, 0);
    ASSERT_EQ(flock(lockFd_, LOCK_EX), 0);
  }
  void TearDown() override {
    if (lockFd_ >= 0) {
      close(lockFd_);
    }
  }

 private:
  test::DisplayConnection display_;
  int lockFd_ = -1;
};

TEST_F(SetupDialogWindow, AppearsCentredWithItsTitleAndFixedSizeAndQuitGivesZero) {
  DialogChild child{DemoConfig{}};
  const std::string window = waitForWindow(child.pid());
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  EXPECT_EQ(capture("xdotool getwindowname " + window), "Tessaly demosystem\n");
  EXPECT_EQ(windowInfo("-id " + window, "Width"), 548);
  EXPECT_EQ(windowInfo("-id " + window, "Height"), 401);
  const int screenWidth = windowInfo("-root", "Width");
  const int screenHeight = windowInfo("-root", "Height");
  EXPECT_EQ(windowInfo("-id " + window, "Absolute upper-left X"), (screenWidth - 548) / 2);
  EXPECT_EQ(windowInfo("-id " + window, "Absolute upper-left Y"), (screenHeight - 401) / 2);
  // Not resizable: the smallest and the largest size are its size.
  const std::string hints = capture("xprop -id " + window + " WM_NORMAL_HINTS");
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

// Starts the player (build/tessaly) in `folder` with its stderr in
// `errors`, optionally without any display.
pid_t startPlayer(const test::TempDir& folder, const std::string& errors, bool withDisplay) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!withDisplay) {
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
    }
    const int fd = open(errors.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || dup2(fd, STDERR_FILENO) < 0 || chdir(folder.path().c_str()) != 0) {
      _exit(120);
    }
    execl(TESSALY_BINARY_DIR "/tessaly", "tessaly", static_cast<char*>(nullptr));
    _exit(121);
  }
  return pid;
}

TEST_F(SetupDialogWindow, QuitEndsThePlayerWith255BeforeAnyOtherWindow) {
  test::TempDir folder;  // no Data: a player that went on would complain
  const std::string errors = folder.file("stderr.txt");
  const pid_t pid = startPlayer(folder, errors, true);
  ASSERT_GT(pid, 0);
  ChildProcess player(pid);
  const std::string window = waitForWindow(pid);
  ASSERT_FALSE(window.empty()) << "no dialog window appeared";

  clickAt(window, platform::setupWindowLayout().quitButton);
  std::set<std::string> seen{window};
  const auto deadline = Clock::now() + 20s;
  while (!player.poll() && Clock::now() < deadline) {
    for (const std::string& id : dialogWindows(pid)) {
      seen.insert(id);
    }
    std::this_thread::sleep_for(20ms);
  }
  const std::optional<int> status = player.poll();
  ASSERT_TRUE(status.has_value()) << "the player did not end after Quit";
  EXPECT_EQ(*status, 255);
  EXPECT_EQ(seen.size(), 1u) << "another window appeared after Quit";
  EXPECT_EQ(test::readFile(errors).find("ERROR"), std::string::npos) << test::readFile(errors);
}

TEST(SetupDialogWithoutDisplay, SaysSoOnStderrAndThePlayerEndsWith255) {
  test::TempDir folder;
  const std::string errors = folder.file("stderr.txt");
  const pid_t pid = startPlayer(folder, errors, false);
  ASSERT_GT(pid, 0);
  ChildProcess player(pid);
  EXPECT_EQ(player.waitForExit(20s), 255);
  EXPECT_NE(test::readFile(errors).find(
                "\nThe setup dialog cannot be shown: no display could be opened.\n"),
            std::string::npos)
      << test::readFile(errors);
}

}  // namespace
}  // namespace tessaly::app
