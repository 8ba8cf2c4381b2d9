// How far a rendered frame is from its reference picture, and whether that
// is within the tolerance of the golden-frame tests. Plain arithmetic on
// 8-bit RGBA pixels (alpha ignored), no GL.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly::test {

struct PictureDifference {
  double meanLevels = 0.0;  // mean absolute difference of the colour channels, 0-255
  double offShare = 0.0;    // share of pixels with a channel off by more than the threshold
  int largest = 0;          // the largest difference of any channel
};

struct GoldenTolerance {
  int levels;          // a pixel is off when a channel differs by more than this
  double offShare;     // at most this share of the pixels may be off
  double meanLevels;   // and the mean difference may be at most this
};

// Compares two pictures of the same size (width * height * 4 bytes each).
PictureDifference comparePictures(const std::vector<std::uint8_t>& a,
                                  const std::vector<std::uint8_t>& b, int offLevels);

bool withinTolerance(const PictureDifference& difference, const GoldenTolerance& tolerance);

// A picture of where two pictures differ: black where they agree, brighter
// with the largest channel difference, red where a pixel is off.
std::vector<std::uint8_t> differencePicture(const std::vector<std::uint8_t>& a,
                                            const std::vector<std::uint8_t>& b, int offLevels);

}  // namespace tessaly::test
