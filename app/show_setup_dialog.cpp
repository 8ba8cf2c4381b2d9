// The setup dialog in its real window, on the primary monitor's modes.
#include "app/program_icon.h"
#include "app/setup_banner.h"
#include "app/setup_dialog.h"
#include "app/window.h"
#include "platform/display_modes.h"
#include "platform/setup_window.h"

#include <GLFW/glfw3.h>

namespace tessaly::app {

namespace {

// The primary monitor's modes, read afresh at the start of every listing
// (mode number 0), as an enumeration of the display settings would.
class PrimaryMonitorModes final : public DisplayModeSource {
 public:
  bool mode(int index, platform::DisplayMode& mode) override {
    if (index == 0) {
      modes_ = platform::primaryDisplayModes();
    }
    if (index < 0 || index >= static_cast<int>(modes_.size())) {
      return false;
    }
    mode = modes_[static_cast<std::size_t>(index)];
    return true;
  }
  void desktopSize(std::int32_t& width, std::int32_t& height) override {
    platform::primaryDesktopSize(width, height);
  }

 private:
  std::vector<platform::DisplayMode> modes_;
};

}  // namespace

int showSetupDialog(DemoConfig* config) {
  if (config == nullptr) {
    return -1;
  }
  glfwSetErrorCallback(glfwErrorHandler);
  PrimaryMonitorModes modes;
  SetupDialog dialog(*config, modes);
  return platform::runSetupWindow(dialog, windowTitle, setupBanner(), windowIcons());
}

}  // namespace tessaly::app
