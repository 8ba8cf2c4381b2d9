#include "tests/support/x_windows.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <thread>

namespace tessaly::test {

namespace {

using namespace std::chrono_literals;

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) {
    if (c == '\'') {
      result += "'\\''";
    } else {
      result += c;
    }
  }
  return result + "'";
}

}  // namespace

XDisplay::XDisplay(std::string name) : name_(std::move(name)) {}

std::vector<std::string> XDisplay::environment() const {
  if (name_.empty()) return {};
  return {"DISPLAY=" + name_};
}

std::string XDisplay::run(const std::string& command, int* status) const {
  const std::string prefix = name_.empty() ? "" : "DISPLAY=" + quoted(name_) + " ";
  return runCommand(prefix + "timeout 10 " + command + " 2>/dev/null", status);
}

bool XDisplay::succeeds(const std::string& command) const {
  int status = -1;
  run(command + " >/dev/null", &status);
  return status == 0;
}

std::vector<std::string> XDisplay::windows(const std::string& title, int pid) const {
  std::string command = "xdotool search --all --onlyvisible";
  if (pid > 0) {
    command += " --pid " + std::to_string(pid);
  }
  command += " --name " + quoted("^" + title + "$");
  std::istringstream ids(run(command));
  std::vector<std::string> result;
  std::string id;
  while (ids >> id) {
    result.push_back(id);
  }
  return result;
}

std::string XDisplay::waitForWindow(const std::string& title, int pid,
                                    std::chrono::milliseconds timeout,
                                    const std::function<bool()>& giveUp) const {
  std::string found;
  waitFor(timeout, [&] {
    const std::vector<std::string> ids = windows(title, pid);
    if (!ids.empty()) {
      found = ids.front();
    }
    return !found.empty() || (giveUp && giveUp());
  });
  return found;
}

int XDisplay::info(const std::string& which, const std::string& field) const {
  const std::string report = run("xwininfo " + which);
  const std::size_t at = report.find(field + ":");
  return at == std::string::npos ? -1 : std::atoi(report.c_str() + at + field.size() + 1);
}

bool XDisplay::pressKey(const std::string& window, const std::string& key) const {
  return succeeds("xdotool windowfocus " + window + " key " + key);
}

std::string XDisplay::grab(const std::string& window) const {
  return run("import -silent -window " + window + " -depth 8 rgb:-");
}

PrivateXServer::PrivateXServer(int width, int height) {
  // -displayfd 1: the server picks a free display and writes its number on
  // stdout, which the child process keeps in a file.
  server_ = std::make_unique<ChildProcess>(
      "/usr/bin/Xvfb",
      std::vector<std::string>{"-displayfd", "1", "-screen", "0",
                               std::to_string(width) + "x" + std::to_string(height) + "x24",
                               "-nolisten", "tcp", "-noreset"},
      ChildProcess::Options{});
  if (!server_->started()) {
    return;
  }
  std::string number;
  waitFor(20s, [&] {
    const std::string out = server_->standardOutput();
    if (out.find('\n') != std::string::npos) {
      number = out.substr(0, out.find('\n'));
    }
    return !number.empty() || !server_->running();
  });
  if (number.empty()) {
    return;
  }
  display_ = XDisplay(":" + number);
  ok_ = waitFor(10s, [&] { return display_.succeeds("xdotool getmouselocation"); });
}

PrivateXServer::~PrivateXServer() {
  if (server_ && server_->running()) {
    server_->kill(SIGTERM);
    server_->wait(5s);
  }
}

WindowTurn::WindowTurn()
    : fd_(open(TESSALY_BINARY_DIR "/setup-dialog-window.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644)) {
  if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

WindowTurn::~WindowTurn() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

bool haveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

bool haveXDisplay() {
  return haveDisplay() && XDisplay().succeeds("xdotool getmouselocation");
}

}  // namespace tessaly::test
