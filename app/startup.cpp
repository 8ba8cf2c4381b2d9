// Start-up in the order the program depends on: every step may rely on the
// ones before it, and a failure of the dialog, the window, the render state,
// the shader set or the sync device ends the run with -1. Pictures and the
// soundtrack may be decoded ahead on worker threads; each step still takes
// them, and reports about them, at its own place.
#include "app/startup.h"

#include "app/frame_inputs.h"
#include "app/main_loop.h"
#include "app/setup_dialog.h"
#include "app/window.h"
#include "assets/asset_registry.h"
#include "assets/picture_prefetch.h"
#include "demo/demo_shaders.h"
#include "sync/music_player.h"
#include "sync/soundtrack_prefetch.h"
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
  StartupClock clock;
  return startShow(visibleWindow, assets::directDecoding(), clock);
}

bool startShow(bool visibleWindow, assets::ImageSource& pictures, StartupClock& clock) {
  const DemoConfig& config = demoConfig();
  if (!createWindow(config.width, config.height, visibleWindow)) {
    return false;
  }
  clock.done(StartupStep::window);
  if (!initGlew()) {
    return false;
  }
  clock.done(StartupStep::glew);
  if (!initRenderState(pictures)) {
    return false;
  }
  clock.done(StartupStep::renderState);
  if (!demo::loadDemoShaders()) {
    return false;
  }
  clock.done(StartupStep::shaderSet);

  // Every picture, model and Maya scene, behind "Loading.jpg"; failures of
  // single files are shown and skipped.
  assets::PreloadTimes preload;
  assets::preloadAssets(assets::assetRegistry(), pictures, &preload);
  reportStartupStep(StartupStep::loadingScreen, preload.loadingScreen);
  reportStartupStep(StartupStep::pictures, preload.pictures);
  reportStartupStep(StartupStep::models, preload.models);
  reportStartupStep(StartupStep::mayaScenes, preload.mayaScenes);
  clock.restart();

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
  clock.done(StartupStep::tracks);
  return true;
}

int runProgram(const RunOptions& options) {
  DemoConfig& config = demoConfig();
  config = DemoConfig{};

  // Started before the dialog, so decoding goes on while the user chooses.
  // Both wait for their worker when they go (at most one picture, or the
  // soundtrack's decode, after Quit).
  assets::PicturePrefetch pictures;
  sync::SoundtrackPrefetch soundtrack;
  if (options.prefetch) {
    pictures.start(assets::startupPicturePaths());
    soundtrack.start(musicFileName);
  }

  const auto setupDialog = options.setupDialog != nullptr ? options.setupDialog : showSetupDialog;
  if (setupDialog(&config) != 1) {
    return -1;
  }
  StartupClock clock;
  if (!startShow(true, pictures, clock)) {
    return -1;
  }
  sync::MusicPlayer::open(musicFileName, config.loopDemo, soundtrack.take(musicFileName));
  clock.done(StartupStep::music);
  watch::startDataWatcher();
  clock.done(StartupStep::watcher);

  runMainLoop(clock);
  return 0;
}

}  // namespace tessaly::app
