// GL_TIME_ELAPSED queries, two in turn.
#include "tools/studio/gpu_timer.h"

namespace tessaly::studio {

void GpuTimer::release() {
  if (made_) {
    glDeleteQueries(2, queries_.data());
    made_ = false;
    pending_ = {};
  }
}

void GpuTimer::collect() {
  for (int i = 0; i < 2; ++i) {
    if (!pending_[i]) continue;
    GLint available = 0;
    glGetQueryObjectiv(queries_[i], GL_QUERY_RESULT_AVAILABLE, &available);
    if (available != 0) {
      GLuint64 nanoseconds = 0;
      glGetQueryObjectui64v(queries_[i], GL_QUERY_RESULT, &nanoseconds);
      milliseconds_ = static_cast<double>(nanoseconds) * 1e-6;
      pending_[i] = false;
    }
  }
}

void GpuTimer::begin() {
  if (!made_) {
    if (!GLEW_VERSION_3_3 && !GLEW_ARB_timer_query) {
      return;
    }
    glGenQueries(2, queries_.data());
    made_ = true;
  }
  collect();
  // A query still in flight is not started again; that frame goes unmeasured.
  current_ = 1 - current_;
  if (pending_[current_]) {
    return;
  }
  glBeginQuery(GL_TIME_ELAPSED, queries_[current_]);
  running_ = true;
}

void GpuTimer::end() {
  if (!running_) {
    return;
  }
  glEndQuery(GL_TIME_ELAPSED);
  pending_[current_] = true;
  running_ = false;
}

}  // namespace tessaly::studio
