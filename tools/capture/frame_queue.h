// The hand-over between the capture's render thread and its worker: frames
// in order, from a fixed pool, so at most `capacity` frames exist besides
// the one the render thread fills. Plain threads, no GL.
#pragma once

#include "tools/capture/image.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace tessaly::capture {

class FrameQueue {
 public:
  // A pool of `capacity` frames of width x height.
  FrameQueue(int capacity, int width, int height);

  // A free frame to fill; waits while all are queued or in the consumer's
  // hands. Nothing once the queue is closed for good (the consumer failed).
  std::optional<Image> take();
  // Queues a filled frame, in order.
  void push(long number, Image frame);
  // The next queued frame; waits for one. Nothing once the queue is closed
  // and empty.
  std::optional<std::pair<long, Image>> pop();
  // Gives a frame back to the pool.
  void giveBack(Image frame);
  // No more frames will be pushed: pop() ends when the queue is empty.
  void close();
  // Refuses frames from now on: take() and pop() return nothing, queued
  // frames are dropped.
  void cancel();
  bool cancelled() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Image> free_;
  std::deque<std::pair<long, Image>> queued_;
  bool closed_ = false;
  bool cancelled_ = false;
};

}  // namespace tessaly::capture
