// tessaly-content writes the same bytes on every run, replaces only a
// folder it made itself, and leaves the previous content in place when a
// run fails.
#include "tests/content/content_data.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

// Runs the generator with the build's arguments into `output`; `fontBold`
// replaces the bold font. Returns the exit status.
int generate(const fs::path& output, const std::string& fontBold = TESSALY_CONTENT_FONT_BOLD) {
  const std::string command = std::string("'") + TESSALY_CONTENT_TOOL + "' --shaders '" +
                              TESSALY_CONTENT_SHADERS + "' --licence '" + TESSALY_CONTENT_LICENCE +
                              "' --font-bold '" + fontBold + "' --font-regular '" +
                              TESSALY_CONTENT_FONT_REGULAR + "' --lame '" + TESSALY_CONTENT_LAME +
                              "' '" + output.string() + "' > /dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::string> contents(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
    }
  }
  return files;
}

TEST(Generator, TwoRunsWriteTheSameBytes) {
  const TempDir temp;
  ASSERT_EQ(generate(temp.path() / "first"), 0);
  ASSERT_EQ(generate(temp.path() / "second"), 0);
  const std::map<std::string, std::string> first = contents(temp.path() / "first");
  const std::map<std::string, std::string> second = contents(temp.path() / "second");
  ASSERT_GE(first.size(), 70u);
  ASSERT_EQ(first.size(), second.size());
  for (const auto& [name, bytes] : first) {
    const auto other = second.find(name);
    ASSERT_NE(other, second.end()) << name;
    EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
  }
  EXPECT_FALSE(fs::exists(temp.path() / "first.partial"));
}

TEST(Generator, LeavesAFolderItDidNotMakeAlone) {
  const TempDir temp;
  temp.write("Data/notes.txt", "mine");
  EXPECT_NE(generate(temp.path() / "Data"), 0);
  EXPECT_EQ(readFile(temp.path() / "Data" / "notes.txt"), "mine");
}

TEST(Generator, AFailedRunKeepsThePreviousContent) {
  const TempDir temp;
  const fs::path data = temp.path() / "Data";
  fs::create_directories(data / "Rocket");
  temp.write("Data/LICENSE", "Tessaly stand-in production");
  temp.write("Data/Rocket/sync_fov.track", "old");
  EXPECT_NE(generate(data, (temp.path() / "missing.ttf").string()), 0);
  EXPECT_EQ(readFile(data / "Rocket" / "sync_fov.track"), "old");
}

}  // namespace
}  // namespace tessaly::test
