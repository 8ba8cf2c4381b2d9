#include "platform/error_box.h"
#include "tests/support/error_recorder.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace tessaly::platform {
namespace {

TEST(FormatMessage, FillsTheFileNameAndCutsAt255Characters) {
  EXPECT_EQ(formatMessage("DevIL failed to load: %s", "Sky.jpg"), "DevIL failed to load: Sky.jpg");
  EXPECT_EQ(formatMessage("No argument here", "x"), "No argument here");

  const std::string longName(400, 'n');
  const std::string cut = formatMessage("DevIL failed to load: %s", longName);
  EXPECT_EQ(cut.size(), maxMessageLength);
  EXPECT_EQ(cut.substr(0, 22), "DevIL failed to load: ");
}

TEST(ShowErrorBox, ReachesTheInstalledSinkInOrderFromAnyThread) {
  test::ErrorRecorder recorder;
  showErrorBox("first");
  std::thread other([] { showErrorBox("from another thread"); });
  other.join();
  showErrorBox(std::string(300, 'x'));
  const auto messages = recorder.messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "first");
  EXPECT_EQ(messages[1], "from another thread");
  EXPECT_EQ(messages[2].size(), maxMessageLength);
}

TEST(ShowErrorBox, WithoutADisplayTheDefaultSinkOnlyPrints) {
  // Without DISPLAY the default sink cannot block on a box nobody closes.
  std::string err;
  {
    test::ScopedEnvironmentVariable noX("DISPLAY");
    test::ScopedEnvironmentVariable noWayland("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    showErrorBox("Unable to initialize GLFW!");
    err = testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(err, "ERROR: Unable to initialize GLFW!\n");
}

}  // namespace
}  // namespace tessaly::platform
