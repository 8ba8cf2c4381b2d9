#include "tests/e2e/player_session.h"

#include "platform/setup_window.h"

#include <algorithm>
#include <sstream>
#include <thread>

namespace tessaly::test {

namespace {

using namespace std::chrono_literals;

const std::string playerPath = std::string(TESSALY_BINARY_DIR) + "/tessaly";
const std::string title = "Tessaly demosystem";
constexpr auto windowTimeout = 30s;

bool onPath(const std::string& program) {
  int status = -1;
  runCommand("command -v " + program + " >/dev/null 2>&1", &status);
  return status == 0;
}

}  // namespace

std::string playerToolsMissing() {
  for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "import"}) {
    if (!onPath(tool)) {
      return std::string("needs ") + tool;
    }
  }
  return {};
}

const std::filesystem::path& productionData() {
  static const std::filesystem::path data = std::filesystem::path(TESSALY_BINARY_DIR) / "Data";
  return data;
}

bool productionBuilt() {
  return std::filesystem::is_regular_file(productionData() / "Shaders/Filters.frag");
}

void linkProduction(const std::filesystem::path& folder, const std::vector<std::string>& except) {
  std::filesystem::create_directories(folder / "Data");
  for (const auto& entry : std::filesystem::directory_iterator(productionData())) {
    const std::string name = entry.path().filename().string();
    if (std::find(except.begin(), except.end(), name) == except.end()) {
      std::filesystem::create_symlink(entry.path(), folder / "Data" / name);
    }
  }
}

PlayerSession::PlayerSession(int width, int height) : server_(width, height), width_(width) {}

void PlayerSession::start(const std::filesystem::path& folder, std::vector<std::string> environment,
                          bool gentle) {
  for (const std::string& entry : display().environment()) {
    environment.push_back(entry);
  }
  std::vector<std::string> arguments;
  std::string program = playerPath;
  if (gentle) {
    // nice executes the player in its own process, so the pid stays the player's.
    arguments = {"-n", "19", playerPath};
    program = "/usr/bin/nice";
  }
  player_ = std::make_unique<ChildProcess>(
      program, arguments, ChildProcess::Options{folder.string(), environment, ""});
}

std::string PlayerSession::waitForDialog() {
  return display().waitForWindow(title, player_->pid(), windowTimeout,
                                 [&] { return !player_->running(); });
}

void PlayerSession::checkLoopDemo(const std::string& dialog) {
  const platform::DialogRect row =
      platform::setupWindowLayout().checks[platform::DialogControls::loopDemo];
  // The box sits at the left end of its row.
  const int x = row.x + row.height / 2;
  const int y = row.y + row.height / 2;
  display().succeeds("xdotool windowraise " + dialog + " mousemove --window " + dialog + " " +
                     std::to_string(x) + " " + std::to_string(y) + " click 1");
  // Two frames of the dialog: the press, then the release.
  std::this_thread::sleep_for(300ms);
}

std::string PlayerSession::startShow(const std::string& dialog) {
  display().pressKey(dialog, "Return");
  std::string show;
  waitFor(windowTimeout, [&] {
    // The dialog is narrower than the screen. (The show's window may get the
    // dialog's id again: both are the first window of a fresh connection.)
    for (const std::string& id : display().windows(title, player_->pid())) {
      if (display().info("-id " + id, "Width") == width_) {
        show = id;
      }
    }
    return !show.empty() || !player_->running();
  });
  return show;
}

std::vector<std::string> PlayerSession::messageBoxes() const {
  // SDL names its boxes with a UTF-8 WM_NAME, which xdotool's name search
  // does not read; xwininfo's tree shows it.
  std::vector<std::string> boxes;
  std::istringstream tree(display().run("xwininfo -root -tree"));
  std::string line;
  while (std::getline(tree, line)) {
    const std::size_t at = line.find(" \"ERROR\":");
    if (at == std::string::npos) continue;
    std::istringstream fields(line);
    std::string id;
    fields >> id;
    if (display().run("xwininfo -id " + id).find("Map State: IsViewable") != std::string::npos) {
      boxes.push_back(id);
    }
  }
  return boxes;
}

std::string PlayerSession::describe() const {
  return "windows:\n" + display().run("xwininfo -root -tree") + "stderr:\n" +
         (player_ ? player_->standardError() : std::string());
}

std::vector<std::string> PlayerSession::messages() const {
  std::vector<std::string> result;
  std::istringstream err(player_->standardError());
  std::string line;
  while (std::getline(err, line)) {
    if (line.rfind("ERROR: ", 0) == 0) {
      result.push_back(line.substr(7));
    }
  }
  return result;
}

std::string PlayerSession::dismissMessages(const std::vector<std::string>& expected) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    std::vector<std::string> boxes;
    const bool shown = waitFor(windowTimeout, [&] {
      boxes = messageBoxes();
      return (!boxes.empty() && messages().size() > i) || !player_->running();
    });
    const std::vector<std::string> seen = messages();
    if (!shown || boxes.empty()) {
      return "message " + std::to_string(i + 1) + " ('" + expected[i] + "') never showed a box";
    }
    // The box holds the player: nothing after this message yet.
    if (seen.size() != i + 1 || seen[i] != expected[i]) {
      std::string got;
      for (const std::string& message : seen) got += "'" + message + "' ";
      return "with box " + std::to_string(i + 1) + " on screen the messages are " + got +
             "; wanted '" + expected[i] + "' as number " + std::to_string(i + 1);
    }
    if (boxes.size() != 1) {
      return std::to_string(boxes.size()) + " boxes at once for '" + expected[i] + "'";
    }
    display().pressKey(boxes.front(), "Return");
    // Closed once it is gone, or once the player has gone on to a later
    // message (the next box may reuse the id of this one).
    if (!waitFor(windowTimeout, [&] {
          return messageBoxes().empty() || messages().size() > i + 1 || !player_->running();
        })) {
      return "the box of '" + expected[i] + "' did not close on Enter";
    }
  }
  return {};
}

}  // namespace tessaly::test
