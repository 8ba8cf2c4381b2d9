// A frame of the production (build/Data) through the real registries, the
// real shaders and the filter chain allocates nothing on the heap: every
// scene, with and without its titles, the fades between scenes and the
// frames that show no scene, the present included.
#include "app/frame_inputs.h"
#include "demo/frame.h"
#include "platform/error_box.h"
#include "sync/music_player.h"
#include "tests/demo/allocation_counter.h"
#include "tools/capture/capture_frames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tessaly::demo {
namespace {

const std::string productionFolder = TESSALY_BINARY_DIR;

TEST(ProductionFrame, EveryKindOfFrameAllocatesNothing) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs a display";
  if (!std::filesystem::is_directory(productionFolder + "/Data")) {
    GTEST_SKIP() << "the production is not built into " << productionFolder << "/Data";
  }
  std::filesystem::current_path(productionFolder);
  platform::setErrorSink(platform::printErrorOnly);
  bool soundtrack = false;
  ASSERT_TRUE(capture::startCapture(320, 180, true, soundtrack));

  app::FrameInputs& inputs = app::frameInputs();
  // Moments of the show (content/README.md): fade in, titles 2 and 1 over
  // scene 1, the cut to scene 2, scenes 2 and 3, the tunnel of scene 4, its
  // titles 3 and 4, the black end where no scene runs.
  for (const double seconds : {0.5, 5.0, 12.0, 18.2, 25.0, 45.0, 61.0, 67.0, 74.0, 81.0}) {
    SCOPED_TRACE(seconds);
    sync::MusicPlayer::setSeconds(seconds);
    inputs.currentRow = sync::MusicPlayer::row();
    sync::MusicPlayer::fetchSpectrum(inputs.spectrum.data());
    const float musicTime = sync::MusicPlayer::seconds();
    // The GL driver builds its code for each new combination of state on
    // first use, allocating as it does: the first frames warm it up.
    for (int i = 0; i < 2; ++i) renderFrame(inputs, musicTime);
    const long before = test::allocationCount();
    renderFrame(inputs, musicTime);
    EXPECT_EQ(test::allocationCount() - before, 0);
  }
  capture::endCapture();
}

}  // namespace
}  // namespace tessaly::demo
