// The real player binary, end to end on an X server of the test's own: the
// setup dialog, Enter to start, the show rendering frame after frame in its
// full-screen window, Escape to end with status 0; and "Loop demo", with
// which the show outlives its soundtrack. (Quit, which ends with 255 before
// any other window, is driven in tests/app/show_setup_dialog_test.cpp; the
// runs that must end on time, or play on past it, are in
// player_on_time_test.cpp.)
#include "tests/e2e/player_session.h"
#include "tests/support/sound_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <thread>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

// A small screen keeps the full-screen show cheap to draw; the setup dialog
// (548 x 401) still fits.
constexpr int screenWidth = 800;
constexpr int screenHeight = 450;

class Player : public testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = playerToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
    if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << productionData();
    session_ = std::make_unique<PlayerSession>(screenWidth, screenHeight);
    ASSERT_TRUE(session_->ok()) << "no X server of the test's own";
  }
  PlayerSession& session() { return *session_; }

  // Grabs the screen, which the show fills, `count` times, `gap` apart.
  std::vector<std::string> grabs(int count, std::chrono::milliseconds gap) {
    std::vector<std::string> pictures;
    for (int i = 0; i < count; ++i) {
      if (i > 0) std::this_thread::sleep_for(gap);
      pictures.push_back(session().grabScreen());
    }
    return pictures;
  }

  // Waits until the show is playing: three pictures in a row, half a second
  // apart, none black and each different from the one before. The black
  // first frame and the loading picture stand still, so only the running
  // show passes.
  bool waitUntilTheShowMoves(std::chrono::seconds timeout) {
    const std::string black(static_cast<std::size_t>(screenWidth) * screenHeight * 3, '\0');
    std::vector<std::string> recent;
    return waitFor(timeout, [&] {
      std::this_thread::sleep_for(450ms);
      const std::string picture = session().grabScreen();
      if (picture.size() != black.size() || picture == black ||
          (!recent.empty() && picture == recent.back())) {
        recent.clear();
      }
      if (picture.size() == black.size() && picture != black) {
        recent.push_back(picture);
      }
      return recent.size() >= 3 || !session().player().running();
    }) && session().player().running();
  }

  // Escape ends the show with status 0 and no message.
  void endWithEscape(const std::string& show) {
    session().display().pressKey(show, "Escape");
    const std::optional<int> status = session().player().wait(30s);
    ASSERT_TRUE(status.has_value()) << "the player did not end after Escape";
    EXPECT_EQ(*status, 0) << session().player().standardError();
    EXPECT_TRUE(session().messages().empty()) << session().player().standardError();
  }

  TempDir folder;

 private:
  std::unique_ptr<PlayerSession> session_;
};

bool allEqual(const std::vector<std::string>& pictures) {
  return std::all_of(pictures.begin(), pictures.end(),
                     [&](const std::string& p) { return p == pictures.front(); });
}

TEST_F(Player, EnterStartsTheShowWhichRendersFramesAndEscapeEndsItWithZero) {
  // The whole production, through one link to its Data folder.
  std::filesystem::create_directory_symlink(productionData(), folder.path() / "Data");
  session().start(folder.path(), {"SDL_AUDIODRIVER=dummy"});
  const std::string dialog = session().waitForDialog();
  ASSERT_FALSE(dialog.empty()) << "no setup dialog; " << session().describe();
  const std::string show = session().startShow(dialog);
  ASSERT_FALSE(show.empty()) << "no full-screen show window; " << session().describe();

  // Past the black first frame and the loading picture, the show moves.
  EXPECT_TRUE(waitUntilTheShowMoves(30s)) << "no moving picture; stderr: "
                                          << session().player().standardError();
  endWithEscape(show);
}

// "Loop demo" reaches the player, whose soundtrack (3 s here) wraps and
// keeps the show moving long past its end, where a soundtrack that does not
// loop holds its last position and so the last frame. The show playing on
// past 81.6 s takes that long to see, so it is a "long" run, in
// player_on_time_test.cpp.
TEST_F(Player, LoopDemoKeepsTheShowMovingLongPastTheEndOfItsSoundtrack) {
  if (!lameAvailable()) GTEST_SKIP() << "needs lame";
  linkProduction(folder.path(), {"Sound"});
  Tone tone;
  tone.seconds = 3.0;
  std::filesystem::create_directories(folder.file("Data/Sound"));
  ASSERT_FALSE(
      makeToneMp3(folder.file("Data/Sound"), "KestruneOriginalSoundtrack", tone).empty());

  session().start(folder.path(), {"SDL_AUDIODRIVER=dummy"});
  const std::string dialog = session().waitForDialog();
  ASSERT_FALSE(dialog.empty()) << "no setup dialog; " << session().describe();
  session().checkLoopDemo(dialog);
  const std::string show = session().startShow(dialog);
  ASSERT_FALSE(show.empty()) << "no full-screen show window; " << session().describe();

  // Once the show plays, more than the soundtrack's length later: without
  // the loop every picture from there on would be the same.
  ASSERT_TRUE(waitUntilTheShowMoves(30s)) << session().player().standardError();
  std::this_thread::sleep_for(4s);
  const std::vector<std::string> pictures = grabs(4, 700ms);
  EXPECT_FALSE(allEqual(pictures)) << "the show stood still after its soundtrack's end";
  EXPECT_TRUE(session().player().running());
  endWithEscape(show);
}

}  // namespace
}  // namespace tessaly::test
