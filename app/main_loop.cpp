// The main loop and the shutdown that follows it.
#include "app/main_loop.h"

#include "app/demo_config.h"
#include "demo/frame.h"
#include "sync/music_player.h"
#include "sync/sync_track.h"

#include <GLFW/glfw3.h>

namespace tessaly::app {

long runPasses(LoopServices& services, FrameInputs& inputs, bool loopDemo) {
  bool endFlag = false;
  long passes = 0;
  while (true) {
    services.updateAudio();
    const float seconds = services.musicSeconds();
    if (seconds >= demoLength && !loopDemo) {
      endFlag = true;
    }
    inputs.currentRow = services.musicRow();
    services.fetchSpectrum(inputs.spectrum.data());
    services.pollEvents();
    if (services.escapePressed()) {
      endFlag = true;
    }
    if (services.closeRequested()) {
      endFlag = true;
    }
    services.renderFrame();
    ++passes;
    if (endFlag) {
      return passes;
    }
  }
}

namespace {

class PlayerServices final : public LoopServices {
 public:
  explicit PlayerServices(StartupClock& startup) : startup_(startup) {}
  void updateAudio() override { sync::MusicPlayer::update(); }
  float musicSeconds() override { return sync::MusicPlayer::seconds(); }
  double musicRow() override { return sync::MusicPlayer::row(); }
  void fetchSpectrum(float* spectrum) override { sync::MusicPlayer::fetchSpectrum(spectrum); }
  void pollEvents() override { glfwPollEvents(); }
  bool escapePressed() override {
    return glfwGetKey(glfwGetCurrentContext(), GLFW_KEY_ESCAPE) == GLFW_PRESS;
  }
  bool closeRequested() override {
    return glfwWindowShouldClose(glfwGetCurrentContext()) != 0;
  }
  void renderFrame() override {
    demo::renderFrame();
    if (firstFrame_) {
      firstFrame_ = false;
      startup_.done(StartupStep::firstFrame);
    }
  }

 private:
  StartupClock& startup_;
  bool firstFrame_ = true;
};

}  // namespace

void runMainLoop() {
  StartupClock startup;
  runMainLoop(startup);
}

void runMainLoop(StartupClock& startup) {
  PlayerServices services(startup);
  FrameInputs& inputs = frameInputs();
  runPasses(services, inputs, demoConfig().loopDemo != 0);

  sync::SyncDevice::destroy(inputs.device);
  inputs.device = nullptr;
  inputs.tracks.fill(nullptr);
  sync::MusicPlayer::close();
  glfwTerminate();
}

}  // namespace tessaly::app
