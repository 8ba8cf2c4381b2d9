// Counts the GL calls a benchmark's code makes, and the time spent inside
// them, by standing between the program and the driver: the GL 1.x entry
// points the program links directly (and glfwSwapBuffers) are defined again
// in the benchmark executable, which the linker then prefers, and forward to
// the driver's through dlsym(RTLD_NEXT); the entry points GLEW loads are
// swapped for counting ones after glewInit. Every GL function the frame
// code calls is covered (gl_call_counter.cpp lists them).
//
// Link gl_call_counter.cpp into the executable itself (not through a static
// library), so that its definitions take the place of libGL's.
#pragma once

#include <chrono>
#include <cstdint>

namespace tessaly::bench {

struct GlCallCounts {
  std::int64_t calls = 0;            // every counted GL call, the buffer swap included
  std::int64_t uniformLookups = 0;   // glGetUniformLocation
  std::int64_t draws = 0;            // glDrawArrays, glDrawElements
  std::int64_t textureBinds = 0;     // glBindTexture
  std::int64_t programChanges = 0;   // glUseProgram
  std::int64_t uniformSets = 0;      // glUniform*
  std::chrono::nanoseconds insideGl{};        // wall time inside counted calls
  std::chrono::nanoseconds uniformLookupTime{};  // of that, inside glGetUniformLocation
};

// Swaps GLEW's entry points for counting ones; call once, after glewInit,
// with the context current. Counting is off until startCounting.
void installGlCallCounter();

// Clears the counts and counts from now on.
void startCounting();
// Stops counting and returns what was counted since startCounting.
GlCallCounts stopCounting();

// Where a frame's GPU time goes (llvmpipe draws when it must: at a resolve,
// a mipmap rebuild or the swap). With the breakdown on, the work queued
// before each of those calls, and the call itself, are each finished and
// timed on their own: the drawing flushed by the first target unbind is the
// scene's, by the second and third the blur passes', by the swap the
// composites' and overlays'. Finishing at those points is what the
// rasteriser does anyway, so the sum stays close to the frame's time.
struct GpuBreakdown {
  std::chrono::nanoseconds sceneDrawing{};
  std::chrono::nanoseconds blurDrawing{};
  std::chrono::nanoseconds compositeDrawing{};
  std::chrono::nanoseconds resolves{};  // glBlitFramebuffer
  std::chrono::nanoseconds mipmaps{};   // glGenerateMipmap
  std::chrono::nanoseconds present{};   // glfwSwapBuffers
};
void startBreakdown();
GpuBreakdown stopBreakdown();

}  // namespace tessaly::bench
