// The data watcher: a background thread that records the names of files and
// directories created or written anywhere under the data directory while the
// demo plays. Nothing is reloaded; the list is there to be read.
#pragma once

#include "platform/directory_watch.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly::watch {

// The newest names kept; older ones are dropped.
inline constexpr std::size_t maxChangedFiles = 4096;

inline constexpr const char* watchFailedMessage =
    "Failed to open directory - Program will not see any file changes!";

// Names in arrival order, at most `capacity` of them (the newest). Appends
// and snapshots may come from different threads.
class ChangeList {
 public:
  explicit ChangeList(std::size_t capacity = maxChangedFiles) : capacity_(capacity) {}

  void append(const std::vector<std::string>& names);
  std::vector<std::string> snapshot() const;
  std::size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::string> names_;
  std::size_t capacity_;
};

// The newest file changes a reader has not taken yet; more arriving before
// it takes them are dropped, and the reader is told that it lost some.
inline constexpr std::size_t maxPendingChanges = 65536;

// Changes with their paths, for one reader that takes them as they come (a
// program that reloads what changed). Appends and takes may come from
// different threads.
class ChangeFeed {
 public:
  explicit ChangeFeed(std::size_t capacity = maxPendingChanges) : capacity_(capacity) {}

  void append(const std::vector<platform::WatchedChange>& changes);
  // Marks changes as lost (the system dropped some, or the feed was full).
  void markLost();
  // Everything appended since the last take, oldest first; `lost` tells
  // whether changes were dropped since then (the reader must then look at
  // everything again).
  std::vector<platform::WatchedChange> take(bool& lost);

 private:
  std::mutex mutex_;
  std::vector<platform::WatchedChange> changes_;
  std::size_t capacity_;
  bool lost_ = false;
};

class DataWatcher {
 public:
  enum class State { notStarted, opening, watching, stopped };

  // Will watch `directory` (and everything below it) once started.
  explicit DataWatcher(std::string directory);
  // Asks a running thread to stop; it ends on its own, never waited for.
  ~DataWatcher();
  DataWatcher(const DataWatcher&) = delete;
  DataWatcher& operator=(const DataWatcher&) = delete;

  // Starts the detached watcher thread; later calls do nothing. When the
  // directory cannot be watched, the thread shows watchFailedMessage once
  // and ends. An overflow of changes ends the watching silently.
  void start();

  // Ends the watching; the thread ends on its own soon after.
  void stop();

  const std::string& watchedDirectory() const;
  // A copy of the changed names, oldest first.
  std::vector<std::string> changedFiles() const;
  State state() const;
  // The changes with their paths below the watched directory since the last
  // call (see ChangeFeed::take). An overflow or a failed read marks them
  // lost, as well as ending the watch.
  std::vector<platform::WatchedChange> takeChanges(bool& lost);
  // Waits up to `timeout` until the thread watches or has stopped; returns
  // the state reached.
  State waitWhileStarting(std::chrono::milliseconds timeout) const;
  // Waits up to `timeout` until the thread has stopped; true when it has.
  bool waitUntilStopped(std::chrono::milliseconds timeout) const;

 private:
  struct Shared;
  static void run(std::shared_ptr<Shared> keep);

  std::shared_ptr<Shared> shared_;
};

// A started watcher of the current directory + "/Data", the player's: its
// detached thread runs while the watcher is kept (the player keeps it until
// the process ends).
std::unique_ptr<DataWatcher> startDataWatcher();

}  // namespace tessaly::watch
