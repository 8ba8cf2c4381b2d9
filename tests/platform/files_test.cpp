#include "platform/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace tessaly::platform {
namespace {

TEST(ListFiles, MatchesTheExtensionCaseInsensitivelySortedAndNotRecursive) {
  test::TempDir dir;
  dir.write("b.png", "x");
  dir.write("A.PNG", "x");
  dir.write("c.Png", "x");
  dir.write("d.png.bak", "x");
  dir.write("e.jpg", "x");
  dir.write("epng", "x");
  dir.write("sub/f.png", "x");
  std::filesystem::create_directory(dir.path() / "folder.png");

  const auto names = listFiles(dir.path().string() + "/", "png");
  EXPECT_EQ(names, (std::vector<std::string>{"A.PNG", "b.png", "c.Png"}));
  EXPECT_EQ(listFiles(dir.path().string(), "jpg"), (std::vector<std::string>{"e.jpg"}));
}

TEST(ListFiles, AMissingDirectoryListsNothing) {
  test::TempDir dir;
  EXPECT_TRUE(listFiles(dir.file("absent/"), "png").empty());
  EXPECT_TRUE(listFiles(dir.file("absent"), "png").empty());
}

TEST(ListFiles, FollowsLinksToFilesButNotToDirectories) {
  test::TempDir dir;
  dir.write("real.obj", "v 0 0 0\n");
  std::filesystem::create_symlink(dir.path() / "real.obj", dir.path() / "link.obj");
  std::filesystem::create_symlink(dir.path() / "missing.obj", dir.path() / "dangling.obj");
  std::filesystem::create_directory_symlink(dir.path(), dir.path() / "loop.obj");
  EXPECT_EQ(listFiles(dir.path().string(), "obj"),
            (std::vector<std::string>{"link.obj", "real.obj"}));
}

TEST(FileIdentity, StaysWhileTheFileStaysAndChangesWhenItIsWrittenOrReplaced) {
  test::TempDir dir;
  const std::string path = dir.write("picture.png", "first");
  const auto identity = fileIdentity(path);
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(fileIdentity(path), identity);

  // Written again with the same length: the times tell (file times tick
  // in steps of a few milliseconds).
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  dir.write("picture.png", "again");
  const auto written = fileIdentity(path);
  ASSERT_TRUE(written.has_value());
  EXPECT_NE(written, identity);

  // Replaced by another file moved over it: a new inode.
  const std::string other = dir.write("other.png", "again");
  std::filesystem::rename(other, path);
  EXPECT_NE(fileIdentity(path), written);

  EXPECT_FALSE(fileIdentity(dir.file("missing.png")).has_value());
}

}  // namespace
}  // namespace tessaly::platform
