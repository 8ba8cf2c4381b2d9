// The display modes and desktop size of the primary monitor, standing in for
// the system's display-settings enumeration and the desktop window's size.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly::platform {

struct DisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;  // red + green + blue bits; 8+8+8 counts as 32
  std::int32_t refreshRate = 0;   // Hz
};

// Bits per pixel as the display settings report them: the sum of the colour
// bits, except that 8 bits each is the 32-bit pixel.
std::int32_t bitsPerPixel(int redBits, int greenBits, int blueBits);

// Every mode of the primary monitor in GLFW's order (one resolution's
// refresh rates next to each other). Empty when there is no monitor. GLFW
// must be initialised.
std::vector<DisplayMode> primaryDisplayModes();

// The primary monitor's current mode size; false (and 0 x 0) when there is
// no monitor. GLFW must be initialised.
bool primaryDesktopSize(std::int32_t& width, std::int32_t& height);

}  // namespace tessaly::platform
