// The icon a window shows in its title bar, the task bar and the window
// switcher.
#pragma once

#include "platform/picture.h"

#include <span>

struct GLFWwindow;

namespace tessaly::platform {

// Gives `window` the icon drawn at the sizes in `icons`; the window system
// picks the size it needs. Pictures whose pixel count does not match their
// size are left out; with none left (or none given) the window keeps the
// system's default icon. On the main thread, like every GLFW window call.
void setWindowIcon(GLFWwindow* window, std::span<const RgbaPicture> icons);

}  // namespace tessaly::platform
