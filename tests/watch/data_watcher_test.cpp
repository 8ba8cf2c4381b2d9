#include "watch/data_watcher.h"
#include "assets/path_limit.h"
#include "platform/error_box.h"
#include "tests/support/error_recorder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tessaly::watch {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Polls the watcher's list until `done` holds or ten seconds passed.
template <typename Done>
std::vector<std::string> waitForList(const DataWatcher& watcher, Done done) {
  const auto deadline = Clock::now() + 10s;
  std::vector<std::string> names = watcher.changedFiles();
  while (!done(names) && Clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
    names = watcher.changedFiles();
  }
  return names;
}

TEST(ChangeList, KeepsTheNewestNamesInArrivalOrder) {
  ChangeList list(3);
  list.append({"a", "b"});
  list.append({"c", "d", "e"});
  EXPECT_EQ(list.snapshot(), (std::vector<std::string>{"c", "d", "e"}));
  EXPECT_EQ(list.size(), 3u);

  ChangeList full;  // the watcher's own bound
  std::vector<std::string> many;
  for (int i = 0; i < 5000; ++i) {
    many.push_back(std::to_string(i));
  }
  full.append(many);
  const std::vector<std::string> kept = full.snapshot();
  ASSERT_EQ(kept.size(), maxChangedFiles);
  EXPECT_EQ(kept.front(), "904");
  EXPECT_EQ(kept.back(), "4999");
}

TEST(DataWatcher, RecordsAFileInTexturesAndOneInANewModelsSubdirectory) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data/Textures");
  fs::create_directories(folder.path() / "Data/Models");
  DataWatcher watcher(folder.file("Data"));
  EXPECT_EQ(watcher.state(), DataWatcher::State::notStarted);
  watcher.start();
  ASSERT_EQ(watcher.waitWhileStarting(10s), DataWatcher::State::watching);

  folder.write("Data/Textures/Foo.png", "png");
  folder.write("Data/Models/Boat/Bar.obj", "v 0 0 0\n");
  const std::vector<std::string> names = waitForList(watcher, [](const auto& list) {
    return contains(list, "Foo.png") && contains(list, "Bar.obj");
  });
  EXPECT_TRUE(contains(names, "Foo.png"));
  EXPECT_TRUE(contains(names, "Bar.obj"));
  EXPECT_TRUE(contains(names, "Boat"));  // directories count too
  EXPECT_EQ(watcher.state(), DataWatcher::State::watching);

  watcher.stop();
  EXPECT_TRUE(watcher.waitUntilStopped(10s));
}

TEST(DataWatcher, AMissingDataShowsTheMessageOnceFromItsThreadAndEnds) {
  test::TempDir folder;
  std::mutex mutex;
  std::vector<std::pair<std::string, std::thread::id>> shown;
  const platform::ErrorSink previous = platform::setErrorSink([&](std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex);
    shown.emplace_back(std::string(text), std::this_thread::get_id());
  });
  {
    DataWatcher watcher(folder.file("Data"));
    watcher.start();
    watcher.start();  // a second start does nothing
    EXPECT_TRUE(watcher.waitUntilStopped(10s));
    EXPECT_TRUE(watcher.changedFiles().empty());
  }
  platform::setErrorSink(previous);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].first, "Failed to open directory - Program will not see any file changes!");
  EXPECT_NE(shown[0].second, std::this_thread::get_id());
}

TEST(DataWatcher, ADirectoryPathLongerThan259CharactersIsNotOpened) {
  test::TempDir folder;
  fs::path deep = folder.path();
  while (deep.string().size() + 5 <= assets::maxPathLength) {
    deep /= std::string(40, 'd');
  }
  fs::create_directories(deep / "Data");
  const std::string data = (deep / "Data").string();
  ASSERT_GT(data.size(), assets::maxPathLength);

  test::ErrorRecorder errors;
  DataWatcher watcher(data);
  watcher.start();
  EXPECT_TRUE(watcher.waitUntilStopped(10s));
  EXPECT_EQ(errors.messages(), (std::vector<std::string>{watchFailedMessage}));
}

TEST(DataWatcher, ManyChangesAtOnceNeverCrashAndTheListStaysBounded) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data/Textures");
  test::ErrorRecorder errors;
  DataWatcher watcher(folder.file("Data"));
  watcher.start();
  ASSERT_EQ(watcher.waitWhileStarting(10s), DataWatcher::State::watching);

  // Each write gives up to three notifications: far more than 4096 names,
  // possibly more than the system queues (which ends the watching).
  constexpr int files = 6000;
  for (int i = 0; i < files; ++i) {
    std::ofstream(folder.path() / "Data/Textures" / ("t" + std::to_string(i) + ".png")) << "x";
  }
  const std::string last = "t" + std::to_string(files - 1) + ".png";
  const auto finished = [&](const std::vector<std::string>& list) {
    return contains(list, last) || watcher.state() == DataWatcher::State::stopped;
  };
  const std::vector<std::string> names = waitForList(watcher, finished);
  ASSERT_TRUE(finished(names)) << "neither the last file nor an overflow within ten seconds";

  // Either way the list holds only names of files written, whole, in the
  // order they were written, and nothing was said: an overflow ends the
  // watching silently.
  ASSERT_FALSE(names.empty());
  EXPECT_LE(names.size(), maxChangedFiles);
  int previous = -1;
  for (const std::string& name : names) {
    ASSERT_TRUE(name.size() > 1 && name[0] == 't') << "not a name that was written: " << name;
    int index = -1;
    const auto parsed = std::from_chars(name.data() + 1, name.data() + name.size(), index);
    ASSERT_EQ(name, "t" + std::to_string(index) + ".png") << "not a name that was written";
    ASSERT_EQ(parsed.ec, std::errc());
    ASSERT_GE(index, previous) << name << " arrived after t" << previous << ".png";
    previous = index;
  }
  EXPECT_TRUE(errors.messages().empty());

  if (watcher.state() == DataWatcher::State::stopped) {
    // Ended by the overflow: nothing written afterwards is recorded.
    folder.write("Data/After.png", "x");
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(contains(watcher.changedFiles(), "After.png"));
  } else {
    // Took the flood: the list is full and the watching goes on.
    EXPECT_EQ(names.size(), maxChangedFiles);
    EXPECT_EQ(names.back(), last);
    folder.write("Data/After.png", "x");
    EXPECT_TRUE(contains(waitForList(watcher, [](const auto& list) {
                           return contains(list, "After.png");
                         }),
                         "After.png"));
  }
  // The thread ends before its folder goes.
  watcher.stop();
  EXPECT_TRUE(watcher.waitUntilStopped(10s));
}

TEST(StartDataWatcher, WatchesDataInTheCurrentDirectory) {
  test::TempDir folder;
  fs::create_directories(folder.path() / "Data");
  test::ScopedWorkingDirectory inside(folder.path());
  const std::unique_ptr<DataWatcher> watcher = startDataWatcher();
  ASSERT_NE(watcher, nullptr);
  EXPECT_EQ(watcher->watchedDirectory(), fs::current_path().string() + "/Data");
  EXPECT_EQ(watcher->waitWhileStarting(10s), DataWatcher::State::watching);

  folder.write("Data/Seen.png", "x");
  EXPECT_TRUE(contains(waitForList(*watcher, [](const auto& list) { return contains(list, "Seen.png"); }),
                       "Seen.png"));
  // The thread ends before its folder goes.
  watcher->stop();
  EXPECT_TRUE(watcher->waitUntilStopped(10s));
}

}  // namespace
}  // namespace tessaly::watch
