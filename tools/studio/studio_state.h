// The studio's running state, shared by its loop (studio_app.cpp) and its
// input handling (studio_input.cpp). Internal to tools/studio.
#pragma once

#include "app/main_loop.h"
#include "app/show.h"
#include "tools/studio/editor_view.h"
#include "tools/studio/gpu_timer.h"
#include "tools/studio/message_log.h"
#include "tools/studio/studio_options.h"
#include "tools/studio/studio_panels.h"
#include "tools/studio/studio_reload.h"
#include "tools/studio/timeline.h"
#include "tools/studio/transport.h"

#include <memory>
#include <vector>

namespace tessaly::studio {

// One input event from GLFW, queued by the callbacks and handled in the
// pass's event step.
struct InputEvent {
  enum class Kind { key, button, cursor } kind = Kind::key;
  int key = 0;        // GLFW key or mouse button
  int mods = 0;       // GLFW modifier bits
  bool down = false;  // press or repeat / button down
  double x = 0.0;     // cursor position (button and cursor events)
  double y = 0.0;
};

struct Studio {
  Studio(const StudioOptions& options, MessageLog& log);

  StudioOptions options;
  MessageLog& log;
  app::Show show;
  Transport transport;
  TimelineDrag drag;
  PanelState panelState;
  std::unique_ptr<PanelLayer> panels;
  std::unique_ptr<StudioReloads> reloads;
  std::unique_ptr<TrackEditor> editor;
  EditorUi editorUi;
  GpuTimer gpuTimer;
  double cpuMilliseconds = 0.0;
  std::vector<InputEvent> events;
  double cursorX = 0.0;
  double cursorY = 0.0;
  bool quit = false;
  int saves = 0;  // saves that wrote every changed track
  bool seekedThisPass = false;
  int pendingWidth = 0;  // a framebuffer size not yet applied (0: none)
  int pendingHeight = 0;

  // The music moved to `seconds` (clamped into the show); the row and the
  // spectrum of this pass's frame follow.
  void seek(double seconds);
  void setPaused(bool paused);
  // Quitting: at once, or after the prompt when tracks have unsaved edits.
  void requestQuit();
  // Saves the changed tracks, with a message for each problem.
  void saveTracks();
  // The editor on the show's tracks: the production's twenty and every other
  // track file in Data/Rocket/.
  void startEditor();
  // Handles the queued events: keys, the timeline's mouse, a new size.
  void handleEvents();
  // The filter chain made again for a new window size or multisampling; the
  // old chain stays when the new one fails (its message says why).
  void remakeChain(int width, int height, int multisampling);
  // Applies what the settings panel changed.
  void apply(const SettingsChange& change);
  // The geometry of the timeline in the window as it is now.
  TimelineGeometry timeline() const;
};

// Installs the studio's GLFW input callbacks on its window; they queue into
// studio.events. Call before the panels install ImGui's.
void installInput(Studio& studio);

}  // namespace tessaly::studio
