// Runs fn(row) for every row of a picture on all cores. Each row is written
// by one thread only, so the result does not depend on the thread count.
#pragma once

#include "tools/content/image.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace tessaly::content {

template <typename Function>
void forEachRow(int rows, Function fn) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<int> next{0};
  auto work = [&] {
    for (int row = next++; row < rows; row = next++) {
      fn(row);
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < cores; ++i) {
    helpers.emplace_back(work);
  }
  work();
  for (std::thread& helper : helpers) {
    helper.join();
  }
}

// A picture from shade(u, v) -> RGBA at every pixel centre: u runs across,
// v down from the top row, both in [0, 1).
template <typename Shade>
Image paintImage(int width, int height, Shade shade) {
  Image image(width, height);
  forEachRow(height, [&](int y) {
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
    for (int x = 0; x < width; ++x) {
      image.at(x, y) = shade((static_cast<float>(x) + 0.5f) / static_cast<float>(width), v);
    }
  });
  return image;
}

}  // namespace tessaly::content
