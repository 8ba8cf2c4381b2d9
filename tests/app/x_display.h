// Small Xlib helpers for tests that drive windows, kept apart because
// Xlib's macros clash with test headers.
#pragma once

#include "platform/picture.h"

#include <span>
#include <vector>

struct GLFWwindow;

namespace tessaly::test {

// The X window behind a GLFW window.
unsigned long x11Window(GLFWwindow* window);

// The window's _NET_WM_ICON property, the icon window managers show: for
// each size its width, its height, then width x height pixels as ARGB, one
// 32-bit value each. Empty when the window has none or is gone.
std::vector<unsigned long> windowIconProperty(unsigned long window);

// What _NET_WM_ICON holds for these pictures, in that layout.
std::vector<unsigned long> expectedIconProperty(std::span<const platform::RgbaPicture> icons);

// Asks an X window to close the way a window manager's close button does:
// a WM_DELETE_WINDOW message of the WM_PROTOCOLS kind. False when the
// display cannot be opened or the window is gone.
bool sendCloseRequest(unsigned long window);

// Keeps one connection to the X display open while it lives. An X server
// resets when its last client leaves, and refuses connections while it
// does; a held connection keeps the short-lived tools and windows of a test
// from meeting such a reset.
class DisplayConnection {
 public:
  DisplayConnection();
  ~DisplayConnection();
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;

  bool ok() const { return display_ != nullptr; }

 private:
  void* display_ = nullptr;
};

}  // namespace tessaly::test
