#include "platform/pcm.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace tessaly::platform {
namespace {

TEST(ForEachRun, CoversTheWindowWithWrapsOrStopsAtTheEnd) {
  std::vector<std::array<std::uint64_t, 3>> runs;
  auto record = [&](std::uint64_t source, std::uint64_t offset, std::uint64_t count) {
    runs.push_back({source, offset, count});
  };
  forEachRun(10, 7, 25, true, record);
  EXPECT_EQ(runs, (std::vector<std::array<std::uint64_t, 3>>{
                      {7, 0, 3}, {0, 3, 10}, {0, 13, 10}, {0, 23, 2}}));
  runs.clear();
  forEachRun(10, 27, 4, true, record);
  EXPECT_EQ(runs, (std::vector<std::array<std::uint64_t, 3>>{{7, 0, 3}, {0, 3, 1}}));
  runs.clear();
  forEachRun(10, 7, 25, false, record);
  EXPECT_EQ(runs, (std::vector<std::array<std::uint64_t, 3>>{{7, 0, 3}}));
  runs.clear();
  forEachRun(10, 10, 5, false, record);
  forEachRun(0, 0, 5, true, record);
  EXPECT_TRUE(runs.empty());
}

}  // namespace
}  // namespace tessaly::platform
