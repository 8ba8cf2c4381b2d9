// The studio's loop: between frames the reloads and the transport's end and
// loop rules; each frame one pass of the player's main loop on the studio's
// services (events handled, the frame drawn and timed, a shot read back, the
// panels drawn over it, presented).
#include "tools/studio/studio_app.h"

#include "app/window.h"
#include "demo/frame_math.h"
#include "platform/error_box.h"
#include "tools/capture/image.h"
#include "tools/studio/studio_state.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace tessaly::studio {

namespace {

using Clock = std::chrono::steady_clock;

// The player's pass with the studio's clock, input and frame.
class StudioServices final : public app::ShowServices {
 public:
  explicit StudioServices(Studio& studio) : ShowServices(studio.show), studio_(studio) {}

  void pollEvents() override {
    glfwPollEvents();
    studio_.handleEvents();
  }
  // The studio decides when to end; Escape and closing quit, time never does.
  bool escapePressed() override { return false; }
  bool closeRequested() override {
    if (ShowServices::closeRequested()) {
      // Asked again after the prompt, not at every pass.
      glfwSetWindowShouldClose(studio_.show.window, GLFW_FALSE);
      studio_.requestQuit();
    }
    return false;
  }
  void renderFrame() override;

  // The frame read back before the panels (or after them), when asked.
  bool wantShot = false;
  std::optional<capture::Image> shot;

 private:
  StudioView view();
  void readBack();

  Studio& studio_;
};

StudioView StudioServices::view() {
  app::Show& show = studio_.show;
  StudioView view;
  view.seconds = show.music.seconds();
  view.row = show.inputs.currentRow;
  view.paused = show.music.paused();
  view.speed = show.music.speed();
  view.length = studio_.transport.length();
  view.rowsPerSecond = studio_.transport.rowsPerSecond();
  const demo::FrameTracks tracks = demo::sampleFrameTracks(show.inputs);
  view.scene = tracks.sceneNumber;
  for (std::size_t i = 0; i < demo::trackCount; ++i) {
    view.trackNames[i] = demo::trackNames[i];
    const sync::SyncTrack* track = show.inputs.tracks[i];
    view.trackValues[i] = track != nullptr ? track->valueAt(show.inputs.currentRow) : 0.0;
  }
  const int scene = demo::sceneToRun(tracks.sceneNumber);
  view.sceneRuns = scene != 0;
  view.cameraTarget = tracks.cameraTarget;
  if (view.sceneRuns) {
    const glm::vec2 shake =
        demo::cameraShake(tracks, show.inputs.spectrum, static_cast<float>(view.seconds));
    const glm::vec3 curvePoint = show.sceneAssets.mayaScene().curvePoint(
        demo::cameraCurveName(scene), tracks.curveParameter);
    view.cameraEye = demo::cameraEye(curvePoint, shake);
  }
  view.cpuMilliseconds = studio_.cpuMilliseconds;
  view.gpuMilliseconds = studio_.gpuTimer.milliseconds();
  if (show.inputs.tracks[demo::sceneNum] != nullptr) {
    view.spans = sceneSpans(show.inputs.tracks[demo::sceneNum]->keys(),
                            studio_.transport.length() * studio_.transport.rowsPerSecond());
  }
  view.loop = studio_.transport.loop();
  view.reloads = studio_.reloads ? &studio_.reloads->recent() : nullptr;
  view.messages = studio_.log.snapshot();
  view.width = show.config.width;
  view.height = show.config.height;
  view.multisampling = show.config.multisampling != 0;
  view.showLoops = show.config.loopDemo != 0;
  view.rowsPerBeat = studio_.transport.rowsPerBeat();
  return view;
}

void StudioServices::readBack() {
  int width = 0;
  int height = 0;
  glfwGetFramebufferSize(studio_.show.window, &width, &height);
  capture::Image image(width, height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
  for (std::size_t i = 3; i < image.rgba.size(); i += 4) {
    image.rgba[i] = 255;  // the window shows no transparency
  }
  capture::flipRows(image);
  shot = std::move(image);
}

void StudioServices::renderFrame() {
  app::Show& show = studio_.show;
  if (studio_.seekedThisPass) {
    // The pass read the clock before the seek: the frame shows the new time.
    show.inputs.currentRow = show.music.row();
    show.music.fetchSpectrum(show.inputs.spectrum.data());
    studio_.seekedThisPass = false;
  }
  const Clock::time_point start = Clock::now();
  studio_.gpuTimer.begin();
  app::drawShowFrame(show, show.music.seconds());
  studio_.gpuTimer.end();
  studio_.cpuMilliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

  const bool withPanels = studio_.options.shotWithPanels;
  if (wantShot && !withPanels) {
    readBack();
  }
  if (studio_.panels) {
    QuitChoice choice = QuitChoice::none;
    const SettingsChange change =
        studio_.panels->build(view(), studio_.timeline(), studio_.panelState, [&] {
          if (studio_.editor) {
            choice = drawTrackEditor(*studio_.editor, studio_.editorUi, show.inputs.currentRow);
          }
        });
    studio_.panels->render();
    studio_.apply(change);
    if (choice == QuitChoice::saveAndQuit) {
      studio_.saveTracks();
      studio_.quit = !studio_.editor->anyDirty();
      studio_.editorUi.quitPrompt = false;
    } else if (choice == QuitChoice::quit) {
      studio_.quit = true;
    } else if (choice == QuitChoice::cancel) {
      studio_.editorUi.quitPrompt = false;
    }
  }
  if (wantShot && withPanels) {
    readBack();
  }
  present();
}

// Writes the shot through a temporary name, so a reader never sees half a
// file. False after a line on stderr.
bool writeShot(const capture::Image& image, const std::string& path) {
  const std::string part = path + ".part";
  if (const std::string reason = capture::writePng(part, image); !reason.empty()) {
    std::error_code ignored;
    std::filesystem::remove(part, ignored);
    std::fprintf(stderr, "tessaly-studio: cannot write %s: %s\n", path.c_str(), reason.c_str());
    return false;
  }
  std::error_code error;
  std::filesystem::rename(part, path, error);
  if (error) {
    std::filesystem::remove(part, error);
    std::fprintf(stderr, "tessaly-studio: cannot write %s: %s\n", path.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

// Where the shots stand.
enum class ShotStage { none, first, waitForReload, afterReload, done };

}  // namespace

int runStudio(const StudioOptions& options, MessageLog& log) {
  auto studio = std::make_unique<Studio>(options, log);
  app::Show& show = studio->show;
  show.config.width = options.width;
  show.config.height = options.height;
  show.config.fullscreen = 0;
  show.config.verticalSync = 1;
  show.config.multisampling = options.multisampling ? 1 : 0;
  show.config.loopDemo = options.loop ? 1 : 0;

  app::ShowOptions showOptions;
  showOptions.window = app::ShowWindow::visible;
  showOptions.resizable = true;
  if (!app::startShow(show, showOptions)) {
    std::fprintf(stderr, "tessaly-studio: start-up failed (see the messages above)\n");
    return 1;
  }
  glfwSetInputMode(show.window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
  installInput(*studio);
  studio->panels = std::make_unique<PanelLayer>(show.window);
  if (studio->panels->failed()) {
    platform::showErrorBox("The studio's panels could not be set up");
    studio->panels.reset();
  }
  studio->reloads = std::make_unique<StudioReloads>(show);
  studio->startEditor();
  studio->editorUi.open = options.editor;
  studio->panelState.panels = options.panels;
  studio->transport.setRowsPerBeat(options.rowsPerBeat);
  if (show.inputs.tracks[demo::sceneNum] != nullptr) {
    const double lastRow = studio->transport.length() * studio->transport.rowsPerSecond();
    studio->transport.setSceneChanges(
        sceneChangeRows(sceneSpans(show.inputs.tracks[demo::sceneNum]->keys(), lastRow)));
  }
  show.music.setSpeed(options.speed);
  if (options.at) {
    studio->setPaused(true);
    studio->seek(*options.at);
  }

  StudioServices services(*studio);
  ShotStage stage = ShotStage::none;
  if (!options.shot.empty()) {
    stage = ShotStage::first;
  } else if (!options.shotAfterReload.empty()) {
    stage = ShotStage::waitForReload;
  }
  Clock::time_point waitStart = Clock::now();
  bool reloadFailed = false;
  std::string failedFile;
  int status = 0;

  while (!studio->quit && stage != ShotStage::done) {
    // Between frames: reloads, then the end and loop rules on the clock.
    for (const ReloadEntry& entry : studio->reloads->poll()) {
      if (entry.skipped) {
        // The track editor kept the file out: its own save, or a conflict.
        const std::string line = entry.file + ": " + entry.message;
        std::fprintf(stderr, "tessaly-studio: %s\n", line.c_str());
        log.add(line);
      } else if (entry.ok) {
        char line[512];
        std::snprintf(line, sizeof line, "reloaded %s in %.1f ms%s%s", entry.file.c_str(),
                      entry.milliseconds, entry.message.empty() ? "" : ": ", entry.message.c_str());
        std::fprintf(stderr, "tessaly-studio: %s\n", line);
        log.add(line);
      } else {
        // Whole, not cut to a message box's length: the driver's log may
        // name several lines.
        const std::string text = "Reload of " + entry.file + " failed: " + entry.message;
        std::fprintf(stderr, "ERROR: %s\n", text.c_str());
        log.add(text);
        reloadFailed = true;
        failedFile = entry.file;
      }
      if (stage == ShotStage::waitForReload) {
        stage = ShotStage::afterReload;
      }
    }
    if (!show.music.paused()) {
      const Transport::Next next =
          studio->transport.afterTick(show.music.seconds(), show.config.loopDemo != 0);
      if (next.action == Transport::Next::Action::seek) {
        studio->seek(next.seconds);
      } else if (next.action == Transport::Next::Action::pause) {
        studio->setPaused(true);
        studio->seek(next.seconds);
      }
    }
    if (stage == ShotStage::waitForReload &&
        std::chrono::duration<double>(Clock::now() - waitStart).count() > options.timeout) {
      std::fprintf(stderr, "tessaly-studio: no content file was reloaded within %g s\n",
                   options.timeout);
      status = 1;
      break;
    }

    const bool afterSave =
        !options.shotAfterSave.empty() && stage == ShotStage::none && studio->saves > 0;
    services.wantShot = stage == ShotStage::first || stage == ShotStage::afterReload || afterSave;
    app::runPass(show, services);
    if (!services.shot) {
      continue;
    }
    if (afterSave) {
      status = writeShot(*services.shot, options.shotAfterSave) ? 0 : 1;
      break;
    }
    const std::string& path = stage == ShotStage::first ? options.shot : options.shotAfterReload;
    const bool written = writeShot(*services.shot, path);
    services.shot.reset();
    if (!written) {
      status = 1;
      break;
    }
    if (stage == ShotStage::first && !options.shotAfterReload.empty()) {
      stage = ShotStage::waitForReload;
      waitStart = Clock::now();
    } else if (stage == ShotStage::first && !options.shotAfterSave.empty()) {
      stage = ShotStage::none;  // on until a save
    } else {
      if (stage == ShotStage::afterReload && reloadFailed) {
        std::fprintf(
            stderr,
            "tessaly-studio: the reload of %s failed; the shot shows the last good content\n",
            failedFile.c_str());
        status = 1;
      }
      stage = ShotStage::done;
    }
  }
  studio->reloads.reset();
  studio->editor.reset();
  studio->panels.reset();
  studio->gpuTimer.release();
  app::endShow(show);
  return status;
}

}  // namespace tessaly::studio
