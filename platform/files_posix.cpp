// Directory listing with POSIX opendir/readdir.
#include "platform/files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace tessaly::platform {

namespace {

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

bool endsWithExtension(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size() + 1) {
    return false;
  }
  std::string_view tail = name.substr(name.size() - extension.size());
  if (name[name.size() - extension.size() - 1] != '.') {
    return false;
  }
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(tail[i])) !=
        std::tolower(static_cast<unsigned char>(extension[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> listFiles(const std::string& directory, std::string_view extension) {
  std::vector<std::string> names;
  std::string base = directory.empty() ? std::string(".") : directory;
  DIR* dir = opendir(base.c_str());
  if (dir == nullptr) {
    return names;
  }
  if (base.back() != '/') {
    base.push_back('/');
  }
  while (dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (!endsWithExtension(name, extension)) {
      continue;
    }
    struct stat info {};
    std::string path = base + std::string(name);
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.emplace_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.size = static_cast<std::int64_t>(info.st_size);
  identity.modified = nanoseconds(info.st_mtim);
  identity.changed = nanoseconds(info.st_ctim);
  return identity;
}

}  // namespace tessaly::platform
