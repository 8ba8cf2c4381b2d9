// A frame of the production (build/Data) through the real registries, the
// real shaders and the filter chain allocates nothing on the heap: every
// scene, with and without its titles, the fades between scenes and the
// frames that show no scene, the present included.
#include "app/main_loop.h"
#include "app/show.h"
#include "app/window.h"
#include "platform/error_box.h"
#include "tests/demo/allocation_counter.h"
#include "tests/support/x_windows.h"
#include "tools/capture/capture_frames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tessaly::demo {
namespace {

const std::string productionFolder = TESSALY_BINARY_DIR;

TEST(ProductionFrame, EveryKindOfFrameAllocatesNothing) {
  TESSALY_REQUIRE_DISPLAY();
  // Building this test builds the production first.
  ASSERT_TRUE(std::filesystem::is_directory(productionFolder + "/Data"))
      << "the production is not built into " << productionFolder << "/Data";
  std::filesystem::current_path(productionFolder);
  platform::setErrorSink(platform::printErrorOnly);
  capture::FrameCapture capture;
  ASSERT_TRUE(capture.start(320, 180, true));
  app::Show& show = capture.show();
  FrameInputs& inputs = show.inputs;
  // Moments of the show (content/README.md): fade in, titles 2 and 1 over
  // scene 1, the cut to scene 2, scenes 2 and 3, the tunnel of scene 4, its
  // titles 3 and 4, the black end where no scene runs.
  for (const double seconds : {0.5, 5.0, 12.0, 18.2, 25.0, 45.0, 61.0, 67.0, 74.0, 81.0}) {
    SCOPED_TRACE(seconds);
    show.music.setSeconds(seconds);
    inputs.currentRow = show.music.row();
    show.music.fetchSpectrum(inputs.spectrum.data());
    const float musicTime = show.music.seconds();
    const auto renderFrame = [&] {
      app::drawShowFrame(show, musicTime);
      app::presentFrame();
    };
    // The GL driver builds its code for each new combination of state on
    // first use, allocating as it does: the first frames warm it up.
    for (int i = 0; i < 2; ++i) renderFrame();
    const long before = test::allocationCount();
    renderFrame();
    EXPECT_EQ(test::allocationCount() - before, 0);
  }
}

}  // namespace
}  // namespace tessaly::demo
