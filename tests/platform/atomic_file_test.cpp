// Atomic replacement: a failure at any step of the write leaves the old
// content whole, no temporary file behind and a message naming the file;
// success keeps the file's permissions.
#include "platform/atomic_file.h"

#include "platform/atomic_file_detail.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace tessaly::platform {
namespace {

// Which call fails, and how.
enum class Step { none, open, firstWrite, laterWrite, zeroWrite, fsync, close, rename };
Step failing = Step::none;
int writes = 0;

detail::FileCalls failingCalls() {
  detail::FileCalls calls = detail::systemFileCalls();
  calls.open = [](const char* path, int flags, mode_t mode) {
    if (failing == Step::open) {
      errno = EACCES;
      return -1;
    }
    return detail::systemFileCalls().open(path, flags, mode);
  };
  calls.write = [](int fd, const void* buffer, size_t count) -> ssize_t {
    ++writes;
    if ((failing == Step::firstWrite && writes == 1) || (failing == Step::laterWrite && writes == 2)) {
      errno = ENOSPC;
      return -1;
    }
    if (failing == Step::zeroWrite) {
      return 0;
    }
    // A few bytes at a time, so the write takes several calls.
    return detail::systemFileCalls().write(fd, buffer, count < 3 ? count : 3);
  };
  calls.fsync = [](int fd) {
    if (failing == Step::fsync) {
      errno = EIO;
      return -1;
    }
    return detail::systemFileCalls().fsync(fd);
  };
  calls.close = [](int fd) {
    const int result = detail::systemFileCalls().close(fd);
    if (failing == Step::close) {
      errno = EIO;
      return -1;
    }
    return result;
  };
  calls.rename = [](const char* from, const char* to) {
    if (failing == Step::rename) {
      errno = EXDEV;
      return -1;
    }
    return detail::systemFileCalls().rename(from, to);
  };
  return calls;
}

TEST(AtomicFile, AFailureAtEachStepLeavesTheOldFileWholeAndNothingBeside) {
  struct Case {
    Step step;
    const char* reason;
  };
  const Case cases[] = {{Step::open, "Permission denied"},  {Step::firstWrite, "No space"},
                        {Step::laterWrite, "No space"},     {Step::zeroWrite, "No space"},
                        {Step::fsync, "Input/output error"}, {Step::close, "Input/output error"},
                        {Step::rename, "cross-device"}};
  test::TempDir dir;
  const std::string path = dir.write("sync_fov.track", "the old content");
  const detail::FileCalls calls = failingCalls();
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    failing = c.step;
    writes = 0;
    std::string error;
    EXPECT_FALSE(detail::writeFileAtomically(path, "the new content, longer", error, calls));
    EXPECT_EQ(error.rfind("cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(test::readFile(path), "the old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
  }
  failing = Step::none;
  std::string error;
  EXPECT_TRUE(detail::writeFileAtomically(path, "the new content, longer", error, calls)) << error;
  EXPECT_EQ(test::readFile(path), "the new content, longer");
}

TEST(AtomicFile, KeepsPermissionsMakesNewFilesAndRefusesAFolder) {
  test::TempDir dir;
  const std::string path = dir.write("private.track", "old");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  std::string error;
  ASSERT_TRUE(writeFileAtomically(path, "new", error)) << error;
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  ASSERT_TRUE(writeFileAtomically(dir.file("fresh.track"), "", error)) << error;
  EXPECT_EQ(test::readFile(dir.file("fresh.track")), "");

  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_FALSE(writeFileAtomically(dir.file("folder"), "x", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
  EXPECT_FALSE(writeFileAtomically(dir.file("missing/x.track"), "x", error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

}  // namespace
}  // namespace tessaly::platform
