// The capture's pipelined read-back and its worker thread.
#include "tools/capture/frame_pipeline.h"

#include "tools/capture/capture_frames.h"
#include "render/gl.h"

#include <algorithm>
#include <cstring>

namespace tessaly::capture {

FramePipeline::FramePipeline(FrameCapture& capture, Consumer consumer, Settings settings)
    : capture_(capture),
      consumer_(std::move(consumer)),
      width_(capture.width()),
      height_(capture.height()),
      queue_(std::max(1, settings.queuedFrames), width_, height_) {
  const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * 4;
  slots_.resize(static_cast<std::size_t>(std::max(1, settings.readBuffers)));
  for (Slot& slot : slots_) {
    glGenBuffers(1, &slot.buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    // Read by the CPU once per frame, written by GL: a stream read buffer.
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  worker_ = std::thread([this] { work(); });
}

FramePipeline::~FramePipeline() {
  abandon();
}

bool FramePipeline::submit(long number, double seconds) {
  if (ended_ || queue_.cancelled()) {
    return false;
  }
  Slot& slot = slots_[next_];
  if (slot.number >= 0) {
    collect(slot);
  }
  next_ = (next_ + 1) % slots_.size();
  capture_.render(seconds, slot.buffer);
  slot.number = number;
  return !queue_.cancelled();
}

void FramePipeline::collect(Slot& slot) {
  const long number = slot.number;
  slot.number = -1;
  std::optional<Image> frame = queue_.take();
  if (!frame) {
    return;  // the consumer has stopped: the frame is not wanted
  }
  if (frame->width != width_ || frame->height != height_) {
    *frame = Image(width_, height_);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
  // Waits for this frame's read-back only; later frames go on rendering.
  const void* pixels = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                        static_cast<GLsizeiptr>(frame->rgba.size()), GL_MAP_READ_BIT);
  if (pixels != nullptr) {
    std::memcpy(frame->rgba.data(), pixels, frame->rgba.size());
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  } else {
    // A driver that cannot map the buffer still copies it out: the frame is
    // never queued with the pixels of an earlier one.
    glGetBufferSubData(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(frame->rgba.size()),
                       frame->rgba.data());
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  queue_.push(number, std::move(*frame));
}

void FramePipeline::work() {
  while (auto item = queue_.pop()) {
    auto& [number, frame] = *item;
    finishReadBack(frame);
    const bool taken = consumer_(number, frame);
    queue_.giveBack(std::move(frame));
    if (!taken) {
      queue_.cancel();
      return;
    }
  }
}

bool FramePipeline::finish() {
  if (ended_) {
    return !queue_.cancelled();
  }
  // Oldest first: the slot after the last one rendered into.
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[(next_ + i) % slots_.size()];
    if (slot.number >= 0) {
      collect(slot);
    }
  }
  queue_.close();
  stopWorker();
  return !queue_.cancelled();
}

void FramePipeline::abandon() {
  if (ended_) {
    return;
  }
  queue_.cancel();
  stopWorker();
}

void FramePipeline::stopWorker() {
  if (worker_.joinable()) {
    worker_.join();
  }
  for (Slot& slot : slots_) {
    glDeleteBuffers(1, &slot.buffer);
    slot = Slot{};
  }
  ended_ = true;
}

}  // namespace tessaly::capture
