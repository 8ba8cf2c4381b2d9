// The studio's panels and timeline, drawn with Dear ImGui after the frame
// and before the buffer swap.
#include "tools/studio/studio_panels.h"

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include <cmath>
#include <cstdio>

namespace tessaly::studio {

namespace {

// Every key of the studio, for the help panel (the same list as --help).
constexpr std::array<std::pair<const char*, const char*>, 29> keyList = {{
    {"Space", "pause / resume (the music with it)"},
    {"Left / Right", "one row back / on"},
    {"Shift+Left / Right", "one beat back / on"},
    {"Page Up / Page Down", "previous / next scene change"},
    {"Home / End", "start / end of the show"},
    {"I / O", "loop span in / out at the current time"},
    {"L", "loop span on / off"},
    {"- / =", "slower / faster (0.25x to 2x)"},
    {"Backspace", "speed back to 1x"},
    {"Tab", "inspector and messages shown / hidden"},
    {"F1", "this help"},
    {"F2", "settings"},
    {"Escape", "quit (asks first with unsaved tracks: Y save, N quit, Escape stay)"},
    {"Click, drag on timeline", "seek"},
    {"Right-drag (Shift+drag)", "set the loop span"},
    {"F3", "track editor shown / hidden; while shown:"},
    {"  Up / Down", "one row back / on"},
    {"  Left / Right", "previous / next track"},
    {"  Shift+arrows", "select a block of rows and tracks"},
    {"  0-9 . - then Enter", "set a key on the current row"},
    {"  0-9 . - then S", "scale the block's values"},
    {"  T", "next interpolation (step, linear, smooth, ramp)"},
    {"  Delete", "delete the block's keys"},
    {"  Ctrl+C / X / V", "copy / cut / paste the block"},
    {"  Ctrl+Up / Down", "move the block's keys a row"},
    {"  Ctrl+Z / Ctrl+Y", "undo / redo"},
    {"  Ctrl+K / Ctrl+T", "changed on disk: keep mine / take theirs"},
    {"  Escape", "drop the typed value, then the selection"},
    {"Ctrl+S", "save every changed track"},
}};

const ImU32 loopColour = IM_COL32(255, 220, 60, 90);
const ImU32 cursorColour = IM_COL32(255, 255, 255, 255);

void drawTimeline(const StudioView& view, const TimelineGeometry& timeline) {
  ImDrawList* draw = ImGui::GetBackgroundDrawList();
  const Rect& strip = timeline.strip();
  const ImVec2 topLeft(strip.x, strip.y);
  const ImVec2 bottomRight(strip.x + strip.width, strip.y + strip.height);
  draw->AddRectFilled(ImVec2(topLeft.x - 2, topLeft.y - 14),
                      ImVec2(bottomRight.x + 2, bottomRight.y + 2), IM_COL32(0, 0, 0, 160));
  for (const SceneSpan& span : view.spans) {
    const float x0 = timeline.xOf(span.startRow / view.rowsPerSecond);
    const float x1 = timeline.xOf(span.endRow / view.rowsPerSecond);
    draw->AddRectFilled(ImVec2(x0, topLeft.y), ImVec2(x1, bottomRight.y), sceneColour(span.scene));
    if (x1 - x0 > 14.0f) {
      char label[16];
      std::snprintf(label, sizeof label, "%g", static_cast<double>(span.scene));
      draw->AddText(ImVec2(x0 + 3, topLeft.y + 2), IM_COL32(0, 0, 0, 220), label);
    }
  }
  if (view.loop.active()) {
    draw->AddRectFilled(ImVec2(timeline.xOf(view.loop.in), topLeft.y - 4),
                        ImVec2(timeline.xOf(view.loop.out), bottomRight.y + 4), loopColour);
  }
  // Second ticks, longer every ten seconds.
  for (int s = 0; s <= static_cast<int>(view.length); ++s) {
    const float x = timeline.xOf(s);
    const float tick = s % 10 == 0 ? 8.0f : 3.0f;
    draw->AddLine(ImVec2(x, topLeft.y - tick), ImVec2(x, topLeft.y), IM_COL32(200, 200, 200, 200));
  }
  const float x = timeline.xOf(view.seconds);
  draw->AddLine(ImVec2(x, topLeft.y - 10), ImVec2(x, bottomRight.y), cursorColour, 2.0f);
  char now[64];
  std::snprintf(now, sizeof now, "%.2f s  row %.1f%s", view.seconds, view.row,
                view.paused ? "  (paused)" : "");
  draw->AddText(ImVec2(strip.x + 4, topLeft.y - 14), cursorColour, now);
}

void inspectorPanel(const StudioView& view) {
  ImGui::SetNextWindowPos(ImVec2(10, 10), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(340, 610), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowBgAlpha(0.75f);
  if (!ImGui::Begin("Inspector")) {
    ImGui::End();
    return;
  }
  ImGui::Text("time %.3f s   row %.2f", view.seconds, view.row);
  ImGui::Text("scene %g   %s   speed %.2fx", static_cast<double>(view.scene),
              view.paused ? "paused" : "playing", view.speed);
  if (view.gpuMilliseconds >= 0.0) {
    ImGui::Text("frame: CPU %.2f ms, GPU %.2f ms", view.cpuMilliseconds, view.gpuMilliseconds);
  } else {
    ImGui::Text("frame: CPU %.2f ms, GPU not measured", view.cpuMilliseconds);
  }
  if (view.sceneRuns) {
    ImGui::Text("camera %.3f %.3f %.3f", static_cast<double>(view.cameraEye.x),
                static_cast<double>(view.cameraEye.y), static_cast<double>(view.cameraEye.z));
  } else {
    ImGui::TextUnformatted("camera (no scene drawn)");
  }
  ImGui::Text("target %.3f %.3f %.3f", static_cast<double>(view.cameraTarget.x),
              static_cast<double>(view.cameraTarget.y), static_cast<double>(view.cameraTarget.z));
  if (ImGui::BeginTable("tracks", 2, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp)) {
    for (std::size_t i = 0; i < view.trackNames.size(); ++i) {
      ImGui::TableNextRow();
      ImGui::TableNextColumn();
      ImGui::TextUnformatted(view.trackNames[i]);
      ImGui::TableNextColumn();
      ImGui::Text("%.4f", view.trackValues[i]);
    }
    ImGui::EndTable();
  }
  ImGui::Separator();
  ImGui::TextUnformatted("last reloads");
  if (view.reloads == nullptr || view.reloads->empty()) {
    ImGui::TextDisabled("none yet");
  } else {
    for (auto it = view.reloads->rbegin(); it != view.reloads->rend(); ++it) {
      ImGui::Text("%s %s  %.1f ms", it->ok ? "ok    " : "FAILED", it->file.c_str(),
                  it->milliseconds);
    }
  }
  ImGui::End();
}

void messagePanel(const StudioView& view, float windowWidth, float windowHeight) {
  ImGui::SetNextWindowPos(ImVec2(windowWidth - 470, windowHeight - 250), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(460, 190), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowBgAlpha(0.75f);
  if (!ImGui::Begin("Messages")) {
    ImGui::End();
    return;
  }
  if (view.messages.empty()) {
    ImGui::TextDisabled("no messages");
  }
  for (const Message& message : view.messages) {
    ImGui::TextWrapped("%7.2f s  %s", message.seconds, message.text.c_str());
  }
  if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY() - 4.0f) {
    ImGui::SetScrollHereY(1.0f);  // follow the newest while at the bottom
  }
  ImGui::End();
}

void helpPanel(PanelState& state) {
  ImGui::SetNextWindowPos(ImVec2(360, 10), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowBgAlpha(0.85f);
  if (!ImGui::Begin("Keys (F1)", &state.help, ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::End();
    return;
  }
  if (ImGui::BeginTable("keys", 2)) {
    for (const auto& [key, what] : keyList) {
      ImGui::TableNextRow();
      ImGui::TableNextColumn();
      ImGui::TextUnformatted(key);
      ImGui::TableNextColumn();
      ImGui::TextUnformatted(what);
    }
    ImGui::EndTable();
  }
  ImGui::End();
}

SettingsChange settingsPanel(const StudioView& view, PanelState& state) {
  SettingsChange change;
  ImGui::SetNextWindowPos(ImVec2(360, 300), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowBgAlpha(0.85f);
  if (!ImGui::Begin("Settings (F2)", &state.settings, ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::End();
    return change;
  }
  ImGui::Text("window %d x %d", view.width, view.height);
  static constexpr std::array<std::pair<int, int>, 3> sizes = {
      {{640, 360}, {1280, 720}, {1920, 1080}}};
  for (const auto& [w, h] : sizes) {
    char label[32];
    std::snprintf(label, sizeof label, "%dx%d", w, h);
    if (ImGui::Button(label)) {
      change.windowSize = std::pair{w, h};
    }
    ImGui::SameLine();
  }
  ImGui::NewLine();
  bool multisampling = view.multisampling;
  if (ImGui::Checkbox("multisampling (filter chain)", &multisampling)) {
    change.multisampling = multisampling;
  }
  bool loops = view.showLoops;
  if (ImGui::Checkbox("loop the show at its end", &loops)) {
    change.showLoops = loops;
  }
  int rows = view.rowsPerBeat;
  if (ImGui::InputInt("rows per beat", &rows)) {
    change.rowsPerBeat = rows;
  }
  float speed = static_cast<float>(view.speed);
  if (ImGui::SliderFloat("speed", &speed, 0.25f, 2.0f, "%.2fx")) {
    change.speed = speed;
  }
  ImGui::TextDisabled("the music is heard at 1x only");
  if (view.loop.on) {
    ImGui::Text("loop span %.2f to %.2f s", view.loop.in, view.loop.out);
    ImGui::SameLine();
    change.clearLoop = ImGui::Button("clear");
  }
  ImGui::End();
  return change;
}

}  // namespace

unsigned sceneColour(float scene) {
  if (scene == 1.0f) return IM_COL32(90, 150, 230, 255);
  if (scene == 2.0f) return IM_COL32(230, 120, 70, 255);
  if (scene == 3.0f) return IM_COL32(110, 200, 110, 255);
  if (scene == 4.0f) return IM_COL32(190, 110, 210, 255);
  return IM_COL32(70, 70, 70, 255);  // no scene drawn
}

PanelLayer::PanelLayer(GLFWwindow* window) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the studio leaves no files behind
  io.LogFilename = nullptr;
  ImGui::StyleColorsDark();
  backendGlfw_ = ImGui_ImplGlfw_InitForOpenGL(window, true);
  backendGl_ = backendGlfw_ && ImGui_ImplOpenGL3_Init("#version 330 core");
  failed_ = !backendGl_;
}

PanelLayer::~PanelLayer() {
  if (backendGl_) {
    ImGui_ImplOpenGL3_Shutdown();
  }
  if (backendGlfw_) {
    ImGui_ImplGlfw_Shutdown();
  }
  ImGui::DestroyContext();
}

bool PanelLayer::wantsKeyboard() const { return ImGui::GetIO().WantCaptureKeyboard; }
bool PanelLayer::wantsMouse() const { return ImGui::GetIO().WantCaptureMouse; }

SettingsChange PanelLayer::build(const StudioView& view, const TimelineGeometry& timeline,
                                 PanelState& state, const std::function<void()>& more) {
  ImGui_ImplOpenGL3_NewFrame();
  ImGui_ImplGlfw_NewFrame();
  ImGui::NewFrame();
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  drawTimeline(view, timeline);
  if (state.panels) {
    inspectorPanel(view);
    messagePanel(view, display.x, display.y);
  }
  if (state.help) {
    helpPanel(state);
  }
  SettingsChange change;
  if (state.settings) {
    change = settingsPanel(view, state);
  }
  if (more) {
    more();
  }
  ImGui::Render();
  return change;
}

void PanelLayer::render() { ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData()); }

}  // namespace tessaly::studio
