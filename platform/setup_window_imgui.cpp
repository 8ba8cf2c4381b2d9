// The setup dialog's window: GLFW for the window and its events, Dear ImGui
// with its GLFW and OpenGL 3 backends for the controls. The window has one
// job: show the controls where the dialog's template puts them, keep their
// state, and tell the handler what the user did.
#include "platform/setup_window.h"
#include "platform/termination.h"
#include "platform/window_icon.h"

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <deque>
#include <iterator>

namespace tessaly::platform {

namespace {

// The dialog's text font (DejaVu Sans, found by the build); ImGui's own font
// stands in when it is missing on the machine the player runs on.
constexpr const char* fontFile = TESSALY_DIALOG_FONT;
constexpr float fontPixels = 14.0f;

constexpr int stillOpen = -2;

// Keys the window reacts to itself in one frame.
struct KeyPresses {
  bool enter = false;
  bool escape = false;
  int tab = 0;  // +1 Tab, -1 Shift+Tab
};

// Keys Dear ImGui moves the keyboard focus and presses controls with:
// arrows (within the dialog and in an open list) and Space.
constexpr int navigationKeys[] = {GLFW_KEY_LEFT, GLFW_KEY_RIGHT, GLFW_KEY_UP, GLFW_KEY_DOWN,
                                  GLFW_KEY_SPACE};

bool isNavigationKey(int key) {
  return std::find(std::begin(navigationKeys), std::end(navigationKeys), key) !=
         std::end(navigationKeys);
}

// Clicks and keys in the order they came. Dear ImGui 1.86 sees only the
// state of the mouse at each frame, so a click, or a click and a key, that
// arrive between two frames (a slow machine, a quick user) would merge or
// change order; the window hands them on one at a time instead, with frames
// between them for the controls to settle (a list opens before it is
// clicked, a pick is made before Enter).
class InputQueue {
 public:
  struct Event {
    enum Kind { press, release, enter, escape, tab, backTab, navigation } kind;
    ImVec2 position;
    int key = 0;  // for `navigation`: the GLFW key, one of navigationKeys
  };

  // Frames given to the controls after each event.
  static constexpr int settleFrames = 2;

  void push(Event::Kind kind, int key = 0) { events_.push_back({kind, pointer_, key}); }
  // Where the pointer is as of the events received so far.
  void movePointer(ImVec2 position) { pointer_ = position; }
  bool busy() const { return !events_.empty() || settling_ > 0; }

  // Puts the next event, if it is time for one, into this frame's input:
  // the mouse goes to the event's place and state, keys into `keys`, and a
  // navigation key is down for that one frame (the backend's own record of
  // it would lose a press and release that came between two frames).
  void feed(ImGuiIO& io, KeyPresses& keys) {
    // Enter, Escape and Tab the window handles itself (see KeyPresses);
    // Dear ImGui sees navigation keys only as fed here.
    for (const int key : navigationKeys) {
      io.KeysDown[key] = false;
    }
    for (const int key : {GLFW_KEY_ENTER, GLFW_KEY_KP_ENTER, GLFW_KEY_ESCAPE, GLFW_KEY_TAB}) {
      io.KeysDown[key] = false;
    }
    if (settling_ > 0) {
      --settling_;
      io.MousePos = mousePosition_;
      io.MouseDown[0] = mouseDown_;
      return;
    }
    if (events_.empty()) {
      return;
    }
    const Event event = events_.front();
    events_.pop_front();
    settling_ = settleFrames;
    switch (event.kind) {
      case Event::press:
      case Event::release:
        mouseDown_ = event.kind == Event::press;
        mousePosition_ = event.position;
        break;
      case Event::enter:
        keys.enter = true;
        break;
      case Event::escape:
        keys.escape = true;
        break;
      case Event::tab:
        keys.tab = 1;
        break;
      case Event::backTab:
        keys.tab = -1;
        break;
      case Event::navigation:
        io.KeysDown[event.key] = true;
        break;
    }
    io.MousePos = mousePosition_;
    io.MouseDown[0] = mouseDown_;
  }

 private:
  std::deque<Event> events_;
  int settling_ = 0;
  bool mouseDown_ = false;
  ImVec2 mousePosition_{-FLT_MAX, -FLT_MAX};
  ImVec2 pointer_{-FLT_MAX, -FLT_MAX};
};

InputQueue* inputQueue(GLFWwindow* window) {
  return static_cast<InputQueue*>(glfwGetWindowUserPointer(window));
}

// Pointer motion in event order (asking for the pointer's place instead
// would give where it is now, not where it was at a click).
void cursorPosCallback(GLFWwindow* window, double x, double y) {
  if (InputQueue* queue = inputQueue(window)) {
    queue->movePointer(ImVec2(static_cast<float>(x), static_cast<float>(y)));
  }
}

// Presses (and the repeats of a held key) in order; releases are implied.
void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int mods) {
  InputQueue* queue = inputQueue(window);
  if (queue == nullptr || action == GLFW_RELEASE) {
    return;
  }
  if (key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER) {
    queue->push(InputQueue::Event::enter);
  } else if (key == GLFW_KEY_ESCAPE) {
    queue->push(InputQueue::Event::escape);
  } else if (key == GLFW_KEY_TAB) {
    queue->push((mods & GLFW_MOD_SHIFT) != 0 ? InputQueue::Event::backTab : InputQueue::Event::tab);
  } else if (isNavigationKey(key)) {
    queue->push(InputQueue::Event::navigation, key);
  }
}

void mouseButtonCallback(GLFWwindow* window, int button, int action, int /*mods*/) {
  InputQueue* queue = inputQueue(window);
  if (queue == nullptr || button != GLFW_MOUSE_BUTTON_LEFT) {
    return;
  }
  queue->push(action == GLFW_PRESS ? InputQueue::Event::press : InputQueue::Event::release);
}

// Says on stderr why the dialog cannot be shown, on a line of its own (GLFW's
// description, if it gave one, is a line before it).
void sayCannotShow(const char* reason) {
  std::fprintf(stderr, "The setup dialog cannot be shown: %s.\n", reason);
  std::fflush(stderr);
}

ImVec2 topLeft(const DialogRect& rect) {
  return ImVec2(static_cast<float>(rect.x), static_cast<float>(rect.y));
}
ImVec2 extent(const DialogRect& rect) {
  return ImVec2(static_cast<float>(rect.width), static_cast<float>(rect.height));
}

GLuint uploadPicture(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) {
    return 0;
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, picture.width, picture.height, 0, GL_RGB,
               GL_UNSIGNED_BYTE, picture.rgb.data());
  return texture;
}

// Colours of a calm dark dialog that sits with the banner.
void applyStyle() {
  ImGuiStyle& style = ImGui::GetStyle();
  ImGui::StyleColorsDark(&style);
  style.WindowPadding = ImVec2(0, 0);
  style.WindowRounding = 0;
  style.WindowBorderSize = 0;
  style.FrameRounding = 3;
  style.FrameBorderSize = 1;
  style.PopupRounding = 3;
  style.PopupBorderSize = 1;
  style.FramePadding = ImVec2(6, 4);
  style.ItemSpacing = ImVec2(6, 4);
  style.ItemInnerSpacing = ImVec2(6, 4);
  ImVec4* colors = style.Colors;
  colors[ImGuiCol_WindowBg] = ImVec4(0.11f, 0.12f, 0.15f, 1.0f);
  colors[ImGuiCol_PopupBg] = ImVec4(0.13f, 0.14f, 0.18f, 1.0f);
  colors[ImGuiCol_Border] = ImVec4(0.30f, 0.33f, 0.40f, 1.0f);
  colors[ImGuiCol_Text] = ImVec4(0.88f, 0.90f, 0.93f, 1.0f);
  colors[ImGuiCol_FrameBg] = ImVec4(0.17f, 0.19f, 0.24f, 1.0f);
  colors[ImGuiCol_FrameBgHovered] = ImVec4(0.22f, 0.25f, 0.32f, 1.0f);
  colors[ImGuiCol_FrameBgActive] = ImVec4(0.25f, 0.29f, 0.37f, 1.0f);
  colors[ImGuiCol_Button] = ImVec4(0.20f, 0.23f, 0.29f, 1.0f);
  colors[ImGuiCol_ButtonHovered] = ImVec4(0.26f, 0.30f, 0.38f, 1.0f);
  colors[ImGuiCol_ButtonActive] = ImVec4(0.16f, 0.42f, 0.52f, 1.0f);
  colors[ImGuiCol_Header] = ImVec4(0.16f, 0.42f, 0.52f, 1.0f);
  colors[ImGuiCol_HeaderHovered] = ImVec4(0.20f, 0.50f, 0.62f, 1.0f);
  colors[ImGuiCol_HeaderActive] = ImVec4(0.22f, 0.56f, 0.68f, 1.0f);
  colors[ImGuiCol_CheckMark] = ImVec4(0.45f, 0.85f, 0.95f, 1.0f);
}

// The default push button's look: an accent fill and border.
void pushDefaultButtonColours() {
  ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0.13f, 0.36f, 0.45f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, ImVec4(0.17f, 0.45f, 0.56f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, ImVec4(0.10f, 0.30f, 0.38f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_Border, ImVec4(0.45f, 0.85f, 0.95f, 1.0f));
}

class SetupWindow {
 public:
  SetupWindow(SetupWindowHandler& handler, DialogControls& controls, ImTextureID picture)
      : handler_(handler), controls_(controls), picture_(picture) {}

  // Draws one frame of the controls; 1 after Start, 0 after Quit, else
  // stillOpen.
  int drawFrame(KeyPresses& keys) {
    const SetupWindowLayout& layout = setupWindowLayout();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(layout.clientWidth),
                                    static_cast<float>(layout.clientHeight)));
    ImGui::Begin("##setup", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);

    focusOrder_.clear();
    drawPicture(layout.picture);
    drawLabel(layout.resolutionLabel, "Resolution");
    drawLabel(layout.aspectLabel, "Aspect ratio");
    drawResolutionList(layout.resolutionList, keys);
    drawAspectList(layout.aspectList, keys);
    drawChecks(layout);

    int result = stillOpen;
    ImGui::SetCursorPos(topLeft(layout.startButton));
    pushDefaultButtonColours();
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
    if (ImGui::Button("Start", extent(layout.startButton))) {
      result = 1;
    }
    afterControl();
    ImGui::PopStyleVar();
    ImGui::PopStyleColor(4);
    ImGui::SetCursorPos(topLeft(layout.quitButton));
    if (ImGui::Button("Quit", extent(layout.quitButton))) {
      result = 0;
    }
    afterControl();
    // Enter presses the push button that has the keyboard focus, as in any
    // dialog; Quit is the only one that is not the default.
    const bool quitFocused = ImGui::IsItemFocused() && !ImGui::GetCurrentContext()->NavDisableHighlight;

    // Enter presses the default button, unless it is choosing in an open list.
    const bool listOpen =
        ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
    if (keys.enter && !listOpen && result == stillOpen) {
      result = quitFocused ? 0 : 1;
    }
    // Tab and Shift+Tab go round the controls in the template's order; the
    // move takes effect as the control is drawn in the next frame.
    if (keys.tab != 0 && !listOpen && !focusOrder_.empty()) {
      focusNext_ = neighbour(keys.tab);
    }
    ImGui::End();

    if (result == 1) {
      handler_.start(controls_);
    }
    return result;
  }

 private:
  void drawPicture(const DialogRect& rect) {
    const ImVec2 min = topLeft(rect);
    const ImVec2 max(min.x + static_cast<float>(rect.width), min.y + static_cast<float>(rect.height));
    if (picture_ != nullptr) {
      ImGui::SetCursorPos(min);
      ImGui::Image(picture_, extent(rect));
    }
    // The picture's border, just outside it.
    ImGui::GetWindowDrawList()->AddRect(ImVec2(min.x - 1, min.y - 1), ImVec2(max.x + 1, max.y + 1),
                                        ImGui::GetColorU32(ImGuiCol_Border));
  }

  static void drawLabel(const DialogRect& rect, const char* text) {
    ImGui::SetCursorPos(topLeft(rect));
    ImGui::TextUnformatted(text);
  }

  // A drop-down list: Escape closes it without choosing, as a dialog's does.
  template <typename OnPick>
  void drawList(const char* id, const DialogRect& rect, const std::vector<std::string>& items,
                       int selection, KeyPresses& keys, OnPick onPick) {
    ImGui::SetCursorPos(topLeft(rect));
    ImGui::SetNextItemWidth(static_cast<float>(rect.width));
    const bool valid = selection >= 0 && selection < static_cast<int>(items.size());
    const char* preview = valid ? items[static_cast<std::size_t>(selection)].c_str() : "";
    if (!ImGui::BeginCombo(id, preview)) {
      afterControl();
      return;
    }
    int picked = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      ImGui::PushID(i);
      const bool selected = i == selection;
      if (ImGui::Selectable(items[static_cast<std::size_t>(i)].c_str(), selected)) {
        picked = i;
      }
      // Enter picks the item the arrows are on, and closes the list.
      if (keys.enter && ImGui::IsItemFocused()) {
        picked = i;
        ImGui::CloseCurrentPopup();
      }
      if (selected) {
        ImGui::SetItemDefaultFocus();
      }
      ImGui::PopID();
    }
    // Enter is the list's here, never the default button's.
    keys.enter = false;
    if (keys.escape) {
      ImGui::CloseCurrentPopup();
      keys.escape = false;
    }
    ImGui::EndCombo();
    if (picked >= 0) {
      onPick(picked);
    }
  }

  void drawResolutionList(const DialogRect& rect, KeyPresses& keys) {
    drawList("##resolution", rect, controls_.resolutionItems, controls_.resolutionSelection, keys,
             [this](int picked) {
               if (picked != controls_.resolutionSelection) {
                 controls_.resolutionSelection = picked;
                 handler_.selectionChanged(controls_);
               }
             });
  }

  void drawAspectList(const DialogRect& rect, KeyPresses& keys) {
    drawList("##aspect", rect, controls_.aspectItems, controls_.aspectSelection, keys,
             [this](int picked) {
               controls_.aspectSelection = picked;
               handler_.selectionChanged(controls_);
             });
  }

  void drawChecks(const SetupWindowLayout& layout) {
    static constexpr const char* labels[DialogControls::checkCount] = {
        "Fullscreen", "Vertical sync", "Multisampling", "Loop demo"};
    // A box as high as the template's check box row.
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding,
                        ImVec2(1, (static_cast<float>(layout.checks[0].height) - fontPixels) / 2));
    for (int i = 0; i < DialogControls::checkCount; ++i) {
      ImGui::SetCursorPos(topLeft(layout.checks[static_cast<std::size_t>(i)]));
      ImGui::Checkbox(labels[i], &controls_.checks[static_cast<std::size_t>(i)]);
      afterControl();
    }
    ImGui::PopStyleVar();
  }

  // Notes the control just drawn in the focus order, and gives it the
  // keyboard focus (shown) when Tab moved there.
  void afterControl() {
    const ImGuiID id = ImGui::GetItemID();
    focusOrder_.push_back(id);
    if (firstFrame_) {
      // The first control starts with the focus, not yet shown.
      firstFrame_ = false;
      ImGui::SetFocusID(id, ImGui::GetCurrentWindow());
    }
    if (id != 0 && id == focusNext_) {
      focusNext_ = 0;
      ImGui::SetFocusID(id, ImGui::GetCurrentWindow());
      ImGuiContext& context = *ImGui::GetCurrentContext();
      context.NavDisableHighlight = false;
      context.NavDisableMouseHover = true;
    }
  }

  // The control `step` places from the focused one in the focus order (the
  // focus starts on the first control, as in a dialog, and stays on a
  // clicked one); from none, Tab goes to the first and Shift+Tab to the
  // last.
  ImGuiID neighbour(int step) const {
    const int count = static_cast<int>(focusOrder_.size());
    const auto at = std::find(focusOrder_.begin(), focusOrder_.end(), ImGui::GetFocusID());
    if (at == focusOrder_.end()) {
      return step > 0 ? focusOrder_.front() : focusOrder_.back();
    }
    const int index = static_cast<int>(at - focusOrder_.begin());
    return focusOrder_[static_cast<std::size_t>(((index + step) % count + count) % count)];
  }

  SetupWindowHandler& handler_;
  DialogControls& controls_;
  ImTextureID picture_;
  std::vector<ImGuiID> focusOrder_;  // this frame's controls, in Tab order
  ImGuiID focusNext_ = 0;            // where Tab moves the focus, or 0
  bool firstFrame_ = true;
};

GLFWwindow* openWindow(const char* title, int width, int height,
                       std::span<const RgbaPicture> icons) {
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  GLFWwindow* window = glfwCreateWindow(width, height, title, nullptr, nullptr);
  glfwDefaultWindowHints();
  if (window == nullptr) {
    return nullptr;
  }
  setWindowIcon(window, icons);
  // Centred on the primary monitor's work area, and inside it even when the
  // area is smaller than the dialog (its title bar and controls first).
  if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
    int x = 0, y = 0, areaWidth = 0, areaHeight = 0;
    glfwGetMonitorWorkarea(monitor, &x, &y, &areaWidth, &areaHeight);
    int left = 0, top = 0, right = 0, bottom = 0;
    glfwGetWindowFrameSize(window, &left, &top, &right, &bottom);
    if (areaWidth > 0 && areaHeight > 0) {
      glfwSetWindowPos(window, placeInWorkArea(x, areaWidth, width, left, right),
                       placeInWorkArea(y, areaHeight, height, top, bottom));
    }
  }
  return window;
}

}  // namespace

int runSetupWindow(SetupWindowHandler& handler, const char* title, const Picture& picture,
                   std::span<const RgbaPicture> icons) {
  if (glfwInit() == GLFW_FALSE) {
    sayCannotShow("no display could be opened");
    return -1;
  }
  const SetupWindowLayout& layout = setupWindowLayout();
  GLFWwindow* window = openWindow(title, layout.clientWidth, layout.clientHeight, icons);
  if (window == nullptr) {
    sayCannotShow("its window could not be created");
    glfwTerminate();
    return -1;
  }
  glfwMakeContextCurrent(window);
  glfwSwapInterval(1);

  InputQueue input;
  glfwSetWindowUserPointer(window, &input);
  // Installed before ImGui's, which pass every key and button on to them.
  glfwSetKeyCallback(window, keyCallback);
  glfwSetMouseButtonCallback(window, mouseButtonCallback);
  glfwSetCursorPosCallback(window, cursorPosCallback);

  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  // Arrows move between the controls and through an open list, Space
  // presses the focused one (Tab, Enter and Escape: see KeyPresses).
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  io.IniFilename = nullptr;  // the dialog leaves no files behind
  io.LogFilename = nullptr;
  if (std::FILE* probe = std::fopen(fontFile, "rb")) {
    std::fclose(probe);
    io.Fonts->AddFontFromFileTTF(fontFile, fontPixels);
  } else {
    io.Fonts->AddFontDefault();
  }
  applyStyle();

  int result = -1;
  if (ImGui_ImplGlfw_InitForOpenGL(window, true)) {
    if (ImGui_ImplOpenGL3_Init("#version 330 core")) {
      const GLuint texture = uploadPicture(picture);
      DialogControls controls;
      handler.initialise(controls);
      SetupWindow dialog(handler, controls,
                         texture != 0 ? reinterpret_cast<ImTextureID>(static_cast<std::uintptr_t>(texture))
                                      : nullptr);
      glfwShowWindow(window);
      double pointerX = 0, pointerY = 0;
      glfwGetCursorPos(window, &pointerX, &pointerY);
      input.movePointer(ImVec2(static_cast<float>(pointerX), static_cast<float>(pointerY)));

      result = stillOpen;
      while (result == stillOpen) {
        // Short waits keep the controls responsive without spinning; queued
        // input is handed on without waiting.
        if (input.busy()) {
          glfwPollEvents();
        } else {
          glfwWaitEventsTimeout(0.05);
        }
        // The close button does nothing: only Start and Quit end the dialog.
        glfwSetWindowShouldClose(window, GLFW_FALSE);

        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        KeyPresses keys;
        input.feed(ImGui::GetIO(), keys);
        ImGui::NewFrame();
        result = dialog.drawFrame(keys);
        // SIGTERM or SIGINT: the dialog goes as after Quit.
        if (result == stillOpen && terminationSignal() != 0) {
          result = 0;
        }
        ImGui::Render();

        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        glViewport(0, 0, width, height);
        const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
        glClearColor(background.x, background.y, background.z, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        glfwSwapBuffers(window);
      }
      if (texture != 0) {
        glDeleteTextures(1, &texture);
      }
      ImGui_ImplOpenGL3_Shutdown();
    }
    ImGui_ImplGlfw_Shutdown();
  }
  if (result == -1) {
    sayCannotShow("its drawing could not be set up");
  }
  ImGui::DestroyContext();
  glfwSetWindowUserPointer(window, nullptr);
  glfwDestroyWindow(window);
  glfwTerminate();
  return result;
}

}  // namespace tessaly::platform
