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
  // Reads into `frame`, or with `packBuffer` set into that pixel buffer
  // object.
  CaptureServices(app::Show& show, Image& frame, GLuint packBuffer = 0)
      : ShowServices(show), frame_(frame), packBuffer_(packBuffer) {}

  void updateAudio() override {}
  bool escapePressed() override { return false; }
  bool closeRequested() override { return false; }

 protected:
  void present() override {
    // The back buffer holds the finished frame until the swap; after it, its
    // content is undefined and a hidden window's front buffer need not be
    // backed by pixels at all.
    const app::DemoConfig& config = show().config;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (packBuffer_ != 0) {
      // Into the buffer: GL copies when the frame is done, the call
      // returns at once.
      glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer_);
      glReadPixels(0, 0, config.width, config.height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
      glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
      // No swap: nobody sees the hidden window, and a swap would wait for
      // the frame to be finished (a software rasteriser copies it to the X
      // server) where the next frame can be prepared meanwhile. The pixels
      // are those of the back buffer before the swap, as in the read-back
      // below (the frame pipeline's test compares the two bit for bit).
      return;
    }
    if (frame_.width != config.width || frame_.height != config.height) {
      frame_ = Image(config.width, config.height);
    }
    glReadPixels(0, 0, frame_.width, frame_.height, GL_RGBA, GL_UNSIGNED_BYTE, frame_.rgba.data());
    ShowServices::present();
  }

 private:
  Image& frame_;
  GLuint packBuffer_;
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
  options.clock = &clock_;
  started_ = true;
  if (!app::startShow(*show_, options)) {
    return false;
  }
  if (!show_->music.hasStream()) {
    platform::showErrorBox("Bass file loading failed!");
  }
  return true;
}

app::StartupStep FrameCapture::failedStep() const {
  const std::optional<app::StartupStep> last = clock_.lastDone();
  if (!last) {
    return app::StartupStep::window;
  }
  switch (*last) {
    case app::StartupStep::window:
      return app::StartupStep::glew;
    case app::StartupStep::glew:
      return app::StartupStep::renderState;
    case app::StartupStep::renderState:
      return app::StartupStep::shaderSet;
    default:
      // The preload skips what fails; the tracks come next and last.
      return app::StartupStep::tracks;
  }
}

bool FrameCapture::soundtrackReady() const {
  return show_->music.hasStream();
}

void FrameCapture::capture(double seconds, Image& frame) {
  show_->music.setSeconds(seconds);
  CaptureServices services(*show_, frame);
  app::runPass(*show_, services);
  finishReadBack(frame);
}

void FrameCapture::render(double seconds, unsigned packBuffer) {
  show_->music.setSeconds(seconds);
  Image unused;
  CaptureServices services(*show_, unused, packBuffer);
  app::runPass(*show_, services);
}

int FrameCapture::width() const { return show_->config.width; }
int FrameCapture::height() const { return show_->config.height; }

void finishReadBack(Image& frame) {
  flipRows(frame);
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
