#include "tests/content/golden_compare.h"

#include <algorithm>
#include <cstdlib>

namespace tessaly::test {

namespace {

int channelDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                      std::size_t i) {
  return std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
}

int pixelDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                    std::size_t pixel) {
  return std::max({channelDifference(a, b, pixel * 4), channelDifference(a, b, pixel * 4 + 1),
                   channelDifference(a, b, pixel * 4 + 2)});
}

}  // namespace

PictureDifference comparePictures(const std::vector<std::uint8_t>& a,
                                  const std::vector<std::uint8_t>& b, int offLevels) {
  PictureDifference difference;
  const std::size_t pixels = std::min(a.size(), b.size()) / 4;
  if (pixels == 0) {
    return difference;
  }
  long long sum = 0;
  std::size_t off = 0;
  for (std::size_t p = 0; p < pixels; ++p) {
    for (std::size_t c = 0; c < 3; ++c) {
      sum += channelDifference(a, b, p * 4 + c);
    }
    const int largest = pixelDifference(a, b, p);
    difference.largest = std::max(difference.largest, largest);
    off += largest > offLevels ? 1 : 0;
  }
  difference.meanLevels = static_cast<double>(sum) / static_cast<double>(pixels * 3);
  difference.offShare = static_cast<double>(off) / static_cast<double>(pixels);
  return difference;
}

bool withinTolerance(const PictureDifference& difference, const GoldenTolerance& tolerance) {
  return difference.offShare <= tolerance.offShare &&
         difference.meanLevels <= tolerance.meanLevels;
}

std::vector<std::uint8_t> differencePicture(const std::vector<std::uint8_t>& a,
                                            const std::vector<std::uint8_t>& b, int offLevels) {
  const std::size_t pixels = std::min(a.size(), b.size()) / 4;
  std::vector<std::uint8_t> picture(pixels * 4, 255);
  for (std::size_t p = 0; p < pixels; ++p) {
    const int d = pixelDifference(a, b, p);
    const auto grey = static_cast<std::uint8_t>(std::min(255, d * 4));
    picture[p * 4] = d > offLevels ? 255 : grey;
    picture[p * 4 + 1] = d > offLevels ? 0 : grey;
    picture[p * 4 + 2] = d > offLevels ? 0 : grey;
  }
  return picture;
}

}  // namespace tessaly::test
