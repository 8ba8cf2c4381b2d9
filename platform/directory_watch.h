// Change notification for a directory tree, standing in for an asynchronous
// directory-change read over a whole subtree.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tessaly::platform {

// Watches a directory and every directory below it (directories that appear
// later are watched as they appear) for files and directories that are
// created, written, or moved in. A directory moved out of the tree is no
// longer watched, nor anything below it. One thread waits; any thread may
// stop it.
// One notification about a file or directory, by its path below the watched
// root ("Shaders/Overlay.frag").
struct WatchedChange {
  std::string path;
  // The writer is done with it: closed after writing, moved in, or found in
  // a new directory. A change that is not finished may be followed by more
  // writes.
  bool finished = false;
};

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
  // When `changes` is given, each notification is also appended there with
  // its path below the root.
  Result waitForChanges(std::vector<std::string>& names,
                        std::vector<WatchedChange>* changes = nullptr);

  // Makes the current or next waitForChanges return `stopped`. Safe from
  // any thread, also before open.
  void stop();

 private:
  void watchTree(const std::string& directory, std::vector<std::string>* found,
                 std::vector<WatchedChange>* changes);
  // Ends the watches of the directory at `path` and of every directory below it.
  void unwatchTree(const std::string& path);
  // `path` (below or at the root) relative to the root, without a leading '/'.
  std::string relativeToRoot(const std::string& path) const;

  int notifyFd_ = -1;
  int stopFd_ = -1;
  int rootWatch_ = -1;
  std::string root_;
  std::map<int, std::string> directories_;  // watch descriptor -> path
};

}  // namespace tessaly::platform
