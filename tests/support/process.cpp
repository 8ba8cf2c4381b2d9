#include "tests/support/process.h"

#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace tessaly::test {

namespace {

std::string temporaryFile(const char* tag) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string("tessaly-") + tag + "-XXXXXX")).string();
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) close(fd);
  return pattern;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const Options& options)
    : outPath_(temporaryFile("out")), errPath_(temporaryFile("err")) {
  start(options, [&] {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  });
}

ChildProcess::ChildProcess(const std::function<int()>& body, const Options& options)
    : outPath_(temporaryFile("out")), errPath_(temporaryFile("err")) {
  start(options, [&] {
    const int status = body();
    std::fflush(nullptr);
    _exit(status);
  });
}

void ChildProcess::start(const Options& options, const std::function<void()>& inChild) {
  int input[2] = {-1, -1};
  if (pipe(input) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
      _exit(127);
    }
    for (const std::string& entry : options.environment) {
      const auto eq = entry.find('=');
      if (eq == std::string::npos) continue;
      const std::string name = entry.substr(0, eq);
      const std::string value = entry.substr(eq + 1);
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    dup2(input[0], STDIN_FILENO);
    close(input[0]);
    close(input[1]);
    const int out = open(outPath_.c_str(), O_WRONLY | O_TRUNC);
    const int err = open(errPath_.c_str(), O_WRONLY | O_TRUNC);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    inChild();
    _exit(127);
  }
  close(input[0]);
  if (pid_ > 0 && !options.stdinText.empty()) {
    const ssize_t written = write(input[1], options.stdinText.data(), options.stdinText.size());
    (void)written;
  }
  close(input[1]);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  std::remove(outPath_.c_str());
  std::remove(errPath_.c_str());
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (status_ || pid_ <= 0) return status_;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
      return status_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool ChildProcess::running() {
  return pid_ > 0 && !wait(std::chrono::milliseconds(0));
}

void ChildProcess::kill(int signal) {
  if (pid_ > 0 && !status_) ::kill(pid_, signal);
}

std::string ChildProcess::standardError() const { return readFile(errPath_); }
std::string ChildProcess::standardOutput() const { return readFile(outPath_); }

std::pair<std::string, std::vector<std::string>> wrapCommand(const std::vector<std::string>& wrapper,
                                                             const std::string& program,
                                                             std::vector<std::string> arguments) {
  if (wrapper.empty()) {
    return {program, std::move(arguments)};
  }
  arguments.insert(arguments.begin(), program);
  arguments.insert(arguments.begin(), wrapper.begin() + 1, wrapper.end());
  return {wrapper.front(), std::move(arguments)};
}

std::vector<std::string> permissionsBindingWrapper(const std::string& scratch) {
  const std::vector<std::string> wrapper =
      geteuid() == 0
          ? std::vector<std::string>{"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"}
          : std::vector<std::string>{"/usr/bin/env"};
  const auto lists = [&](const std::filesystem::path& folder) {
    const auto [program, arguments] = wrapCommand(wrapper, "/bin/ls", {folder.string()});
    ChildProcess ls(program, arguments, {});
    return ls.wait(std::chrono::seconds(10)) == 0;
  };
  const std::filesystem::path locked = std::filesystem::path(scratch) / "permissions-probe";
  std::filesystem::create_directories(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const bool binds = lists(scratch) && !lists(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  std::filesystem::remove(locked);
  return binds ? wrapper : std::vector<std::string>{};
}

std::string runCommand(const std::string& commandLine, int* status) {
  std::string output;
  FILE* pipe = popen(commandLine.c_str(), "r");
  if (pipe == nullptr) {
    if (status) *status = -1;
    return output;
  }
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int result = pclose(pipe);
  if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

}  // namespace tessaly::test
