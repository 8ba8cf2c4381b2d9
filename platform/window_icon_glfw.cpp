// Window icons through GLFW (on X11 the _NET_WM_ICON property).
#include "platform/window_icon.h"

#include <GLFW/glfw3.h>

#include <vector>

namespace tessaly::platform {

void setWindowIcon(GLFWwindow* window, std::span<const RgbaPicture> icons) {
  if (window == nullptr) {
    return;
  }
  std::vector<GLFWimage> images;
  for (const RgbaPicture& icon : icons) {
    if (icon.width > 0 && icon.height > 0 &&
        icon.rgba.size() == static_cast<std::size_t>(icon.width) * icon.height * 4) {
      // GLFW copies the pixels and never writes to them.
      images.push_back({icon.width, icon.height, const_cast<unsigned char*>(icon.rgba.data())});
    }
  }
  if (!images.empty()) {
    glfwSetWindowIcon(window, static_cast<int>(images.size()), images.data());
  }
}

}  // namespace tessaly::platform
