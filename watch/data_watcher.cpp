// The watcher thread over the platform's directory-tree notification.
#include "watch/data_watcher.h"

#include "assets/path_limit.h"
#include "platform/directory_watch.h"
#include "platform/error_box.h"

#include <condition_variable>
#include <filesystem>
#include <thread>
#include <utility>

namespace tessaly::watch {

void ChangeList::append(const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::string& name : names) {
    names_.push_back(name);
    if (names_.size() > capacity_) {
      names_.pop_front();
    }
  }
}

std::vector<std::string> ChangeList::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {names_.begin(), names_.end()};
}

std::size_t ChangeList::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return names_.size();
}

void ChangeFeed::append(const std::vector<platform::WatchedChange>& changes) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const platform::WatchedChange& change : changes) {
    if (changes_.size() >= capacity_) {
      lost_ = true;
      return;
    }
    changes_.push_back(change);
  }
}

void ChangeFeed::markLost() {
  std::lock_guard<std::mutex> lock(mutex_);
  lost_ = true;
}

std::vector<platform::WatchedChange> ChangeFeed::take(bool& lost) {
  std::lock_guard<std::mutex> lock(mutex_);
  lost = std::exchange(lost_, false);
  return std::exchange(changes_, {});
}

// What the thread and the owner share; the thread keeps it alive after the
// owner is gone.
struct DataWatcher::Shared {
  explicit Shared(std::string directory) : directory(std::move(directory)) {}

  const std::string directory;
  platform::DirectoryWatch watch;
  ChangeList changedFiles;
  ChangeFeed feed;

  mutable std::mutex stateMutex;
  mutable std::condition_variable stateChanged;
  State state = State::notStarted;

  void setState(State next) {
    {
      std::lock_guard<std::mutex> lock(stateMutex);
      state = next;
    }
    stateChanged.notify_all();
  }
};

DataWatcher::DataWatcher(std::string directory)
    : shared_(std::make_shared<Shared>(std::move(directory))) {}

DataWatcher::~DataWatcher() { stop(); }

void DataWatcher::start() {
  {
    std::lock_guard<std::mutex> lock(shared_->stateMutex);
    if (shared_->state != State::notStarted) {
      return;
    }
    shared_->state = State::opening;
  }
  // The thread holds its own reference: the owner may go while it runs.
  std::thread(run, shared_).detach();
}

void DataWatcher::stop() { shared_->watch.stop(); }

void DataWatcher::run(std::shared_ptr<Shared> keep) {
  const bool fits = keep->directory.size() <= assets::maxPathLength;
  if (!fits || !keep->watch.open(keep->directory)) {
    platform::showErrorBox(watchFailedMessage);
    keep->setState(State::stopped);
    return;
  }
  keep->setState(State::watching);

  std::vector<std::string> names;
  std::vector<platform::WatchedChange> changes;
  while (true) {
    names.clear();
    changes.clear();
    const platform::DirectoryWatch::Result result = keep->watch.waitForChanges(names, &changes);
    keep->changedFiles.append(names);
    keep->feed.append(changes);
    if (result != platform::DirectoryWatch::Result::changes) {
      // Overflow, stop or a failed read: the watching ends silently; a
      // reader of the feed learns that it may have missed changes.
      if (result != platform::DirectoryWatch::Result::stopped) {
        keep->feed.markLost();
      }
      break;
    }
  }
  keep->setState(State::stopped);
}

const std::string& DataWatcher::watchedDirectory() const { return shared_->directory; }

std::vector<std::string> DataWatcher::changedFiles() const { return shared_->changedFiles.snapshot(); }

std::vector<platform::WatchedChange> DataWatcher::takeChanges(bool& lost) {
  return shared_->feed.take(lost);
}

DataWatcher::State DataWatcher::state() const {
  std::lock_guard<std::mutex> lock(shared_->stateMutex);
  return shared_->state;
}

DataWatcher::State DataWatcher::waitWhileStarting(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(shared_->stateMutex);
  shared_->stateChanged.wait_for(lock, timeout, [&] {
    return shared_->state == State::watching || shared_->state == State::stopped;
  });
  return shared_->state;
}

bool DataWatcher::waitUntilStopped(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(shared_->stateMutex);
  return shared_->stateChanged.wait_for(lock, timeout,
                                        [&] { return shared_->state == State::stopped; });
}

std::unique_ptr<DataWatcher> startDataWatcher() {
  std::error_code error;
  const std::string current = std::filesystem::current_path(error).string();
  auto watcher = std::make_unique<DataWatcher>(current + "/Data");
  watcher->start();
  return watcher;
}

}  // namespace tessaly::watch
