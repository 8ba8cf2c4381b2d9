#include "tools/capture/frame_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tessaly::capture {
namespace {

using namespace std::chrono_literals;

// The pool bounds the frames in flight: a take waits until the consumer
// gives one back; frames come out in order; a close ends the consumer once
// the queue is empty; a cancel frees a waiting producer.
TEST(FrameQueue, BoundsTheFramesInFlightKeepsOrderAndEndsOnCloseOrCancel) {
  FrameQueue queue(2, 4, 3);
  auto first = queue.take();
  auto second = queue.take();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->rgba.size(), 4u * 3u * 4u);

  std::atomic<bool> tookThird = false;
  std::thread producer([&] {
    auto third = queue.take();  // waits: both frames are out
    tookThird = third.has_value();
    if (third) queue.push(3, std::move(*third));
    queue.close();
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(tookThird);

  queue.push(1, std::move(*first));
  queue.push(2, std::move(*second));
  auto item = queue.pop();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->first, 1);
  queue.giveBack(std::move(item->second));  // frees the producer
  producer.join();
  EXPECT_TRUE(tookThird);
  item = queue.pop();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->first, 2);
  item = queue.pop();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->first, 3);
  EXPECT_FALSE(queue.pop());  // closed and empty

  FrameQueue cancelled(1, 1, 1);
  auto only = cancelled.take();
  std::thread waiting([&] { EXPECT_FALSE(cancelled.take()); });
  std::this_thread::sleep_for(20ms);
  cancelled.cancel();
  waiting.join();
  EXPECT_FALSE(cancelled.pop());
}

}  // namespace
}  // namespace tessaly::capture
