// Small Xlib helpers for tests that drive windows, kept apart because
// Xlib's macros clash with test headers.
#pragma once

namespace tessaly::test {

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
