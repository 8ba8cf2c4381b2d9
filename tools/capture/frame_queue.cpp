// The capture's bounded, ordered hand-over of frames between two threads.
#include "tools/capture/frame_queue.h"

namespace tessaly::capture {

FrameQueue::FrameQueue(int capacity, int width, int height) {
  for (int i = 0; i < capacity; ++i) {
    free_.emplace_back(width, height);
  }
}

std::optional<Image> FrameQueue::take() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return cancelled_ || !free_.empty(); });
  if (cancelled_) {
    return std::nullopt;
  }
  Image frame = std::move(free_.back());
  free_.pop_back();
  return frame;
}

void FrameQueue::push(long number, Image frame) {
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) {
      free_.push_back(std::move(frame));
      return;
    }
    queued_.emplace_back(number, std::move(frame));
  }
  changed_.notify_all();
}

std::optional<std::pair<long, Image>> FrameQueue::pop() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return cancelled_ || closed_ || !queued_.empty(); });
  if (cancelled_ || queued_.empty()) {
    return std::nullopt;
  }
  auto item = std::move(queued_.front());
  queued_.pop_front();
  return item;
}

void FrameQueue::giveBack(Image frame) {
  {
    std::lock_guard lock(mutex_);
    free_.push_back(std::move(frame));
  }
  changed_.notify_all();
}

void FrameQueue::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

void FrameQueue::cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    while (!queued_.empty()) {
      free_.push_back(std::move(queued_.front().second));
      queued_.pop_front();
    }
  }
  changed_.notify_all();
}

bool FrameQueue::cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

}  // namespace tessaly::capture
