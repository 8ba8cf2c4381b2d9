// The show: everything a running production holds, in one owner, and the
// three things done with it: start it, run one pass of the main loop, end
// it. The player, tessaly-capture, the studio, the tests and the benchmarks
// all start, pass and end a show through these, so they draw the same
// frames; what differs between them is only the clock and the window they
// supply (LoopServices).
//
// The player makes one show and never destroys it: its textures, meshes,
// programs and targets end with the process, as the design of the player
// has it. Every GPU object in a show owns its GL names, so an object that is
// replaced (a reload) frees its names, and a show that is destroyed while
// its context is current (tests) frees all of them.
#pragma once

#include "app/demo_config.h"
#include "app/startup_steps.h"
#include "assets/asset_registry.h"
#include "assets/image_decoder.h"
#include "assets/texture_registry.h"
#include "demo/demo_shaders.h"
#include "demo/frame.h"
#include "demo/frame_inputs.h"
#include "demo/scene_assets.h"
#include "render/post_filter.h"
#include "sync/music_player.h"
#include "sync/sync_track.h"
#include "watch/data_watcher.h"

#include <memory>

struct GLFWwindow;

namespace tessaly::sync {
class SoundtrackPrefetch;
}  // namespace tessaly::sync

namespace tessaly::app {

// The length of the production in music seconds: the float 81.6.
inline constexpr float demoLength = 81.6f;

// The soundtrack and the base of the track files, relative to the working
// directory.
inline constexpr const char* musicFileName = "Data/Sound/KestruneOriginalSoundtrack.mp3";
inline constexpr const char* trackBasePath = "Data/Rocket/sync";

struct SyncDeviceDeleter {
  void operator()(sync::SyncDevice* device) const { sync::SyncDevice::destroy(device); }
};

struct Show {
  // An empty show: no window, no GL object, no file read.
  Show();
  ~Show();
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;

  // What the frame driver draws with. Needs the filter chain.
  demo::FrameResources frameResources();

  DemoConfig config;
  GLFWwindow* window = nullptr;  // the show's window, once made (not owned)
  demo::FrameInputs inputs;      // handles into `device`
  std::unique_ptr<sync::SyncDevice, SyncDeviceDeleter> device;
  assets::TextureRegistry rootTextures;  // the top level of "Data/"
  assets::TextureRegistry textures;      // every picture of the preload
  assets::AssetRegistry assets{rootTextures, textures};
  demo::RegistryAssets sceneAssets{assets};
  std::unique_ptr<render::PostFilter> filter;
  demo::DemoShaders shaders;
  sync::MusicPlayer music;
  std::unique_ptr<watch::DataWatcher> watcher;
};

// Which window a show draws into.
enum class ShowWindow {
  visible,  // a window of its own, shown (the player, the studio)
  hidden,   // a window of its own, never shown (capture, tests)
  current,  // the window whose context is current, with its entry points
            // loaded already (tests that make their own)
};

// How a show gets its music.
enum class ShowMusic {
  none,     // not opened
  play,     // opened and started, with the player's messages
  capture,  // opened for a clock the caller sets, without output or message
};

struct ShowOptions {
  ShowWindow window = ShowWindow::visible;
  bool resizable = false;
  // Where pictures come from; null: decoded at each step.
  assets::ImageSource* pictures = nullptr;
  // The soundtrack decoded ahead, taken at the music step; null: none.
  sync::SoundtrackPrefetch* soundtrack = nullptr;
  ShowMusic music = ShowMusic::play;
  // Start the data watcher after the music.
  bool watchData = true;
  // Receives each step's time; null: a clock of its own.
  StartupClock* clock = nullptr;
};

// The start-up from the window on, in its fixed order, with the settings of
// show.config: window and context, GL entry points, render state with the
// filter chain and the scan of "Data/", the demo shader set, the asset
// preload behind the loading picture, the sync device with its twenty
// tracks, then the music and the data watcher as `options` say. False when a
// step that ends start-up failed (after its message); failures of single
// assets and of the music are shown and start-up goes on.
bool startShow(Show& show, const ShowOptions& options = {});

// Draws the frame at `musicTime` from the show's frame inputs into the back
// buffer, without presenting it.
void drawShowFrame(Show& show, float musicTime);

// The shutdown: the sync device is destroyed (the frame inputs lose their
// tracks), the music and the audio output are freed, GLFW is terminated
// (window and context go with it). Nothing else is released: the GPU
// objects still in the show make no GL call when the show goes later.
void endShow(Show& show);

}  // namespace tessaly::app
