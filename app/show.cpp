// Start-up in the order the program depends on: every step may rely on the
// ones before it, and a failure of the window, the render state, the shader
// set or the sync device ends start-up. Pictures and the soundtrack may come
// decoded ahead; each step still takes them, and reports about them, at its
// own place.
#include "app/show.h"

#include "app/window.h"
#include "platform/termination.h"
#include "sync/soundtrack_prefetch.h"

#include <GLFW/glfw3.h>

namespace tessaly::app {

Show::Show() = default;
Show::~Show() = default;

demo::FrameResources Show::frameResources() {
  return demo::FrameResources{*filter, shaders, sceneAssets};
}

namespace {

// The loading screen: "Loading.jpg" through the filter program, presented at
// once; nothing without a usable chain.
assets::LoadingScreen loadingScreenOf(const Show& show) {
  return [&show](const assets::TextureRegistry& rootTextures) {
    if (show.filter) {
      drawLoadingScreen(*show.filter, rootTextures.find(assets::loadingPictureName));
    }
  };
}

bool openTracks(Show& show) {
  show.device.reset(sync::SyncDevice::create(trackBasePath));
  if (!show.device) {
    return false;
  }
  for (std::size_t i = 0; i < demo::trackCount; ++i) {
    show.inputs.tracks[i] = show.device->getTrack(demo::trackNames[i]);
    if (show.inputs.tracks[i] == nullptr) {
      return false;  // out of memory, like a device that cannot be created
    }
  }
  return true;
}

// A program asked to end (SIGTERM, SIGINT) stops starting between steps.
bool ending() { return platform::terminationSignal() != 0; }

}  // namespace

bool startShow(Show& show, const ShowOptions& options) {
  StartupClock ownClock;
  StartupClock& clock = options.clock != nullptr ? *options.clock : ownClock;
  assets::ImageSource& pictures =
      options.pictures != nullptr ? *options.pictures : assets::directDecoding();
  const DemoConfig& config = show.config;

  if (options.window != ShowWindow::current) {
    WindowOptions window;
    window.visible = options.window == ShowWindow::visible;
    window.resizable = options.resizable;
    if (!createWindow(config, window)) {
      return false;
    }
    clock.done(StartupStep::window);
    if (!initGlew()) {
      return false;
    }
    clock.done(StartupStep::glew);
  }
  show.window = glfwGetCurrentContext();
  if (ending() || !initRenderState(show, pictures)) {
    return false;
  }
  clock.done(StartupStep::renderState);
  if (ending() || !demo::loadDemoShaders(show.shaders, config.width, config.height)) {
    return false;
  }
  clock.done(StartupStep::shaderSet);

  // Every picture, model and Maya scene, behind "Loading.jpg"; failures of
  // single files are shown and skipped.
  assets::PreloadTimes preload;
  assets::preloadAssets(show.assets, loadingScreenOf(show), pictures, &preload);
  reportStartupStep(StartupStep::loadingScreen, preload.loadingScreen);
  reportStartupStep(StartupStep::pictures, preload.pictures);
  reportStartupStep(StartupStep::models, preload.models);
  reportStartupStep(StartupStep::mayaScenes, preload.mayaScenes);
  clock.restart();

  if (ending() || !openTracks(show)) {
    return false;
  }
  clock.done(StartupStep::tracks);

  switch (options.music) {
    case ShowMusic::play: {
      auto decoded = options.soundtrack != nullptr ? options.soundtrack->take(musicFileName)
                                                   : nullptr;
      show.music.open(musicFileName, config.loopDemo, std::move(decoded));
      clock.done(StartupStep::music);
      break;
    }
    case ShowMusic::capture:
      show.music.openForCapture(musicFileName);
      clock.done(StartupStep::music);
      break;
    case ShowMusic::none:
      break;
  }
  if (options.watchData) {
    show.watcher = watch::startDataWatcher();
    clock.done(StartupStep::watcher);
  }
  return !ending();
}

void drawShowFrame(Show& show, float musicTime) {
  demo::drawFrame(show.inputs, musicTime, show.frameResources());
}

void endShow(Show& show) {
  show.inputs.tracks.fill(nullptr);
  show.device.reset();
  show.music.close();
  glfwTerminate();
  show.window = nullptr;
}

}  // namespace tessaly::app
