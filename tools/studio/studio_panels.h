// What the studio draws over the frame with Dear ImGui: the timeline along
// the bottom, the inspector, the messages, the help listing every key and
// the settings. The panels read a StudioView made fresh each frame and hand
// back what the user changed; they never touch the show themselves.
#pragma once

#include "tools/studio/message_log.h"
#include "tools/studio/studio_reload.h"
#include "tools/studio/timeline.h"
#include "tools/studio/transport.h"

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

struct GLFWwindow;

namespace tessaly::studio {

// One frame's worth of what the panels show.
struct StudioView {
  double seconds = 0.0;
  double row = 0.0;
  float scene = 0.0f;
  bool paused = false;
  double speed = 1.0;
  double length = 0.0;
  std::array<const char*, 20> trackNames{};
  std::array<double, 20> trackValues{};
  bool sceneRuns = false;  // a scene is drawn: the camera below is in use
  glm::vec3 cameraEye{0.0f};
  glm::vec3 cameraTarget{0.0f};
  double cpuMilliseconds = 0.0;
  double gpuMilliseconds = -1.0;  // negative: not measured
  std::vector<SceneSpan> spans;
  double rowsPerSecond = 1.0;
  LoopSpan loop;
  const std::deque<ReloadEntry>* reloads = nullptr;
  std::vector<Message> messages;
  int width = 0;
  int height = 0;
  bool multisampling = false;
  bool showLoops = false;
  int rowsPerBeat = 8;
};

struct PanelState {
  bool panels = true;  // inspector and messages
  bool help = false;
  bool settings = false;
};

// What the user changed in the settings panel this frame.
struct SettingsChange {
  std::optional<bool> multisampling;
  std::optional<bool> showLoops;
  std::optional<int> rowsPerBeat;
  std::optional<double> speed;
  std::optional<std::pair<int, int>> windowSize;
  bool clearLoop = false;
};

// The colour of a scene's span on the timeline (ImGui's packed RGBA).
unsigned sceneColour(float scene);

// Dear ImGui on the show's window: made once, one frame at a time.
class PanelLayer {
 public:
  // Installs ImGui's GLFW and OpenGL 3 backends on `window` (after the
  // caller's own input callbacks, which ImGui then passes every event on
  // to). failed() when they could not be set up.
  explicit PanelLayer(GLFWwindow* window);
  ~PanelLayer();
  PanelLayer(const PanelLayer&) = delete;
  PanelLayer& operator=(const PanelLayer&) = delete;

  bool failed() const { return failed_; }
  // Whether ImGui wants the keyboard / mouse (a field or a panel has them).
  bool wantsKeyboard() const;
  bool wantsMouse() const;

  // Builds this frame's panels and timeline (and what `more` adds, such as
  // the track editor) and returns the settings the user changed; then
  // render() draws them into the bound framebuffer.
  SettingsChange build(const StudioView& view, const TimelineGeometry& timeline, PanelState& state,
                       const std::function<void()>& more = {});
  void render();

 private:
  bool failed_ = false;
  bool backendGlfw_ = false;
  bool backendGl_ = false;
};

}  // namespace tessaly::studio
