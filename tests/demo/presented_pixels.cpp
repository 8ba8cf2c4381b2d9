// Reading a window's on-screen pixels through Xlib.
#include "tests/demo/presented_pixels.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace tessaly::test {

bool showWindowAndWait(GLFWwindow* window) {
  glfwShowWindow(window);
  Display* display = glfwGetX11Display();
  const Window handle = glfwGetX11Window(window);
  for (int attempt = 0; attempt < 200; ++attempt) {
    XSync(display, False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, handle, &attributes) != 0 &&
        attributes.map_state == IsViewable) {
      return true;
    }
    glfwPollEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::array<int, 3> presentedPixel(GLFWwindow* window, int x, int y) {
  Display* display = glfwGetX11Display();
  XSync(display, False);
  XImage* image = XGetImage(display, glfwGetX11Window(window), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) {
    return {-1, -1, -1};
  }
  const unsigned long pixel = XGetPixel(image, 0, 0);
  const std::array<int, 3> rgb = {static_cast<int>((pixel & image->red_mask) >> 16),
                                  static_cast<int>((pixel & image->green_mask) >> 8),
                                  static_cast<int>(pixel & image->blue_mask)};
  XDestroyImage(image);
  return rgb;
}

}  // namespace tessaly::test
