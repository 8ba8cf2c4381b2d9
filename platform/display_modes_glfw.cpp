// Display modes of the primary monitor through GLFW.
#include "platform/display_modes.h"

#include <GLFW/glfw3.h>

namespace tessaly::platform {

std::int32_t bitsPerPixel(int redBits, int greenBits, int blueBits) {
  if (redBits == 8 && greenBits == 8 && blueBits == 8) {
    return 32;
  }
  return redBits + greenBits + blueBits;
}

std::vector<DisplayMode> primaryDisplayModes() {
  std::vector<DisplayMode> modes;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  if (monitor == nullptr) {
    return modes;
  }
  int count = 0;
  const GLFWvidmode* list = glfwGetVideoModes(monitor, &count);
  if (list == nullptr) {
    return modes;
  }
  modes.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const GLFWvidmode& mode = list[i];
    modes.push_back({mode.width, mode.height,
                     bitsPerPixel(mode.redBits, mode.greenBits, mode.blueBits),
                     mode.refreshRate});
  }
  return modes;
}

bool primaryDesktopSize(std::int32_t& width, std::int32_t& height) {
  width = 0;
  height = 0;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
  if (mode == nullptr) {
    return false;
  }
  width = mode->width;
  height = mode->height;
  return true;
}

}  // namespace tessaly::platform
