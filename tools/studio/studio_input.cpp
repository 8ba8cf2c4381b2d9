// The studio's keys and mouse, its seeks and the filter chain made again
// for a new window size.
#include "app/window.h"
#include "platform/error_box.h"
#include "tools/studio/studio_state.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <filesystem>
#include <set>

namespace tessaly::studio {

namespace {

Studio& studioOf(GLFWwindow* window) {
  return *static_cast<Studio*>(glfwGetWindowUserPointer(window));
}

void keyCallback(GLFWwindow* window, int key, int, int action, int mods) {
  // Held arrows step on; every other key acts once per press.
  if (action == GLFW_REPEAT && key != GLFW_KEY_LEFT && key != GLFW_KEY_RIGHT &&
      key != GLFW_KEY_UP && key != GLFW_KEY_DOWN) {
    return;
  }
  studioOf(window).events.push_back(
      {InputEvent::Kind::key, key, mods, action != GLFW_RELEASE, 0.0, 0.0});
}

void buttonCallback(GLFWwindow* window, int button, int action, int mods) {
  double x = 0.0;
  double y = 0.0;
  glfwGetCursorPos(window, &x, &y);
  studioOf(window).events.push_back(
      {InputEvent::Kind::button, button, mods, action == GLFW_PRESS, x, y});
}

void cursorCallback(GLFWwindow* window, double x, double y) {
  studioOf(window).events.push_back({InputEvent::Kind::cursor, 0, 0, false, x, y});
}

void sizeCallback(GLFWwindow* window, int width, int height) {
  Studio& studio = studioOf(window);
  studio.pendingWidth = width;
  studio.pendingHeight = height;
}

}  // namespace

Studio::Studio(const StudioOptions& studioOptions, MessageLog& messageLog)
    : options(studioOptions),
      log(messageLog),
      transport(static_cast<double>(app::demoLength), sync::rowsPerSecond) {}

void Studio::seek(double seconds) {
  show.music.seek(transport.clamp(seconds));
  seekedThisPass = true;
}

void Studio::setPaused(bool paused) { show.music.setPaused(paused); }

void Studio::requestQuit() {
  if (editor && editor->anyDirty()) {
    editorUi.quitPrompt = true;
  } else {
    quit = true;
  }
}

void Studio::saveTracks() {
  if (!editor) return;
  const std::vector<std::string> problems = editor->save();
  for (const std::string& problem : problems) {
    log.add("Saving tracks: " + problem);
  }
  editorUi.status = problems.empty() ? "saved" : "not all saved: see the messages";
  if (problems.empty()) {
    ++saves;
    log.add("Tracks saved");
  }
}

void Studio::startEditor() {
  if (!show.device) return;
  std::vector<sync::SyncTrack*> tracks;
  std::set<std::string> names;
  // The production's tracks, in the order the show asked for them.
  for (sync::SyncTrack* track : show.device->tracks()) {
    if (names.insert(track->name).second) tracks.push_back(track);
  }
  // Other track files, in name order: the device reads them on request.
  std::set<std::string> extra;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(show.device->base()).parent_path();
  const std::string prefix = std::filesystem::path(show.device->base()).filename().string() + "_";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string file = entry.path().filename().string();
    if (file.size() > prefix.size() + 6 && file.starts_with(prefix) && file.ends_with(".track")) {
      const std::string name = file.substr(prefix.size(), file.size() - prefix.size() - 6);
      if (!names.contains(name)) extra.insert(name);
    }
  }
  for (const std::string& name : extra) {
    if (sync::SyncTrack* track = show.device->getTrack(name.c_str())) tracks.push_back(track);
  }
  editor = std::make_unique<TrackEditor>(std::move(tracks), show.device->base());
  if (reloads) {
    reloads->setTrackGate(
        [this](const std::string& file, std::string_view bytes) -> std::optional<std::string> {
          const ExternalChange change = editor->externalChange(file, bytes);
          if (change.apply) return std::nullopt;
          // A conflict waits for a choice the editor's window offers.
          if (!editor->conflicts().empty()) editorUi.open = true;
          return change.message;
        });
  }
}

TimelineGeometry Studio::timeline() const {
  int width = 0;
  int height = 0;
  glfwGetWindowSize(show.window, &width, &height);
  return TimelineGeometry(timelineRect(static_cast<float>(width), static_cast<float>(height)),
                          transport.length());
}

void Studio::remakeChain(int width, int height, int multisampling) {
  const app::Viewport view = app::letterboxViewport(width, height);
  glViewport(view.x, view.y, view.width, view.height);
  // The targets remember the viewport set above and restore it on unbind.
  render::PostFilter chain(multisampling, width, height);
  if (chain.failed()) {
    const app::Viewport old = app::letterboxViewport(show.config.width, show.config.height);
    glViewport(old.x, old.y, old.width, old.height);
    return;
  }
  chain.setSavings(show.filter->savings());
  // Moved into the show's own object, so whoever holds the chain keeps it.
  *show.filter = std::move(chain);
  show.config.width = width;
  show.config.height = height;
  show.config.multisampling = multisampling;
  if (show.shaders.sineShader) {
    show.shaders.sineShader->use();
    show.shaders.sineShader->setVec2("resolution", static_cast<float>(width),
                                     static_cast<float>(height));
  }
}

void Studio::apply(const SettingsChange& change) {
  if (change.multisampling) {
    remakeChain(show.config.width, show.config.height, *change.multisampling ? 1 : 0);
  }
  if (change.showLoops) {
    show.config.loopDemo = *change.showLoops ? 1 : 0;
  }
  if (change.rowsPerBeat) {
    transport.setRowsPerBeat(*change.rowsPerBeat);
  }
  if (change.speed) {
    show.music.setSpeed(*change.speed);
  }
  if (change.windowSize) {
    glfwSetWindowSize(show.window, change.windowSize->first, change.windowSize->second);
  }
  if (change.clearLoop) {
    transport.loop() = LoopSpan{};
  }
}

void Studio::handleEvents() {
  if (pendingWidth > 0 && pendingHeight > 0 &&
      (pendingWidth != show.config.width || pendingHeight != show.config.height)) {
    remakeChain(pendingWidth, pendingHeight, show.config.multisampling);
  }
  pendingWidth = 0;
  pendingHeight = 0;

  const bool keyboardTaken = panels && panels->wantsKeyboard();
  const bool mouseTaken = panels && panels->wantsMouse();
  std::vector<InputEvent> queued;
  queued.swap(events);
  for (const InputEvent& event : queued) {
    const double now = show.music.seconds();
    if (event.kind == InputEvent::Kind::key && event.down && editorUi.quitPrompt) {
      // The quit prompt takes the keyboard: Y saves and quits, N quits,
      // Escape stays.
      if (event.key == GLFW_KEY_Y) {
        saveTracks();
        quit = editor == nullptr || !editor->anyDirty();
        editorUi.quitPrompt = false;
      } else if (event.key == GLFW_KEY_N) {
        quit = true;
      } else if (event.key == GLFW_KEY_ESCAPE) {
        editorUi.quitPrompt = false;
      }
      continue;
    }
    if (event.kind == InputEvent::Kind::key && event.down && !keyboardTaken) {
      const bool ctrl = (event.mods & GLFW_MOD_CONTROL) != 0;
      if (ctrl && event.key == GLFW_KEY_S) {
        saveTracks();
        continue;
      }
      if (event.key == GLFW_KEY_F3) {
        editorUi.open = !editorUi.open;
        continue;
      }
      if (editor && editorUi.open) {
        const std::int32_t row = cursorRowOf(show.music.row());
        const EditorKeyResult result =
            handleEditorKey(*editor, editorUi, event.key, event.mods, row);
        if (result.seekRows) seek(transport.stepRows(now, *result.seekRows));
        if (result.handled) continue;
      }
    }
    if (event.kind == InputEvent::Kind::cursor) {
      cursorX = event.x;
      cursorY = event.y;
      const TimelineDrag::Request request = drag.move(timeline(), static_cast<float>(event.x));
      if (request.seek) seek(*request.seek);
      if (request.loop) transport.setLoopSpan(request.loop->first, request.loop->second);
      continue;
    }
    if (event.kind == InputEvent::Kind::button) {
      if (!event.down) {
        drag.release();
      } else if (!mouseTaken &&
                 (event.key == GLFW_MOUSE_BUTTON_LEFT || event.key == GLFW_MOUSE_BUTTON_RIGHT)) {
        const TimelineDrag::Request request =
            drag.press(timeline(), static_cast<float>(event.x), static_cast<float>(event.y),
                       event.key == GLFW_MOUSE_BUTTON_RIGHT, (event.mods & GLFW_MOD_SHIFT) != 0);
        if (request.seek) seek(*request.seek);
      }
      continue;
    }
    if (!event.down || (keyboardTaken && event.key != GLFW_KEY_ESCAPE)) {
      continue;
    }
    const bool shift = (event.mods & GLFW_MOD_SHIFT) != 0;
    switch (event.key) {
      case GLFW_KEY_ESCAPE: requestQuit(); break;
      case GLFW_KEY_SPACE:
        // Paused at the end, play starts again from the beginning.
        if (show.music.paused() && now >= transport.length()) {
          seek(0.0);
        }
        setPaused(!show.music.paused());
        break;
      case GLFW_KEY_RIGHT:
        seek(shift ? transport.stepBeats(now, 1) : transport.stepRows(now, 1));
        break;
      case GLFW_KEY_LEFT:
        seek(shift ? transport.stepBeats(now, -1) : transport.stepRows(now, -1));
        break;
      case GLFW_KEY_PAGE_DOWN: seek(transport.nextSceneChange(now)); break;
      case GLFW_KEY_PAGE_UP: seek(transport.previousSceneChange(now)); break;
      case GLFW_KEY_HOME: seek(0.0); break;
      case GLFW_KEY_END: seek(transport.length()); break;
      case GLFW_KEY_I: transport.setLoopIn(now); break;
      case GLFW_KEY_O: transport.setLoopOut(now); break;
      case GLFW_KEY_L: transport.loop().on = !transport.loop().on; break;
      case GLFW_KEY_MINUS:
      case GLFW_KEY_KP_SUBTRACT: show.music.setSpeed(slowerSpeed(show.music.speed())); break;
      case GLFW_KEY_EQUAL:
      case GLFW_KEY_KP_ADD: show.music.setSpeed(fasterSpeed(show.music.speed())); break;
      case GLFW_KEY_BACKSPACE: show.music.setSpeed(1.0); break;
      case GLFW_KEY_TAB: panelState.panels = !panelState.panels; break;
      case GLFW_KEY_F1: panelState.help = !panelState.help; break;
      case GLFW_KEY_F2: panelState.settings = !panelState.settings; break;
      default: break;
    }
  }
}

void installInput(Studio& studio) {
  GLFWwindow* window = studio.show.window;
  glfwSetWindowUserPointer(window, &studio);
  glfwSetKeyCallback(window, keyCallback);
  glfwSetMouseButtonCallback(window, buttonCallback);
  glfwSetCursorPosCallback(window, cursorCallback);
  glfwSetFramebufferSizeCallback(window, sizeCallback);
}

}  // namespace tessaly::studio
