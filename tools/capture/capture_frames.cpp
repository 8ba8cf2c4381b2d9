// Start-up and frames of the capture tool.
#include "tools/capture/capture_frames.h"

#include "app/demo_config.h"
#include "app/frame_inputs.h"
#include "app/startup.h"
#include "demo/frame.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "render/post_filter.h"
#include "sync/music_player.h"
#include "sync/sync_track.h"

#include <GLFW/glfw3.h>

namespace tessaly::capture {

bool startCapture(int width, int height, bool multisampling, bool& soundtrackReady) {
  app::DemoConfig& config = app::demoConfig();
  config = app::DemoConfig{};
  config.width = width;
  config.height = height;
  config.fullscreen = 0;
  config.verticalSync = 0;
  config.multisampling = multisampling ? 1 : 0;
  if (!app::startShow(false)) {
    return false;
  }
  soundtrackReady = sync::MusicPlayer::openForCapture(app::musicFileName);
  if (!soundtrackReady) {
    platform::showErrorBox("Bass file loading failed!");
  }
  return true;
}

void captureFrame(double seconds, Image& frame) {
  sync::MusicPlayer::setSeconds(seconds);
  app::FrameInputs& inputs = app::frameInputs();
  inputs.currentRow = sync::MusicPlayer::row();
  sync::MusicPlayer::fetchSpectrum(inputs.spectrum.data());
  demo::drawFrame(inputs, sync::MusicPlayer::seconds(), demo::loadedAssets());

  // The back buffer holds the finished frame until the swap; after it, its
  // content is undefined and a hidden window's front buffer need not be
  // backed by pixels at all.
  const app::DemoConfig& config = app::demoConfig();
  if (frame.width != config.width || frame.height != config.height) {
    frame = Image(config.width, config.height);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
  render::PostFilter::present();
  glfwPollEvents();

  flipRows(frame);
  // The window shows colour only; its alpha channel is the glow's leftover.
  for (std::size_t i = 3; i < frame.rgba.size(); i += 4) {
    frame.rgba[i] = 255;
  }
}

void endCapture() {
  app::FrameInputs& inputs = app::frameInputs();
  sync::SyncDevice::destroy(inputs.device);
  inputs.device = nullptr;
  inputs.tracks.fill(nullptr);
  sync::MusicPlayer::close();
  glfwTerminate();
}

}  // namespace tessaly::capture
