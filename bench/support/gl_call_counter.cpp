// The GL call counter: direct entry points defined again here and forwarded
// to the driver, GLEW's entry points swapped for counting ones.
#include "bench/support/gl_call_counter.h"

#include "render/gl.h"

#include <GLFW/glfw3.h>
#include <dlfcn.h>

#include <type_traits>

namespace tessaly::bench {

namespace {

enum class Kind { other, uniformLookup, draw, textureBind, programChange, uniformSet };

bool counting = false;
GlCallCounts counts;

bool breakingDown = false;
GpuBreakdown breakdown;
int mipmapCalls = 0;  // target unbinds so far in the frame

void finishGl() {
  static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glFinish"));
  real();
}

// The three calls at which the breakdown takes its times.
enum class SyncPoint { resolve, mipmap, present };

// Finishes the work queued before a sync point, attributed to the pass it
// belongs to; then `call` finished on its own, attributed to its kind.
template <typename Call>
void atSyncPoint(SyncPoint point, Call call) {
  if (!breakingDown) {
    call();
    return;
  }
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  finishGl();
  const auto drawing = Clock::now() - start;
  if (point == SyncPoint::present) {
    breakdown.compositeDrawing += drawing;
  } else if (mipmapCalls == 0) {
    breakdown.sceneDrawing += drawing;
  } else {
    breakdown.blurDrawing += drawing;
  }
  start = Clock::now();
  call();
  finishGl();
  const auto spent = Clock::now() - start;
  switch (point) {
    case SyncPoint::resolve: breakdown.resolves += spent; break;
    case SyncPoint::mipmap:
      breakdown.mipmaps += spent;
      ++mipmapCalls;
      break;
    case SyncPoint::present: breakdown.present += spent; break;
  }
}

// Counts one call and adds its duration, while counting is on.
class CallScope {
 public:
  explicit CallScope(Kind kind) : kind_(kind) {
    if (counting) {
      start_ = std::chrono::steady_clock::now();
    }
  }
  ~CallScope() {
    if (!counting) {
      return;
    }
    const auto spent = std::chrono::steady_clock::now() - start_;
    ++counts.calls;
    counts.insideGl += spent;
    switch (kind_) {
      case Kind::uniformLookup:
        ++counts.uniformLookups;
        counts.uniformLookupTime += spent;
        break;
      case Kind::draw: ++counts.draws; break;
      case Kind::textureBind: ++counts.textureBinds; break;
      case Kind::programChange: ++counts.programChanges; break;
      case Kind::uniformSet: ++counts.uniformSets; break;
      case Kind::other: break;
    }
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  Kind kind_;
  std::chrono::steady_clock::time_point start_{};
};

template <Kind kind, typename Result, typename... Arguments>
Result callCounted(Result (*real)(Arguments...), Arguments... arguments) {
  CallScope scope(kind);
  return real(arguments...);
}

// The two sync points GLEW loads: counted, and timed for the breakdown.
PFNGLBLITFRAMEBUFFERPROC realBlitFramebuffer = nullptr;
PFNGLGENERATEMIPMAPPROC realGenerateMipmap = nullptr;

void GLAPIENTRY countedBlitFramebuffer(GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0,
                                       GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,
                                       GLenum filter) {
  atSyncPoint(SyncPoint::resolve, [&] {
    callCounted<Kind::other>(realBlitFramebuffer, sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask,
                             filter);
  });
}

void GLAPIENTRY countedGenerateMipmap(GLenum target) {
  atSyncPoint(SyncPoint::mipmap,
              [&] { callCounted<Kind::other>(realGenerateMipmap, target); });
}

// A counting stand-in for one of GLEW's function pointers.
template <auto Slot, Kind kind, typename Function = std::remove_pointer_t<decltype(Slot)>>
struct Counted;

template <auto Slot, Kind kind, typename Result, typename... Arguments>
struct Counted<Slot, kind, Result (*)(Arguments...)> {
  static inline Result (*real)(Arguments...) = nullptr;
  static Result call(Arguments... arguments) { return callCounted<kind>(real, arguments...); }
  static void install() {
    if (*Slot != nullptr && *Slot != &call) {
      real = *Slot;
      *Slot = &call;
    }
  }
};

}  // namespace

void installGlCallCounter() {
  // Everything the frame code calls through GLEW (GL 1.2 and later).
  Counted<&__glewActiveTexture, Kind::other>::install();
  Counted<&__glewBindBuffer, Kind::other>::install();
  Counted<&__glewBindFramebuffer, Kind::other>::install();
  Counted<&__glewBindRenderbuffer, Kind::other>::install();
  Counted<&__glewBindSampler, Kind::other>::install();
  if (__glewBlitFramebuffer != nullptr && __glewBlitFramebuffer != countedBlitFramebuffer) {
    realBlitFramebuffer = __glewBlitFramebuffer;
    __glewBlitFramebuffer = countedBlitFramebuffer;
  }
  Counted<&__glewBufferData, Kind::other>::install();
  Counted<&__glewBufferSubData, Kind::other>::install();
  Counted<&__glewDisableVertexAttribArray, Kind::other>::install();
  Counted<&__glewEnableVertexAttribArray, Kind::other>::install();
  if (__glewGenerateMipmap != nullptr && __glewGenerateMipmap != countedGenerateMipmap) {
    realGenerateMipmap = __glewGenerateMipmap;
    __glewGenerateMipmap = countedGenerateMipmap;
  }
  Counted<&__glewGetUniformLocation, Kind::uniformLookup>::install();
  Counted<&__glewUniform1f, Kind::uniformSet>::install();
  Counted<&__glewUniform1i, Kind::uniformSet>::install();
  Counted<&__glewUniform2f, Kind::uniformSet>::install();
  Counted<&__glewUniform3f, Kind::uniformSet>::install();
  Counted<&__glewUniform4f, Kind::uniformSet>::install();
  Counted<&__glewUniformMatrix4fv, Kind::uniformSet>::install();
  Counted<&__glewUseProgram, Kind::programChange>::install();
  Counted<&__glewVertexAttribPointer, Kind::other>::install();
}

void startCounting() {
  counts = GlCallCounts{};
  counting = true;
}

GlCallCounts stopCounting() {
  counting = false;
  return counts;
}

void startBreakdown() {
  breakdown = GpuBreakdown{};
  mipmapCalls = 0;
  breakingDown = true;
}

GpuBreakdown stopBreakdown() {
  breakingDown = false;
  return breakdown;
}

}  // namespace tessaly::bench

// The GL 1.x entry points the program links directly, and the buffer swap:
// defined here, so the program's calls land here first.
#define TESSALY_COUNTED_ENTRY(kind, result, name, parameters, arguments)                \
  extern "C" result name parameters {                                                   \
    static const auto real = reinterpret_cast<result(*) parameters>(dlsym(RTLD_NEXT, #name)); \
    tessaly::bench::CallScope scope(tessaly::bench::Kind::kind);                        \
    return real arguments;                                                              \
  }

TESSALY_COUNTED_ENTRY(textureBind, void, glBindTexture, (GLenum target, GLuint texture),
                      (target, texture))
TESSALY_COUNTED_ENTRY(other, void, glBlendFunc, (GLenum source, GLenum destination),
                      (source, destination))
TESSALY_COUNTED_ENTRY(other, void, glClear, (GLbitfield mask), (mask))
TESSALY_COUNTED_ENTRY(other, void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a),
                      (r, g, b, a))
TESSALY_COUNTED_ENTRY(other, void, glDepthMask, (GLboolean flag), (flag))
TESSALY_COUNTED_ENTRY(other, void, glDisable, (GLenum capability), (capability))
TESSALY_COUNTED_ENTRY(draw, void, glDrawArrays, (GLenum mode, GLint first, GLsizei count),
                      (mode, first, count))
TESSALY_COUNTED_ENTRY(draw, void, glDrawElements,
                      (GLenum mode, GLsizei count, GLenum type, const void* indices),
                      (mode, count, type, indices))
TESSALY_COUNTED_ENTRY(other, void, glEnable, (GLenum capability), (capability))
TESSALY_COUNTED_ENTRY(other, void, glGetFloatv, (GLenum name, GLfloat* values), (name, values))
TESSALY_COUNTED_ENTRY(other, void, glGetIntegerv, (GLenum name, GLint* values), (name, values))
TESSALY_COUNTED_ENTRY(other, void, glGetTexLevelParameteriv,
                      (GLenum target, GLint level, GLenum name, GLint* values),
                      (target, level, name, values))
TESSALY_COUNTED_ENTRY(other, void, glGetTexParameteriv, (GLenum target, GLenum name, GLint* values),
                      (target, name, values))
TESSALY_COUNTED_ENTRY(other, void, glPixelStorei, (GLenum name, GLint value), (name, value))
TESSALY_COUNTED_ENTRY(other, void, glPointSize, (GLfloat size), (size))
TESSALY_COUNTED_ENTRY(other, void, glTexParameteri, (GLenum target, GLenum name, GLint value),
                      (target, name, value))
TESSALY_COUNTED_ENTRY(other, void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height),
                      (x, y, width, height))
extern "C" void glfwSwapBuffers(GLFWwindow* window) {
  static const auto real =
      reinterpret_cast<void (*)(GLFWwindow*)>(dlsym(RTLD_NEXT, "glfwSwapBuffers"));
  tessaly::bench::atSyncPoint(tessaly::bench::SyncPoint::present, [&] {
    tessaly::bench::CallScope scope(tessaly::bench::Kind::other);
    real(window);
  });
}
