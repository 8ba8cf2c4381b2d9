// tessaly-studio's command line and its message panel's store.
#include "platform/error_box.h"
#include "tools/studio/message_log.h"
#include "tools/studio/studio_options.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tessaly::studio {
namespace {

TEST(StudioOptions, GoodCommandLines) {
  const ParseResult none = parseStudioOptions({});
  ASSERT_EQ(none.error, "");
  EXPECT_EQ(none.options.directory, ".");
  EXPECT_FALSE(none.options.at);
  EXPECT_EQ(none.options.width, 1280);
  EXPECT_TRUE(none.options.multisampling);

  const ParseResult all = parseStudioOptions({"--size",
                                              "640x360",
                                              "--no-multisampling",
                                              "--loop",
                                              "--speed",
                                              "0.5",
                                              "--rows-per-beat",
                                              "4",
                                              "--at",
                                              "12.5",
                                              "--shot",
                                              "a.png",
                                              "--shot-after-reload",
                                              "b.png",
                                              "--shot-with-panels",
                                              "--timeout",
                                              "20",
                                              "--no-panels",
                                              "--editor",
                                              "--shot-after-save",
                                              "c.png",
                                              "prod"});
  ASSERT_EQ(all.error, "");
  const StudioOptions& o = all.options;
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 360);
  EXPECT_FALSE(o.multisampling);
  EXPECT_TRUE(o.loop);
  EXPECT_EQ(o.speed, 0.5);
  EXPECT_EQ(o.rowsPerBeat, 4);
  EXPECT_EQ(o.at, 12.5);
  EXPECT_EQ(o.shot, "a.png");
  EXPECT_EQ(o.shotAfterReload, "b.png");
  EXPECT_EQ(o.shotAfterSave, "c.png");
  EXPECT_TRUE(o.editor);
  EXPECT_TRUE(o.shotWithPanels);
  EXPECT_EQ(o.timeout, 20.0);
  EXPECT_FALSE(o.panels);
  EXPECT_EQ(o.directory, "prod");
  EXPECT_TRUE(parseStudioOptions({"--help"}).options.help);
}

TEST(StudioOptions, BadCommandLinesSayWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--at"}, "--at needs a value"},
      {{"--at", "-1"}, "--at wants a time in seconds, 0 or more, not \"-1\""},
      {{"--at", "nan"}, "--at wants a time in seconds, 0 or more, not \"nan\""},
      {{"--at", "5s"}, "--at wants a time in seconds, 0 or more, not \"5s\""},
      {{"--size", "640"}, "--size wants WIDTHxHEIGHT, each 1 to 16384, not \"640\""},
      {{"--size", "0x360"}, "--size wants WIDTHxHEIGHT, each 1 to 16384, not \"0x360\""},
      {{"--speed", "3"}, "--speed wants a factor from 0.25 to 2, not \"3\""},
      {{"--speed", "0.1"}, "--speed wants a factor from 0.25 to 2, not \"0.1\""},
      {{"--rows-per-beat", "0"}, "--rows-per-beat wants a whole number from 1 to 1024, not \"0\""},
      {{"--timeout", "0"}, "--timeout wants a time in seconds above 0, not \"0\""},
      {{"--shot", ""}, "--shot needs a file name"},
      {{"--shot-after-save", ""}, "--shot-after-save needs a file name"},
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"a", "b"}, "one folder only: \"b\" after \"a\""},
  };
  for (const auto& [arguments, error] : cases) {
    EXPECT_EQ(parseStudioOptions(arguments).error, error) << arguments.front();
  }
}

TEST(StudioOptions, TheHelpListsEveryKey) {
  const std::string help = studioUsageText();
  for (const char* key :
       {"Space", "Left / Right", "Shift+Left / Right", "Page Up / Page Down", "Home / End", "I / O",
        "F1", "Escape", "--at SECONDS", "--shot FILE", "muted", "F3", "Ctrl+S", "Ctrl+Z",
        "Ctrl+Up / Ctrl+Down", "Delete", "--editor", "--shot-after-save FILE"}) {
    EXPECT_NE(help.find(key), std::string::npos) << key;
  }
}

TEST(MessageLog, KeepsTheNewestFromAnyThreadAndTheSinkNeverBlocks) {
  MessageLog log(3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&log] {
      for (int i = 0; i < 50; ++i)
        log.add("from a thread");
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(log.total(), 200u);
  const std::vector<Message> kept = log.snapshot();
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept.front().number, 198u);
  EXPECT_EQ(kept.back().number, 200u);

  MessageLog shown;
  sendMessagesTo(shown);
  testing::internal::CaptureStderr();
  platform::showErrorBox("DevIL failed to load: Copper.png");
  const std::string err = testing::internal::GetCapturedStderr();
  platform::setErrorSink({});
  EXPECT_EQ(err, "ERROR: DevIL failed to load: Copper.png\n");
  ASSERT_EQ(shown.snapshot().size(), 1u);
  EXPECT_EQ(shown.snapshot()[0].text, "DevIL failed to load: Copper.png");
}

}  // namespace
}  // namespace tessaly::studio
