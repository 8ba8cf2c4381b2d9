#include "tests/support/player_windows.h"

#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace tessaly::test {

bool haveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

WindowTurn::WindowTurn()
    : fd_(open(TESSALY_BINARY_DIR "/setup-dialog-window.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644)) {
  if (fd_ >= 0) flock(fd_, LOCK_EX);
}

WindowTurn::~WindowTurn() {
  if (fd_ >= 0) close(fd_);
}

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

std::string waitForPlayerWindow(ChildProcess& player, std::chrono::milliseconds timeout, int width) {
  std::string found;
  waitFor(timeout, [&] {
    for (const auto& [id, windowWidth] : playerWindows(player.pid())) {
      if (width == 0 || windowWidth == width) found = id;
    }
    return !found.empty() || !player.running();
  });
  return found;
}

}  // namespace tessaly::test
