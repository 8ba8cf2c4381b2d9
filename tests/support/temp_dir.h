// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes, and helpers to fill it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaly::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path() / relative, as a string.
  std::string file(std::string_view relative) const;

  // Writes bytes to path() / relative, creating folders on the way; returns
  // the full path.
  std::string write(std::string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// Makes `directory` the working directory while it lives (readers and the
// player resolve "Data/..." against it).
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::filesystem::path& directory);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// Writes bytes to `path`, creating folders on the way.
void writeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tessaly::test
