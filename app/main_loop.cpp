// The main loop and the shutdown that follows it.
#include "app/main_loop.h"

#include "app/show.h"
#include "app/window.h"
#include "platform/termination.h"

#include <GLFW/glfw3.h>

namespace tessaly::app {

void ShowServices::updateAudio() { show_.music.update(); }
float ShowServices::musicSeconds() { return show_.music.seconds(); }
double ShowServices::musicRow() { return show_.music.row(); }
void ShowServices::fetchSpectrum(float* spectrum) { show_.music.fetchSpectrum(spectrum); }
void ShowServices::pollEvents() { glfwPollEvents(); }

bool ShowServices::escapePressed() {
  return glfwGetKey(show_.window, GLFW_KEY_ESCAPE) == GLFW_PRESS;
}

// SIGTERM and SIGINT end the show the way the close button does.
bool ShowServices::closeRequested() {
  return glfwWindowShouldClose(show_.window) != 0 || platform::terminationSignal() != 0;
}

void ShowServices::renderFrame() {
  drawShowFrame(show_, show_.music.seconds());
  present();
}

void ShowServices::present() { presentFrame(); }

bool runPass(Show& show, LoopServices& services) {
  bool endFlag = false;
  services.updateAudio();
  const float seconds = services.musicSeconds();
  if (seconds >= demoLength && show.config.loopDemo == 0) {
    endFlag = true;
  }
  show.inputs.currentRow = services.musicRow();
  services.fetchSpectrum(show.inputs.spectrum.data());
  services.pollEvents();
  if (services.escapePressed()) {
    endFlag = true;
  }
  if (services.closeRequested()) {
    endFlag = true;
  }
  services.renderFrame();
  return endFlag;
}

long runPasses(Show& show, LoopServices& services) {
  long passes = 1;
  while (!runPass(show, services)) {
    ++passes;
  }
  return passes;
}

namespace {

// The player's services time the first frame as the last step of start-up.
class PlayerServices final : public ShowServices {
 public:
  PlayerServices(Show& show, StartupClock& startup, void (*afterFirstFrame)(Show&))
      : ShowServices(show), startup_(startup), afterFirstFrame_(afterFirstFrame) {}

 protected:
  void present() override {
    ShowServices::present();
    if (firstFrame_) {
      firstFrame_ = false;
      startup_.done(StartupStep::firstFrame);
      if (afterFirstFrame_ != nullptr) {
        afterFirstFrame_(show());
      }
    }
  }

 private:
  StartupClock& startup_;
  void (*afterFirstFrame_)(Show&);
  bool firstFrame_ = true;
};

}  // namespace

void runMainLoop(Show& show, StartupClock& startup, void (*afterFirstFrame)(Show&)) {
  PlayerServices services(show, startup, afterFirstFrame);
  runPasses(show, services);
  endShow(show);
}

}  // namespace tessaly::app
