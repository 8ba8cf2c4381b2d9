// Start-up in the order the program depends on: every step may rely on the
// ones before it, and a failure of the dialog, the window, the render state,
// the shader set or the sync device ends the run with -1.
#include "app/startup.h"

#include "app/demo_config.h"
#include "app/frame_inputs.h"
#include "app/main_loop.h"
#include "app/setup_dialog.h"
#include "app/window.h"
#include "assets/asset_registry.h"
#include "demo/demo_shaders.h"
#include "sync/music_player.h"
#include "sync/sync_track.h"
#include "watch/data_watcher.h"

namespace tessaly::app {

DemoConfig& demoConfig() {
  static DemoConfig config;
  return config;
}

FrameInputs& frameInputs() {
  static FrameInputs inputs;
  return inputs;
}

bool startShow(bool visibleWindow) {
  const DemoConfig& config = demoConfig();
  if (!createWindow(config.width, config.height, visibleWindow)) {
    return false;
  }
  if (!initGlew()) {
    return false;
  }
  if (!initRenderState()) {
    return false;
  }
  if (!demo::loadDemoShaders()) {
    return false;
  }
  // Every picture, model and Maya scene, behind "Loading.jpg"; failures of
  // single files are shown and skipped.
  assets::preloadAssets();

  FrameInputs& inputs = frameInputs();
  inputs.device = sync::SyncDevice::create("Data/Rocket/sync");
  if (inputs.device == nullptr) {
    return false;
  }
  for (std::size_t i = 0; i < trackCount; ++i) {
    inputs.tracks[i] = inputs.device->getTrack(trackNames[i]);
    if (inputs.tracks[i] == nullptr) {
      return false;  // out of memory, like a device that cannot be created
    }
  }
  return true;
}

int runProgram() {
  DemoConfig& config = demoConfig();
  config = DemoConfig{};

  if (showSetupDialog(&config) != 1) {
    return -1;
  }
  if (!startShow(true)) {
    return -1;
  }
  sync::MusicPlayer::open(musicFileName, config.loopDemo);
  watch::startDataWatcher();

  runMainLoop();
  return 0;
}

}  // namespace tessaly::app
