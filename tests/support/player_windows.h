// The player's windows on the test display, for tests that run the real
// binaries (the player, the installed launcher) and drive them with
// xdotool.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

// Whether DISPLAY names a display.
bool haveDisplay();

// Tests that put windows on the shared display take turns (one lock file in
// the build folder for every test binary), so no other window takes the
// keyboard focus in the middle of one. Held while the object lives.
class WindowTurn {
 public:
  WindowTurn();
  ~WindowTurn();
  WindowTurn(const WindowTurn&) = delete;
  WindowTurn& operator=(const WindowTurn&) = delete;

 private:
  int fd_;
};

// The visible windows of process `pid` titled "Tessaly demosystem": their
// ids and widths.
std::vector<std::pair<std::string, int>> playerWindows(int pid);

class ChildProcess;

// Waits up to `timeout` for a visible window of `player` (of `width` pixels
// when that is not 0) and returns its id; empty when none came in time or
// the player ended first.
std::string waitForPlayerWindow(ChildProcess& player, std::chrono::milliseconds timeout,
                                int width = 0);

}  // namespace tessaly::test
