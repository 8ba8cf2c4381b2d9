// The real player (build/tessaly) on an X server of the test's own, driven
// the way a user drives it: its setup dialog answered with clicks and keys,
// its message boxes read and dismissed, its window grabbed from the screen.
// Every wait is bounded, so a player that does not react fails the test
// instead of hanging it.
#pragma once

#include "tests/support/process.h"
#include "tests/support/x_windows.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

// Why these tests cannot run here (no Xvfb, xdotool, xwininfo or import),
// or empty.
std::string playerToolsMissing();

// The production built into build/Data.
const std::filesystem::path& productionData();
bool productionBuilt();

// Makes `folder`/Data a folder of links to the production's entries, except
// those named in `except` (e.g. "Sound"), which are left out.
void linkProduction(const std::filesystem::path& folder, const std::vector<std::string>& except = {});

class PlayerSession {
 public:
  // A screen of width x height for the player; its full-screen window takes
  // all of it.
  PlayerSession(int width, int height);

  bool ok() const { return server_.ok(); }
  const XDisplay& display() const { return server_.display(); }
  int width() const { return width_; }

  // Starts the player in `folder` (which holds Data/) with extra
  // environment ("NAME=value"); at the lowest priority when `gentle`, for
  // runs that take a minute or more beside other tests.
  void start(const std::filesystem::path& folder, std::vector<std::string> environment,
             bool gentle = false);
  ChildProcess& player() { return *player_; }

  // Waits for the setup dialog; its window id, or empty.
  std::string waitForDialog();
  // Clicks the "Loop demo" check box of the dialog.
  void checkLoopDemo(const std::string& dialog);
  // Presses Enter in the dialog (Start) and waits for the show's full-screen
  // window; its id, or empty.
  std::string startShow(const std::string& dialog);

  // The message boxes on screen (windows named "ERROR").
  std::vector<std::string> messageBoxes() const;
  // Reads the player's messages one box at a time: each must be on stderr
  // as "ERROR: <text>" in the given order, with its box on screen and no
  // later message before the box is dismissed (with Enter). Returns a
  // description of what went wrong, or empty.
  std::string dismissMessages(const std::vector<std::string>& expected);

  // What is on the screen, for failure reports: the window tree and the
  // player's stderr.
  std::string describe() const;

  // The "ERROR: " lines the player has written to stderr so far.
  std::vector<std::string> messages() const;

  // The whole screen's pixels now (raw RGB), or empty: on this server the
  // show's full-screen window is all there is to see. (A grab of the GL
  // window itself reads its undefined backing, not what is shown.)
  std::string grabScreen() const { return display().grab("root"); }

 private:
  PrivateXServer server_;
  int width_;
  std::unique_ptr<ChildProcess> player_;
};

}  // namespace tessaly::test
