// Change notification for a directory tree, standing in for an asynchronous
// directory-change read over a whole subtree.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tessaly::platform {

// Watches a directory and every directory below it (directories that appear
// later are watched as they appear) for files and directories that are
// created, written, or moved in. One thread waits; any thread may stop it.
class DirectoryWatch {
 public:
  enum class Result {
    changes,   // names were appended
    overflow,  // the system dropped changes; the watch is over
    stopped,   // stop() was called, or the watched directory went away
    failed,    // reading the changes failed; the watch is over
  };

  DirectoryWatch();
  ~DirectoryWatch();
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;

  // Starts watching `root` and the directories below it. False when `root`
  // itself cannot be watched (missing, not a directory, no permission, no
  // notification resources); a directory below it that cannot be watched is
  // left out.
  bool open(const std::string& root);

  // Blocks until something changes or the watch ends. Appends the name
  // (without directory) of every created, written or moved-in file or
  // directory, one per notification, in arrival order; a new directory's
  // contents, found when it is added to the watch, count as created.
  Result waitForChanges(std::vector<std::string>& names);

  // Makes the current or next waitForChanges return `stopped`. Safe from
  // any thread, also before open.
  void stop();

 private:
  void watchTree(const std::string& directory, std::vector<std::string>* found);

  int notifyFd_ = -1;
  int stopFd_ = -1;
  int rootWatch_ = -1;
  std::map<int, std::string> directories_;  // watch descriptor -> path
};

}  // namespace tessaly::platform
