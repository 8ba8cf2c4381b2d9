#include "tests/app/x_display.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tessaly::test {

namespace {

bool requestFailed = false;

// Xlib's default handler ends the process; a window that is already gone
// only makes the request fail.
int noteError(Display*, XErrorEvent*) {
  requestFailed = true;
  return 0;
}

}  // namespace

bool sendCloseRequest(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return false;
  }
  requestFailed = false;
  const auto previous = XSetErrorHandler(noteError);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return !requestFailed;
}

unsigned long x11Window(GLFWwindow* window) {
  return glfwGetX11Window(window);
}

std::vector<unsigned long> windowIconProperty(unsigned long window) {
  std::vector<unsigned long> values;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return values;
  }
  requestFailed = false;
  const auto previous = XSetErrorHandler(noteError);
  const Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long bytesLeft = 0;
  unsigned char* data = nullptr;
  // First its size in bytes, then all of it (Xlib returns nothing when
  // asked for far more than there is).
  int status = XGetWindowProperty(display, window, icon, 0, 0, False, XA_CARDINAL, &type, &format,
                                  &count, &bytesLeft, &data);
  if (data != nullptr) {
    XFree(data);
    data = nullptr;
  }
  if (status == Success && bytesLeft > 0) {
    status = XGetWindowProperty(display, window, icon, 0, static_cast<long>((bytesLeft + 3) / 4),
                                False, XA_CARDINAL, &type, &format, &count, &bytesLeft, &data);
  }
  XSync(display, False);
  if (status == Success && !requestFailed && type == XA_CARDINAL && format == 32 && data != nullptr) {
    // Xlib hands 32-bit items over as longs; only their low 32 bits count.
    const long* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      values.push_back(static_cast<unsigned long>(items[i]) & 0xFFFFFFFFul);
    }
  }
  if (data != nullptr) {
    XFree(data);
  }
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return values;
}

std::vector<unsigned long> expectedIconProperty(std::span<const platform::RgbaPicture> icons) {
  std::vector<unsigned long> values;
  for (const platform::RgbaPicture& icon : icons) {
    values.push_back(static_cast<unsigned long>(icon.width));
    values.push_back(static_cast<unsigned long>(icon.height));
    for (std::size_t i = 0; i + 3 < icon.rgba.size(); i += 4) {
      const unsigned long r = icon.rgba[i], g = icon.rgba[i + 1], b = icon.rgba[i + 2],
                          a = icon.rgba[i + 3];
      values.push_back(a << 24 | r << 16 | g << 8 | b);
    }
  }
  return values;
}

DisplayConnection::DisplayConnection() : display_(XOpenDisplay(nullptr)) {}

DisplayConnection::~DisplayConnection() {
  if (display_ != nullptr) {
    XCloseDisplay(static_cast<Display*>(display_));
  }
}

}  // namespace tessaly::test
