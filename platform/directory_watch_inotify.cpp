// Directory-tree change notification with inotify: one watch per directory,
// an eventfd to wake the waiting thread when the watch is stopped.
#include "platform/directory_watch.h"

#include "platform/notify_records.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tessaly::platform {

namespace {

// Created, written (each write and the close after writing), moved in; and
// moved out, which is not a change but ends the watch of a directory that
// leaves the tree.
constexpr std::uint32_t watchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM;
// The root is followed when it is a link to a directory (a Data folder kept
// elsewhere); below it only real directories are watched, so a link can
// neither lead the watch out of the tree nor round in a loop.
constexpr std::uint32_t rootFlags = watchedEvents | IN_ONLYDIR;
constexpr std::uint32_t watchFlags = watchedEvents | IN_ONLYDIR | IN_DONT_FOLLOW;

// The size of one read of notifications.
constexpr std::size_t readBufferSize = 16384;

}  // namespace

DirectoryWatch::DirectoryWatch() : stopFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

DirectoryWatch::~DirectoryWatch() {
  if (notifyFd_ >= 0) {
    close(notifyFd_);
  }
  if (stopFd_ >= 0) {
    close(stopFd_);
  }
}

void DirectoryWatch::stop() {
  if (stopFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopFd_, &one, sizeof one);
  }
}

bool DirectoryWatch::open(const std::string& root) {
  if (notifyFd_ >= 0 || stopFd_ < 0) {
    return false;
  }
  notifyFd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (notifyFd_ < 0) {
    return false;
  }
  rootWatch_ = inotify_add_watch(notifyFd_, root.c_str(), rootFlags);
  if (rootWatch_ < 0) {
    close(notifyFd_);
    notifyFd_ = -1;
    return false;
  }
  directories_[rootWatch_] = root;
  root_ = root;
  watchTree(root, nullptr, nullptr);
  return true;
}

std::string DirectoryWatch::relativeToRoot(const std::string& path) const {
  if (path.size() <= root_.size()) {
    return {};
  }
  return path.substr(root_.size() + 1);
}

void DirectoryWatch::watchTree(const std::string& directory, std::vector<std::string>* found,
                               std::vector<WatchedChange>* changes) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) {
    return;
  }
  std::vector<std::string> subdirectories;
  while (const dirent* entry = readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
      continue;
    }
    const std::string path = directory + "/" + name;
    if (found != nullptr) {
      found->emplace_back(name);
      if (changes != nullptr) {
        changes->push_back({relativeToRoot(path), true});
      }
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      subdirectories.push_back(path);
    }
  }
  closedir(listing);
  for (const std::string& path : subdirectories) {
    const int watch = inotify_add_watch(notifyFd_, path.c_str(), watchFlags);
    if (watch < 0) {
      continue;  // left out; the rest of the tree is still watched
    }
    directories_[watch] = path;
    watchTree(path, found, changes);
  }
}

void DirectoryWatch::unwatchTree(const std::string& path) {
  const std::string below = path + "/";
  for (auto entry = directories_.begin(); entry != directories_.end();) {
    const std::string& watched = entry->second;
    if (entry->first != rootWatch_ &&
        (watched == path || watched.compare(0, below.size(), below) == 0)) {
      inotify_rm_watch(notifyFd_, entry->first);
      entry = directories_.erase(entry);
    } else {
      ++entry;
    }
  }
}

DirectoryWatch::Result DirectoryWatch::waitForChanges(std::vector<std::string>& names,
                                                      std::vector<WatchedChange>* changes) {
  if (notifyFd_ < 0) {
    return Result::failed;
  }
  char buffer[readBufferSize];
  const std::size_t namesBefore = names.size();
  while (true) {
    pollfd waits[2] = {{stopFd_, POLLIN, 0}, {notifyFd_, POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return Result::failed;
    }
    if ((waits[0].revents & POLLIN) != 0) {
      return Result::stopped;
    }
    const ssize_t length = read(notifyFd_, buffer, sizeof buffer);
    if (length < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      return Result::failed;
    }
    const std::vector<NotifyRecord> records =
        decodeNotifyRecords(std::string_view(buffer, static_cast<std::size_t>(length)));
    for (std::size_t index = 0; index < records.size(); ++index) {
      const NotifyRecord& record = records[index];
      if ((record.mask & IN_Q_OVERFLOW) != 0) {
        return Result::overflow;
      }
      if ((record.mask & IN_IGNORED) != 0) {
        directories_.erase(record.watch);
        if (record.watch == rootWatch_) {
          return Result::stopped;  // the watched directory is gone
        }
        continue;
      }
      if (record.name.empty()) {
        continue;
      }
      if ((record.mask & IN_MOVED_FROM) != 0) {
        // A directory renamed within the tree keeps its watches: its
        // moved-in half, which follows at once, adds them again under the
        // new path (the system hands back the same watches). One moved out
        // of the tree is no longer watched, nor anything below it: what
        // happens there is not in the tree.
        const auto parent = directories_.find(record.watch);
        const bool renamedInside =
            index + 1 < records.size() && (records[index + 1].mask & IN_MOVED_TO) != 0 &&
            records[index + 1].cookie == record.cookie &&
            directories_.count(records[index + 1].watch) != 0;
        if ((record.mask & IN_ISDIR) != 0 && parent != directories_.end() && !renamedInside) {
          unwatchTree(parent->second + "/" + std::string(record.name));
        }
        continue;
      }
      const auto parent = directories_.find(record.watch);
      if (parent == directories_.end()) {
        // Queued before its directory was moved out and unwatched.
        continue;
      }
      const std::string name(record.name);
      names.push_back(name);
      const bool newDirectory =
          (record.mask & IN_ISDIR) != 0 && (record.mask & (IN_CREATE | IN_MOVED_TO)) != 0;
      if (changes != nullptr) {
        const std::string parentPath = relativeToRoot(parent->second);
        const bool finished = (record.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0;
        changes->push_back({parentPath.empty() ? name : parentPath + "/" + name, finished});
      }
      if (newDirectory) {
        const std::string path = parent->second + "/" + name;
        const int watch = inotify_add_watch(notifyFd_, path.c_str(), watchFlags);
        if (watch >= 0) {
          directories_[watch] = path;
          // What was made in a new directory before its watch existed was
          // created too; what a moved-in directory holds was not.
          watchTree(path, (record.mask & IN_CREATE) != 0 ? &names : nullptr, changes);
        }
      }
    }
    if (names.size() > namesBefore) {
      return Result::changes;
    }
  }
}

}  // namespace tessaly::platform
