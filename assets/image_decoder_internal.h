// The picture decoder's version check with the version number given, for
// its tests: they see an old DevIL refused with the DevIL that is
// installed. Not part of the decoder's interface; only image_decoder.cpp
// and its tests include this.
#pragma once

#include <cstdint>

namespace tessaly::assets::internal {

// initializeDevil as if DevIL reported `versionNumber`.
bool initializeDevilAs(std::int32_t versionNumber);

}  // namespace tessaly::assets::internal
