// Start-up and frames of the capture tool.
#include "tools/capture/capture_frames.h"

#include "app/main_loop.h"
#include "app/show.h"
#include "platform/error_box.h"
#include "render/gl.h"

namespace tessaly::capture {

namespace {

// The player's services with the music as a clock set from outside, and a
// present that reads the frame back first.
class CaptureServices final : public app::ShowServices {
 public:
  CaptureServices(app::Show& show, Image& frame) : ShowServices(show), frame_(frame) {}

  void updateAudio() override {}
  bool escapePressed() override { return false; }
  bool closeRequested() override { return false; }

 protected:
  void present() override {
    // The back buffer holds the finished frame until the swap; after it, its
    // content is undefined and a hidden window's front buffer need not be
    // backed by pixels at all.
    const app::DemoConfig& config = show().config;
    if (frame_.width != config.width || frame_.height != config.height) {
      frame_ = Image(config.width, config.height);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame_.width, frame_.height, GL_RGBA, GL_UNSIGNED_BYTE,
                 frame_.rgba.data());
    ShowServices::present();
  }

 private:
  Image& frame_;
};

}  // namespace

FrameCapture::FrameCapture() : show_(std::make_unique<app::Show>()) {}

FrameCapture::~FrameCapture() {
  end();
}

bool FrameCapture::start(int width, int height, bool multisampling) {
  app::DemoConfig& config = show_->config;
  config = app::DemoConfig{};
  config.width = width;
  config.height = height;
  config.fullscreen = 0;
  config.verticalSync = 0;
  config.multisampling = multisampling ? 1 : 0;
  app::ShowOptions options;
  options.window = app::ShowWindow::hidden;
  options.music = app::ShowMusic::capture;
  options.watchData = false;
  started_ = true;
  if (!app::startShow(*show_, options)) {
    return false;
  }
  if (!show_->music.hasStream()) {
    platform::showErrorBox("Bass file loading failed!");
  }
  return true;
}

bool FrameCapture::soundtrackReady() const {
  return show_->music.hasStream();
}

void FrameCapture::capture(double seconds, Image& frame) {
  show_->music.setSeconds(seconds);
  CaptureServices services(*show_, frame);
  app::runPass(*show_, services);

  flipRows(frame);
  // The window shows colour only; its alpha channel is the glow's leftover.
  for (std::size_t i = 3; i < frame.rgba.size(); i += 4) {
    frame.rgba[i] = 255;
  }
}

void FrameCapture::end() {
  if (started_) {
    started_ = false;
    app::endShow(*show_);
  }
}

}  // namespace tessaly::capture
