// Driving real windows from tests: xdotool, xwininfo and import run on an X
// display, each bounded to ten seconds; an X server of a test's own; and the
// lock by which tests that put windows on the shared test display take turns.
#pragma once

#include "tests/support/process.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

// Commands on one X display.
class XDisplay {
 public:
  // `name` like ":99"; empty: the display the test inherited ($DISPLAY).
  explicit XDisplay(std::string name = "");

  const std::string& name() const { return name_; }
  // "DISPLAY=<name>" for a child's environment (empty name: nothing to set).
  std::vector<std::string> environment() const;

  // Standard output of a shell command run on this display with a ten-second
  // bound; its stderr is dropped. `status` receives the exit status.
  std::string run(const std::string& command, int* status = nullptr) const;
  bool succeeds(const std::string& command) const;

  // The ids of the shown windows whose name is exactly `title`, of process
  // `pid` (any process when 0), in xdotool's order.
  std::vector<std::string> windows(const std::string& title, int pid = 0) const;

  // Polls until such a window is shown, `timeout` passes or `giveUp` says so
  // (e.g. the process ended); the first window's id, or empty.
  std::string waitForWindow(const std::string& title, int pid, std::chrono::milliseconds timeout,
                            const std::function<bool()>& giveUp = {}) const;

  // One number from xwininfo's report ("Width", "Absolute upper-left X",
  // ...) on a window ("-id N") or the screen ("-root"); -1 when missing.
  int info(const std::string& which, const std::string& field) const;

  // Focuses a window and types a key into it (e.g. "Return", "Escape") the
  // way the keyboard does, through the server's input queue.
  bool pressKey(const std::string& window, const std::string& key) const;

  // The pixels now on screen in a window's area ("root": the whole screen),
  // as raw 8-bit RGB bytes; empty when they cannot be grabbed.
  std::string grab(const std::string& window) const;

 private:
  std::string name_;
};

// An Xvfb of the test's own with one screen of width x height at 24 bits, so
// a test's windows neither meet other tests' windows nor wait for a lock,
// and full-screen windows stay as small as the test wants.
class PrivateXServer {
 public:
  PrivateXServer(int width, int height);
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // True once the server accepts clients.
  bool ok() const { return ok_; }
  const XDisplay& display() const { return display_; }

 private:
  std::unique_ptr<ChildProcess> server_;
  XDisplay display_;
  bool ok_ = false;
};

// Tests that put windows on the shared test display take turns through a
// lock file in the build folder, so no other window takes the keyboard
// focus or a click in the middle of one. Held while the object lives.
class WindowTurn {
 public:
  WindowTurn();
  ~WindowTurn();
  WindowTurn(const WindowTurn&) = delete;
  WindowTurn& operator=(const WindowTurn&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// True when the test inherited a display: DISPLAY is set and not empty.
bool haveDisplay();

// True when the test inherited an X display and xdotool works on it.
bool haveXDisplay();

}  // namespace tessaly::test

// Fails the current test with the reason when it inherited no display, so a
// binary run directly on a machine without one does not pass by skipping.
#define TESSALY_REQUIRE_DISPLAY()                                                   \
  do {                                                                              \
    if (!::tessaly::test::haveDisplay()) {                                          \
      GTEST_FAIL() << "needs a display (DISPLAY is not set): run it under xvfb-run " \
                      "-a, or through scripts/run-tests";                            \
    }                                                                               \
  } while (false)
