// The program's icon: a rounded tile of the banner's faceted night sky with
// a neon "T", drawn in code at any size. The player's window, the setup
// dialog's window and the icons installed for the desktop's menu all show
// this one picture.
#pragma once

#include "platform/picture.h"

#include <array>
#include <vector>

namespace tessaly::app {

// The sizes handed to the windows; the window system picks among them.
inline constexpr std::array<int, 5> windowIconSizes = {16, 32, 48, 64, 128};

inline constexpr int maxIconSize = 1024;

// The icon `size` x `size` pixels, drawn for that size (not scaled from
// another), edges anti-aliased, transparent outside the tile. Empty for a
// size outside 1..maxIconSize.
platform::RgbaPicture programIcon(int size);

// The icon at every windowIconSizes size, smallest first.
std::vector<platform::RgbaPicture> windowIcons();

}  // namespace tessaly::app
