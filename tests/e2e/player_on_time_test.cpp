// The real player without its music and without a sound device: its
// messages come as boxes, one at a time and in order, and once they are
// dismissed the show still plays and ends by itself at 81.6 s with status 0.
// And with "Loop demo" checked, the show plays on past 81.6 s until Escape.
// "On time" is 81.6 s of music time, which both runs can only reach in as
// much real time (a missing soundtrack runs on the wall clock; a soundtrack
// without a device on a silent real-time clock; a shorter soundtrack would
// hold at its end and never reach it), so these take a minute and a half
// each and carry the label "long". The shows have no tracks, so the player
// only presents frames, at the lowest priority.
#include "tests/e2e/player_session.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double demoLength = 81.6;
// Start-up of an empty show, the last frame, shutdown: well within this.
constexpr double lateness = 20.0;

class PlayerOnTime : public testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = playerToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
    session_ = std::make_unique<PlayerSession>(800, 450);
    ASSERT_TRUE(session_->ok()) << "no X server of the test's own";
    // The filter and demo programs, and nothing else: no pictures, models,
    // scenes or tracks.
    writeFilterShaders(folder.path());
    writeDemoTestShaders(folder.path());
  }
  PlayerSession& session() { return *session_; }

  // Starts the show from the dialog, reads and dismisses `messages`, then
  // waits for the end: status 0, 81.6 s (and not much more) after the last
  // box was dismissed, with no further message.
  void expectMessagesThenAnEndOnTime(const std::vector<std::string>& messages,
                                     std::vector<std::string> environment) {
    session().start(folder.path(), std::move(environment), true);
    const std::string dialog = session().waitForDialog();
    ASSERT_FALSE(dialog.empty()) << "no setup dialog; " << session().describe();
    ASSERT_FALSE(session().startShow(dialog).empty())
        << "no full-screen show window; " << session().describe();

    const std::string problem = session().dismissMessages(messages);
    const Clock::time_point dismissed = Clock::now();
    ASSERT_EQ(problem, "") << session().player().standardError();

    const auto limit = std::chrono::duration<double>(demoLength + lateness);
    const std::optional<int> status =
        session().player().wait(std::chrono::duration_cast<std::chrono::milliseconds>(limit));
    const double took = std::chrono::duration<double>(Clock::now() - dismissed).count();
    ASSERT_TRUE(status.has_value()) << "still running " << took << " s after the last message";
    std::printf("the show ended %.2f s after its last message box was dismissed\n", took);
    EXPECT_EQ(*status, 0) << session().player().standardError();
    // The clock starts once the boxes are gone, so the end cannot come
    // before 81.6 s from there (a little slack for the wait's own steps).
    EXPECT_GE(took, demoLength - 0.25);
    EXPECT_EQ(session().messages(), messages) << "no message after the boxes";
  }

  // A soundtrack a little longer than the show, small and quick to make.
  void writeSoundtrack() {
    Tone tone;
    tone.seconds = demoLength + 3.0;
    tone.rate = 22050;
    tone.channels = 1;
    tone.bitrateKbps = 32;
    std::filesystem::create_directories(folder.file("Data/Sound"));
    ASSERT_FALSE(
        makeToneMp3(folder.file("Data/Sound"), "KestruneOriginalSoundtrack", tone).empty());
  }

  TempDir folder;

 private:
  std::unique_ptr<PlayerSession> session_;
};

TEST_F(PlayerOnTime, WithoutTheMusicFileThreeMessagesComeInOrderAndTheShowEndsOnTime) {
  expectMessagesThenAnEndOnTime(
      {"Bass file loading failed!", "Music failed to play!", "Failed to start song at the start"},
      {"SDL_AUDIODRIVER=dummy"});
}

TEST_F(PlayerOnTime, WithoutASoundDeviceTheInitMessageComesAndTheShowEndsOnTime) {
  if (!lameAvailable()) GTEST_SKIP() << "needs lame";
  writeSoundtrack();
  // No dummy driver: a driver that does not exist opens no device.
  expectMessagesThenAnEndOnTime({"Bass init failed! Remembered the bass.dll file?"},
                                {"SDL_AUDIODRIVER=tessaly-no-such-driver"});
}

TEST_F(PlayerOnTime, WithLoopDemoTheShowPlaysOnPastItsLengthUntilEscape) {
  if (!lameAvailable()) GTEST_SKIP() << "needs lame";
  writeSoundtrack();
  session().start(folder.path(), {"SDL_AUDIODRIVER=dummy"}, true);
  const std::string dialog = session().waitForDialog();
  ASSERT_FALSE(dialog.empty()) << "no setup dialog; " << session().describe();
  session().checkLoopDemo(dialog);
  const std::string show = session().startShow(dialog);
  ASSERT_FALSE(show.empty()) << "no full-screen show window; " << session().describe();
  const Clock::time_point started = Clock::now();

  // Without the loop the show would end at 81.6 s of music; the soundtrack
  // runs 84.6 s, so by 88 s it has wrapped and the show must still be on.
  const std::optional<int> early = session().player().wait(88s);
  const double took = std::chrono::duration<double>(Clock::now() - started).count();
  ASSERT_FALSE(early.has_value()) << "the looping show ended by itself after " << took
                                  << " s with status " << *early << "; "
                                  << session().player().standardError();
  std::printf("the looping show was still playing %.2f s after it started\n", took);

  ASSERT_TRUE(session().display().pressKey(show, "Escape"));
  const std::optional<int> status = session().player().wait(30s);
  ASSERT_TRUE(status.has_value()) << "the player did not end after Escape";
  EXPECT_EQ(*status, 0) << session().player().standardError();
  EXPECT_TRUE(session().messages().empty()) << session().player().standardError();
}

}  // namespace
}  // namespace tessaly::test
