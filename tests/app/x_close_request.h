// Asks an X window to close the way a window manager's close button does:
// a WM_DELETE_WINDOW message of the WM_PROTOCOLS kind. Kept apart because
// Xlib's macros clash with test headers.
#pragma once

namespace tessaly::test {

// False when the display cannot be opened or the window is gone.
bool sendCloseRequest(unsigned long window);

}  // namespace tessaly::test
