// An installation of the build into a fresh prefix under a temporary
// folder, as `cmake --install build --prefix P` makes it, and the commands
// the install tests run on it.
//
// The tests install the component "tessaly" (every install rule's), so
// CMake writes their manifest to build/install_manifest_tessaly.txt and a
// real installation's build/install_manifest.txt stays as it is. Tests that
// install share that file, so an Installation holds a lock (a file in the
// build folder) from its creation to its end: one at a time.
#pragma once

#include "tests/support/temp_dir.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tessaly::test {

// A command's exit status (-1 when it did not end in time) and output.
struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `command` (looked up on PATH) in `directory` (empty: the test's
// own), with extra environment entries "NAME=value".
CommandResult runProgram(const std::vector<std::string>& command,
                         const std::filesystem::path& directory = {},
                         const std::vector<std::string>& environment = {});

// Whether `program` is on PATH.
bool onPath(const std::string& program);

class Installation {
 public:
  // The prefix `name` under a fresh temporary folder; nothing is installed
  // yet. The name may hold spaces. The prefix, the tests' manifest and
  // their record of directories go when the object goes.
  explicit Installation(const std::string& name = "prefix with space");

  const std::filesystem::path& prefix() const { return prefix_; }
  std::filesystem::path operator/(const std::string& relative) const { return prefix_ / relative; }
  const TempDir& folder() const { return folder_; }

  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  // `cmake --install` into the prefix.
  CommandResult install() const;
  // The uninstall script on the tests' manifest.
  CommandResult uninstall() const;

  // Moves the prefix to `name` in the same temporary folder.
  void moveTo(const std::string& name);

 private:
  int lock_;
  TempDir folder_;
  std::filesystem::path prefix_;
};

// Every entry below `root`, by path relative to it: "dir" for a directory,
// "link:" and the target for a symbolic link, "file:" with the size and a
// hash of the content for a file.
std::map<std::string, std::string> snapshot(const std::filesystem::path& root);

// The files (and links) below `root`, by relative path, sorted.
std::vector<std::string> filesBelow(const std::filesystem::path& root);

// The build's folder and the source tree's.
std::filesystem::path buildPath(const std::string& relative = {});
std::filesystem::path sourcePath(const std::string& relative = {});

}  // namespace tessaly::test
