// The real player told to end by a signal at each moment of its run: in the
// setup dialog, during start-up with a message box on screen, and during
// the show. SIGTERM and SIGINT end it within 2 s through its shutdown with
// status 128 + the signal; no message box outlives it, not even after
// SIGKILL. The dialog on a screen lower than itself stays on screen.
#include "tests/e2e/player_session.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <thread>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

enum class Moment { dialog, messageBox, show };

struct SignalCase {
  const char* name;
  Moment moment;
  int signal;
  int status;  // as ChildProcess::wait reports it: -signal when killed by one
};

// 640 x 360: lower than the dialog (548 x 401), which must still show its
// title bar and first controls.
constexpr int screenWidth = 640;
constexpr int screenHeight = 360;

const SignalCase cases[] = {
    {"SigtermInTheDialog", Moment::dialog, SIGTERM, 128 + SIGTERM},
    {"SigintInTheDialog", Moment::dialog, SIGINT, 128 + SIGINT},
    {"SigtermWithAStartUpMessageBoxOpen", Moment::messageBox, SIGTERM, 128 + SIGTERM},
    {"SigintWithAStartUpMessageBoxOpen", Moment::messageBox, SIGINT, 128 + SIGINT},
    {"SigkillWithAStartUpMessageBoxOpen", Moment::messageBox, SIGKILL, -SIGKILL},
    {"SigtermDuringTheShow", Moment::show, SIGTERM, 128 + SIGTERM},
    {"SigintDuringTheShow", Moment::show, SIGINT, 128 + SIGINT},
};

class PlayerSignal : public testing::TestWithParam<SignalCase> {
 protected:
  void SetUp() override {
    if (const std::string missing = playerToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
    session_ = std::make_unique<PlayerSession>(screenWidth, screenHeight);
    ASSERT_TRUE(session_->ok()) << "no X server of the test's own";
    // Programs only, and no soundtrack: start-up is quick and ends in the
    // music's three messages, the first of which holds it in a box.
    writeFilterShaders(folder.path());
    writeDemoTestShaders(folder.path());
  }
  PlayerSession& session() { return *session_; }

  TempDir folder;

 private:
  std::unique_ptr<PlayerSession> session_;
};

TEST_P(PlayerSignal, EndsWithinTwoSecondsWithItsStatusAndLeavesNoBox) {
  const SignalCase& c = GetParam();
  session().start(folder.path(), {"SDL_AUDIODRIVER=dummy"});
  const std::string dialog = session().waitForDialog();
  ASSERT_FALSE(dialog.empty()) << "no setup dialog; " << session().describe();

  if (c.moment == Moment::dialog) {
    // Centred across, and from the top down, since it is higher than the screen.
    EXPECT_EQ(session().display().info("-id " + dialog, "Absolute upper-left X"),
              (screenWidth - 548) / 2);
    EXPECT_EQ(session().display().info("-id " + dialog, "Absolute upper-left Y"), 0);
  } else {
    ASSERT_FALSE(session().startShow(dialog).empty())
        << "no full-screen show window; " << session().describe();
    const bool boxShown = waitFor(20s, [&] {
      return !session().messageBoxes().empty() || !session().player().running();
    });
    ASSERT_TRUE(boxShown && session().player().running())
        << "no message box; " << session().describe();
    if (c.moment == Moment::show) {
      ASSERT_EQ(session().dismissMessages({"Bass file loading failed!", "Music failed to play!",
                                           "Failed to start song at the start"}),
                "");
      std::this_thread::sleep_for(500ms);  // some frames of the show
      ASSERT_TRUE(session().player().running()) << session().describe();
    }
  }

  const Clock::time_point sent = Clock::now();
  session().player().kill(c.signal);
  const std::optional<int> status = session().player().wait(10s);
  const double took = std::chrono::duration<double>(Clock::now() - sent).count();
  ASSERT_TRUE(status.has_value()) << "still running 10 s after the signal; " << session().describe();
  std::printf("%s: ended %.3f s after the signal\n", c.name, took);
  EXPECT_LT(took, 2.0);
  EXPECT_EQ(*status, c.status) << session().player().standardError();

  // The boxes went with the program (their windows unmap as their
  // processes end).
  EXPECT_TRUE(waitFor(2s, [&] { return session().messageBoxes().empty(); }))
      << "a message box outlived the player; " << session().describe();
  // A signal shows no box for anyone to press: at most the one that was open.
  if (c.moment != Moment::show) {
    EXPECT_LE(session().messages().size(), 3u);
  }
}

INSTANTIATE_TEST_SUITE_P(Moments, PlayerSignal, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tessaly::test
