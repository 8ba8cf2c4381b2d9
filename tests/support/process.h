// Runs a program of the build (or a function in a forked copy of the test)
// as a child process, for end-to-end tests of the real binaries: a working
// directory, extra environment, stderr and stdout captured to files, a
// bounded wait, and a kill when the test leaves before the child ended.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace tessaly::test {

class ChildProcess {
 public:
  struct Options {
    std::string workingDirectory;                // empty: the test's own
    std::vector<std::string> environment;        // "NAME=value" set, "NAME=" with no value unsets
    std::string stdinText;                       // written to the child's stdin, then closed
  };

  // Starts `program` with `arguments`; check started().
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const Options& options);
  // Runs `body` in a forked copy of the test process (for code that needs a
  // process of its own, such as a modal dialog); its result is the exit
  // status. The child leaves with _exit, so no test teardown runs twice.
  ChildProcess(const std::function<int()>& body, const Options& options);
  ~ChildProcess();  // kills the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  int pid() const { return pid_; }

  // Waits for the exit at most `timeout`; the exit status (0-255), or -signal
  // when a signal ended it, or nothing when it is still running.
  std::optional<int> wait(std::chrono::milliseconds timeout);
  bool running();
  void kill(int signal);

  std::string standardError() const;
  std::string standardOutput() const;

 private:
  // Forks; the child enters the working directory, takes the environment
  // and the captured streams, then runs `inChild`, which must not return.
  void start(const Options& options, const std::function<void()>& inChild);

  int pid_ = -1;
  std::optional<int> status_;
  std::string outPath_;
  std::string errPath_;
};

// `program` with `arguments` as run under `wrapper` (a program and its own
// arguments, e.g. setpriv ...): the program to start and all its
// arguments. An empty wrapper leaves the command as it is.
std::pair<std::string, std::vector<std::string>> wrapCommand(const std::vector<std::string>& wrapper,
                                                             const std::string& program,
                                                             std::vector<std::string> arguments);

// A wrapper under which a child meets file permissions the way a user does,
// so a file or folder of mode 000 cannot be read: as root, setpriv without
// the capabilities that override permissions; otherwise env. Tried on a
// folder made in `scratch`; empty when permissions cannot be made to bind
// here.
std::vector<std::string> permissionsBindingWrapper(const std::string& scratch);

// Runs a shell command line and returns its standard output (for xdotool and
// friends); `status` receives the exit status when given.
std::string runCommand(const std::string& commandLine, int* status = nullptr);

// Polls `probe` every 50 ms until it returns true or `timeout` passes.
template <typename Probe>
bool waitFor(std::chrono::milliseconds timeout, Probe probe);

}  // namespace tessaly::test

#include <thread>

template <typename Probe>
bool tessaly::test::waitFor(std::chrono::milliseconds timeout, Probe probe) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (probe()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}
