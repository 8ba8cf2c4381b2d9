// The setup dialog's picture: a 500 x 200 banner drawn by the program itself
// (a field of shaded triangles under the title "TESSALY DEMOSYSTEM"), the
// same on every run.
#pragma once

#include "platform/picture.h"

namespace tessaly::app {

inline constexpr int bannerWidth = 500;
inline constexpr int bannerHeight = 200;

// The banner as 24-bit RGB, rows top first.
platform::Picture setupBanner();

}  // namespace tessaly::app
