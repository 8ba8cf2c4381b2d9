// The GPU time of the frame, from GL timer queries read one frame late so
// the CPU never waits for them.
#pragma once

#include "render/gl.h"

#include <array>

namespace tessaly::studio {

class GpuTimer {
 public:
  GpuTimer() = default;
  GpuTimer(const GpuTimer&) = delete;
  GpuTimer& operator=(const GpuTimer&) = delete;

  // Around the GL work of one frame; context current.
  void begin();
  void end();
  // Deletes the queries; call while the context is current.
  void release();
  // The newest finished measurement in milliseconds; negative until one is
  // in, or when the driver has no timer queries.
  double milliseconds() const { return milliseconds_; }

 private:
  void collect();

  std::array<GLuint, 2> queries_{};
  std::array<bool, 2> pending_{};
  int current_ = 0;
  bool made_ = false;
  bool running_ = false;
  double milliseconds_ = -1.0;
};

}  // namespace tessaly::studio
