#include "app/main_loop.h"

#include "app/show.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::app {
namespace {

// A clock and a window that a test scripts pass by pass.
class ScriptedServices final : public LoopServices {
 public:
  std::vector<float> seconds;      // the music position seen by each pass
  int escapeOnPass = -1;           // pass index on which Escape reads pressed
  int closeOnPass = -1;
  int pass = 0;
  int rendered = 0;
  std::vector<std::string> calls;  // order of the first pass's steps

  void updateAudio() override { record("update"); }
  float musicSeconds() override {
    record("seconds");
    return seconds[static_cast<std::size_t>(pass) < seconds.size() ? pass : seconds.size() - 1];
  }
  double musicRow() override { record("row"); return pass * 10.0; }
  void fetchSpectrum(float* spectrum) override {
    record("spectrum");
    spectrum[0] = static_cast<float>(pass);
  }
  void pollEvents() override { record("poll"); }
  bool escapePressed() override { record("escape"); return pass == escapeOnPass; }
  bool closeRequested() override { record("close"); return pass == closeOnPass; }
  void renderFrame() override {
    record("render");
    ++rendered;
    ++pass;
  }

 private:
  void record(const char* step) {
    if (pass == 0) calls.emplace_back(step);
  }
};

TEST(MainLoop, EndsOnThePassThatReachesTheDemoLengthAndStillRendersIt) {
  ScriptedServices services;
  services.seconds = {0.0f, 40.0f, 81.59f, 81.6f, 90.0f};
  Show show;
  EXPECT_EQ(runPasses(show, services), 4);
  EXPECT_EQ(services.rendered, 4);
  EXPECT_DOUBLE_EQ(show.inputs.currentRow, 30.0);
  EXPECT_EQ(show.inputs.spectrum[0], 3.0f);
  EXPECT_EQ(services.calls, (std::vector<std::string>{"update", "seconds", "row", "spectrum",
                                                      "poll", "escape", "close", "render"}));
}

TEST(MainLoop, TheEndTestComparesSinglePrecisionWith81Point6) {
  // 81.59999 as a double is below 81.6, but as a float it is 81.6f itself.
  ScriptedServices services;
  services.seconds = {0.0f, static_cast<float>(81.59999999)};
  Show show;
  EXPECT_EQ(runPasses(show, services), 2);
  EXPECT_EQ(demoLength, 81.5999984741211f);
}

TEST(MainLoop, LoopingNeverEndsByTimeOnlyByEscapeOrClose) {
  ScriptedServices services;
  services.seconds = {0.0f, 81.6f, 200.0f, 1000.0f};
  services.escapeOnPass = 6;
  Show show;
  show.config.loopDemo = 1;
  EXPECT_EQ(runPasses(show, services), 7);

  ScriptedServices closing;
  closing.seconds = {100.0f};
  closing.closeOnPass = 2;
  EXPECT_EQ(runPasses(show, closing), 3);
}

TEST(MainLoop, EscapeOnTheFirstPassStillRendersOneFrame) {
  ScriptedServices services;
  services.seconds = {0.0f};
  services.escapeOnPass = 0;
  Show show;
  EXPECT_EQ(runPasses(show, services), 1);
  EXPECT_EQ(services.rendered, 1);
}

}  // namespace
}  // namespace tessaly::app
