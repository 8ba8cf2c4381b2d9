#include "platform/directory_watch.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace tessaly::platform {
namespace {

using namespace std::chrono_literals;
using Result = DirectoryWatch::Result;
namespace fs = std::filesystem;

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Stops the watch after `timeout` unless dismissed first, so a wait for
// changes that never come ends the test instead of hanging it.
class Watchdog {
 public:
  Watchdog(DirectoryWatch& watch, std::chrono::seconds timeout)
      : thread_([this, &watch, timeout] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!cv_.wait_for(lock, timeout, [this] { return dismissed_; })) {
            watch.stop();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      dismissed_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool dismissed_ = false;
  std::thread thread_;
};

// Waits for changes until every name in `wanted` arrived or the watch ended.
Result collect(DirectoryWatch& watch, std::vector<std::string>& names,
               const std::vector<std::string>& wanted) {
  Watchdog watchdog(watch, 10s);
  while (true) {
    const Result result = watch.waitForChanges(names);
    const bool all = std::all_of(wanted.begin(), wanted.end(),
                                 [&](const std::string& name) { return contains(names, name); });
    if (result != Result::changes || all) {
      return result;
    }
  }
}

TEST(DirectoryWatch, ReportsNamesCreatedOrWrittenAnywhereBelowTheRoot) {
  test::TempDir folder;
  folder.write("Data/Textures/Old.png", "x");
  fs::create_directories(folder.path() / "Data/Models");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));

  folder.write("Data/Textures/Old.png", "rewritten");
  folder.write("Data/Textures/Foo.png", "new");
  // A new directory and a file made in it at once, before it can be watched.
  folder.write("Data/Models/Ship/Hull/Bar.obj", "v 0 0 0\n");
  folder.write("Data/Top.jpg", "x");

  std::vector<std::string> names;
  const Result result =
      collect(watch, names, {"Old.png", "Foo.png", "Ship", "Hull", "Bar.obj", "Top.jpg"});
  EXPECT_EQ(result, Result::changes);
  for (const char* name : {"Old.png", "Foo.png", "Ship", "Hull", "Bar.obj", "Top.jpg"}) {
    EXPECT_TRUE(contains(names, name)) << name;
  }
  // Names only, never a directory part.
  for (const std::string& name : names) {
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
  }

  // A directory made later is watched too.
  std::vector<std::string> later;
  folder.write("Data/Models/Ship/Hull/Deck/Rail.mtl", "newmtl a\n");
  collect(watch, later, {"Rail.mtl"});
  folder.write("Data/Models/Ship/Hull/Deck/Mast.obj", "v 1 1 1\n");
  collect(watch, later, {"Mast.obj"});
  EXPECT_TRUE(contains(later, "Rail.mtl"));
  EXPECT_TRUE(contains(later, "Mast.obj"));
}

TEST(DirectoryWatch, ReportsFilesAndDirectoriesMovedIn) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data");
  folder.write("Outside/Moved.png", "x");
  folder.write("Outside/Tree/Inner.obj", "x");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));

  fs::rename(folder.path() / "Outside/Moved.png", folder.path() / "Data/Moved.png");
  fs::rename(folder.path() / "Outside/Tree", folder.path() / "Data/Tree");
  std::vector<std::string> names;
  collect(watch, names, {"Moved.png", "Tree"});
  EXPECT_TRUE(contains(names, "Moved.png"));
  EXPECT_TRUE(contains(names, "Tree"));

  // The moved-in directory is watched from now on.
  folder.write("Data/Tree/Leaf.png", "x");
  collect(watch, names, {"Leaf.png"});
  EXPECT_TRUE(contains(names, "Leaf.png"));
}

// A directory moved out of the tree takes its watches (its own and its
// subtree's) with it; one renamed inside the tree is watched under its new
// path, with the paths of the changes below it.
TEST(DirectoryWatch, ForgetsDirectoriesMovedOutAndFollowsOnesRenamedInside) {
  test::TempDir folder;
  folder.write("Data/Gone/Deeper/Old.png", "x");
  folder.write("Data/Renamed/Deeper/Old.png", "x");
  fs::create_directories(folder.path() / "Outside");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));

  fs::rename(folder.path() / "Data/Gone", folder.path() / "Outside/Gone");
  fs::rename(folder.path() / "Data/Renamed", folder.path() / "Data/NewName");
  folder.write("Outside/Gone/Left.png", "x");
  folder.write("Outside/Gone/Deeper/LeftToo.png", "x");
  folder.write("Data/NewName/Deeper/Kept.png", "x");
  folder.write("Data/Marker.png", "x");
  std::vector<std::string> names;
  std::vector<WatchedChange> changes;
  Watchdog watchdog(watch, 10s);
  while (!contains(names, "Marker.png") || !contains(names, "Kept.png")) {
    ASSERT_EQ(watch.waitForChanges(names, &changes), Result::changes);
  }
  EXPECT_FALSE(contains(names, "Left.png"));
  EXPECT_FALSE(contains(names, "LeftToo.png"));
  EXPECT_FALSE(contains(names, "Gone"));  // moving out is not a change
  EXPECT_TRUE(contains(names, "NewName"));
  EXPECT_TRUE(std::any_of(changes.begin(), changes.end(), [](const WatchedChange& change) {
    return change.path == "NewName/Deeper/Kept.png";
  }));

  // Still nothing from the moved-out tree after more changes in it.
  folder.write("Outside/Gone/Deeper/Later.png", "x");
  folder.write("Data/Marker2.png", "x");
  while (!contains(names, "Marker2.png")) {
    ASSERT_EQ(watch.waitForChanges(names, &changes), Result::changes);
  }
  EXPECT_FALSE(contains(names, "Later.png"));
}

TEST(DirectoryWatch, CannotWatchAMissingRootOrAFile) {
  test::TempDir folder;
  folder.write("Data", "a file, not a directory");
  DirectoryWatch onFile;
  EXPECT_FALSE(onFile.open(folder.file("Data")));
  DirectoryWatch onNothing;
  EXPECT_FALSE(onNothing.open(folder.file("Missing")));
  std::vector<std::string> names;
  EXPECT_EQ(onNothing.waitForChanges(names), Result::failed);
}

TEST(DirectoryWatch, FollowsARootThatLinksToADirectoryButNoLinkBelowIt) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Content/Textures");
  fs::create_directory_symlink(folder.path() / "Content", folder.path() / "Data");
  // A loop below the root, and a link out of the tree.
  fs::create_directory_symlink(".", folder.path() / "Content/Textures/Loop");
  fs::create_directories(folder.path() / "Elsewhere");
  fs::create_directory_symlink(folder.path() / "Elsewhere", folder.path() / "Content/Out");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));

  folder.write("Elsewhere/Outside.png", "x");
  folder.write("Content/Textures/Foo.png", "x");
  std::vector<std::string> names;
  EXPECT_EQ(collect(watch, names, {"Foo.png"}), Result::changes);
  EXPECT_TRUE(contains(names, "Foo.png"));
  EXPECT_FALSE(contains(names, "Outside.png")) << "the link out of the tree is not followed";
}

TEST(DirectoryWatch, StopWakesTheWaitingThread) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));
  std::thread stopper([&] {
    std::this_thread::sleep_for(50ms);
    watch.stop();
  });
  std::vector<std::string> names;
  EXPECT_EQ(watch.waitForChanges(names), Result::stopped);
  stopper.join();
  EXPECT_TRUE(names.empty());
}

TEST(DirectoryWatch, EndsWhenTheRootGoesAway) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));
  fs::remove(folder.path() / "Data");
  std::vector<std::string> names;
  EXPECT_EQ(collect(watch, names, {"never"}), Result::stopped);
}

TEST(DirectoryWatch, AnOverflowOfTheSystemsQueueEndsTheWatch) {
  // Each new empty file gives two notifications (created, closed after
  // writing); make more than the system queues while nobody reads.
  std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
  long limit = 0;
  if (!(limitFile >> limit) || limit <= 0 || limit > 200000) {
    GTEST_SKIP() << "unusual notification queue size " << limit;
  }
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data");
  DirectoryWatch watch;
  ASSERT_TRUE(watch.open(folder.file("Data")));
  const long files = limit / 2 + 100;
  for (long i = 0; i < files; ++i) {
    std::ofstream(folder.path() / "Data" / ("f" + std::to_string(i)));
  }
  std::vector<std::string> names;
  EXPECT_EQ(collect(watch, names, {"never"}), Result::overflow);
  EXPECT_LE(names.size(), static_cast<std::size_t>(limit));
}

}  // namespace
}  // namespace tessaly::platform
