#include "tests/app/x_display.h"

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

DisplayConnection::DisplayConnection() : display_(XOpenDisplay(nullptr)) {}

DisplayConnection::~DisplayConnection() {
  if (display_ != nullptr) {
    XCloseDisplay(static_cast<Display*>(display_));
  }
}

}  // namespace tessaly::test
