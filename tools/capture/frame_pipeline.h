// The capture's fast path: frames rendered on the thread that owns the GL
// context, read back through a ring of pixel buffer objects (frame n is
// copied out while n + 1 and n + 2 render), then turned top row first and
// opaque, and handed in order to a consumer on a worker thread, where the
// encoding and the writing happen. A bounded pool of frames keeps memory
// bounded: when the consumer falls behind, rendering waits for it.
//
// The frames are bit for bit those of FrameCapture::capture, the
// synchronous read-back, which stays for comparison.
#pragma once

#include "tools/capture/frame_queue.h"
#include "tools/capture/image.h"

#include <functional>
#include <thread>
#include <vector>

namespace tessaly::capture {

class FrameCapture;

class FramePipeline {
 public:
  // Takes frame `number` (as given to submit), top row first and opaque,
  // on the worker thread; false stops the pipeline (its reason is the
  // consumer's to keep). The frame may be changed or swapped out.
  using Consumer = std::function<bool(long number, Image& frame)>;

  struct Settings {
    int readBuffers = 3;  // pixel buffer objects in the ring
    int queuedFrames = 4;  // frames read back and not yet consumed, at most
  };

  // `capture` must be started; its context must stay current on this thread.
  FramePipeline(FrameCapture& capture, Consumer consumer, Settings settings);
  FramePipeline(FrameCapture& capture, Consumer consumer)
      : FramePipeline(capture, std::move(consumer), Settings{}) {}
  ~FramePipeline();  // abandons what is not finished
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // Renders frame `number` at `seconds` of music time into the ring; the
  // oldest frame of a full ring is read back and queued first (which waits
  // while the queue is full). False once the consumer has refused a frame:
  // nothing more is taken.
  bool submit(long number, double seconds);

  // Reads back the frames still in the ring, waits until the consumer has
  // taken every frame and ends the worker. False when it refused one.
  bool finish();

  // Ends without the frames still in the ring or the queue: the frame the
  // consumer holds is finished, the others are dropped.
  void abandon();

 private:
  struct Slot {
    unsigned buffer = 0;  // the pixel buffer object
    long number = -1;     // the frame in it, or -1
  };

  void collect(Slot& slot);
  void work();
  void stopWorker();

  FrameCapture& capture_;
  Consumer consumer_;
  int width_;
  int height_;
  std::vector<Slot> slots_;
  std::size_t next_ = 0;  // the slot the next frame renders into
  FrameQueue queue_;
  std::thread worker_;
  bool ended_ = false;
};

}  // namespace tessaly::capture
