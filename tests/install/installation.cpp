#include "tests/install/installation.h"

#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace tessaly::test {

using namespace std::chrono_literals;

CommandResult runProgram(const std::vector<std::string>& command,
                         const std::filesystem::path& directory,
                         const std::vector<std::string>& environment) {
  ChildProcess child("/usr/bin/env", command, {directory.string(), environment, ""});
  CommandResult result;
  if (const auto status = child.wait(300s)) {
    result.status = *status;
  }
  result.out = child.standardOutput();
  result.err = child.standardError();
  return result;
}

bool onPath(const std::string& program) {
  return runProgram({"sh", "-c", "command -v \"$0\" >/dev/null", program}).status == 0;
}

std::filesystem::path buildPath(const std::string& relative) {
  return std::filesystem::path(TESSALY_BINARY_DIR) / relative;
}

std::filesystem::path sourcePath(const std::string& relative) {
  return std::filesystem::path(TESSALY_SOURCE_DIR) / relative;
}

Installation::Installation(const std::string& name)
    : lock_(open(TESSALY_BINARY_DIR "/install-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644)),
      prefix_(folder_.path() / name) {
  if (lock_ >= 0) flock(lock_, LOCK_EX);
}

Installation::~Installation() {
  // The prefix goes with the temporary folder, and so do the manifest and
  // the record that describe it.
  std::error_code ignored;
  std::filesystem::remove(buildPath("install_manifest_tessaly.txt"), ignored);
  std::filesystem::remove(buildPath("install_directories_tessaly.txt"), ignored);
  if (lock_ >= 0) close(lock_);
}

CommandResult Installation::install() const {
  return runProgram({TESSALY_CMAKE_COMMAND, "--install", buildPath().string(), "--prefix",
                     prefix_.string(), "--component", "tessaly"});
}

CommandResult Installation::uninstall() const {
  return runProgram({TESSALY_CMAKE_COMMAND,
                     "-DMANIFEST=" + buildPath("install_manifest_tessaly.txt").string(), "-P",
                     sourcePath("install/uninstall.cmake").string()});
}

void Installation::moveTo(const std::string& name) {
  const std::filesystem::path moved = folder_.path() / name;
  std::filesystem::rename(prefix_, moved);
  prefix_ = moved;
}

std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  if (!std::filesystem::exists(root, error)) {
    return entries;
  }
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    const std::string relative = std::filesystem::relative(it->path(), root).string();
    if (it->is_symlink()) {
      entries[relative] = "link:" + std::filesystem::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      entries[relative] = "dir";
    } else {
      const std::string content = readFile(it->path());
      entries[relative] = "file:" + std::to_string(content.size()) + ":" +
                          std::to_string(std::hash<std::string>{}(content));
    }
  }
  return entries;
}

std::vector<std::string> filesBelow(const std::filesystem::path& root) {
  std::vector<std::string> files;
  for (const auto& [path, kind] : snapshot(root)) {
    if (kind != "dir") {
      files.push_back(path);
    }
  }
  return files;  // a map's keys: sorted
}

}  // namespace tessaly::test
