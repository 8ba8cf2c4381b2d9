// What a shown window presents, read from the X server: the pixels the last
// buffer swap put on screen, as opposed to what is in the GL back buffer.
#pragma once

#include <array>

struct GLFWwindow;

namespace tessaly::test {

// Shows the window and waits until the X server maps it; false when it does
// not within a few seconds.
bool showWindowAndWait(GLFWwindow* window);

// The RGB colour the window shows at (x, y), counted from its top-left.
std::array<int, 3> presentedPixel(GLFWwindow* window, int x, int y);

}  // namespace tessaly::test
