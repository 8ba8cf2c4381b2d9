// The post-processing chain: the one object that draws full-screen pictures,
// runs the glow pass that ends every scene, clears and presents frames. It
// owns the full-screen quad, the filter and bokeh programs and nine render
// targets, all made once at start-up.
#pragma once

#include "render/render_target.h"
#include "render/shader_program.h"

#include <array>
#include <cstdint>
#include <memory>

namespace tessaly::render {

inline constexpr const char* filterVertexPath = "Data/Shaders/Filters.vert";
inline constexpr const char* filterFragmentPath = "Data/Shaders/Filters.frag";
inline constexpr const char* bokehVertexPath = "Data/Shaders/Bokeh.vert";
inline constexpr const char* bokehFragmentPath = "Data/Shaders/Bokeh.frag";

// Six vertices of (x, y, z, u, v): two counter-clockwise triangles covering
// clip space.
inline constexpr std::array<float, 30> quadVertices = {
    -1, -1, 0, 0, 0,  //
    1,  -1, 0, 1, 0,  //
    1,  1,  0, 1, 1,  //
    -1, -1, 0, 0, 0,  //
    1,  1,  0, 1, 1,  //
    -1, 1,  0, 0, 1,  //
};

// Ways of running the chain's passes on GL that leave every pixel exactly as
// the plain passes would, while costing a software rasteriser much less. All
// are on in the player; tests and benchmarks turn them off to compare with
// the passes as first written.
struct PassSavings {
  // A picture drawn magnified at least sqrt(2) times in both directions
  // (the half-size blur onto the screen, a title onto a larger view) is
  // sampled without its mipmaps: at that scale only the magnification
  // filter is ever used, but a mipmapped sampler still computes a level for
  // every pixel.
  bool magnifiedWithoutMipmaps = true;
  // The frame driver leaves out its window clear right before the glow,
  // which clears the window again before it draws anything into it.
  bool skipRepeatedClear = true;

  static constexpr PassSavings none() { return {false, false}; }
};

// The savings in use (process-wide; main thread).
const PassSavings& passSavings();
void setPassSavings(const PassSavings& savings);

class PostFilter {
 public:
  // Creates everything for a window of width x height (call it after the
  // screen viewport is set: the targets restore it on unbind). On failure a
  // message has been shown and `failed` is set; the owner reads it.
  PostFilter(std::int32_t multisampled, std::int32_t width, std::int32_t height);
  PostFilter(const PostFilter&) = delete;
  PostFilter& operator=(const PostFilter&) = delete;

  // The nine targets, the two programs and the quad buffer, in that order
  // (then the two samplers of magnified draws); false at the first failure,
  // after its message.
  bool create(std::int32_t width, std::int32_t height);

  // Draws the quad as two triangles with attribute 0 (position) and 1
  // (texture coordinate) from quadBuffer. Program and texture are the
  // caller's; no array buffer is left bound.
  void drawQuad() const;

  // Clear colour and depth / depth only of the bound framebuffer.
  static void clear();
  static void clearDepth();
  // Swaps the buffers of the current context's window.
  static void present();

  // Draws `texture` over the whole viewport with filter 0 under `alpha`,
  // alpha-blended / added. Afterwards no program is current, blending is off
  // and `texture` is bound to unit 0.
  void draw(GLuint texture, float alpha) const;
  void drawAdditive(GLuint texture, float alpha) const;

  // The glow that ends a scene: the scene target blurred along y into a
  // half-size target, that blurred along x into another, then the scene
  // drawn with `alpha` onto the bound framebuffer and the blur added with
  // the same alpha. `radius` is the blur step in pixels of the screen
  // viewport.
  void glow(float radius, float alpha) const;

  // Makes filterProgram current and sets "offset" to (2x, 2y); the program
  // stays current.
  void setOffset(float x, float y) const;

  // Deletes every GL object while the context is current (benchmarks and
  // tools that make many chains); the player never does.
  void release();

  // The target the frame driver draws each scene into.
  RenderTarget& sceneTarget() const { return *fullTargets[0]; }

  std::unique_ptr<ShaderProgram> filterProgram;
  std::unique_ptr<ShaderProgram> bokehProgram;
  std::array<std::unique_ptr<RenderTarget>, 4> fullTargets;  // width x height
  std::array<std::unique_ptr<RenderTarget>, 4> halfTargets;  // (width / 2) x (height / 2)
  std::unique_ptr<RenderTarget> pixelTarget;                 // 1x1, never multisampled
  std::int32_t multisampled = 0;
  bool failed = false;
  GLuint quadBuffer = 0;

 private:
  void drawBlended(GLuint texture, float alpha, GLenum destinationFactor) const;
  // The sampler that reads `texture` (bound to unit 0) like its own
  // parameters would when it is drawn over the whole viewport, but without
  // mipmaps; 0 when the draw does not magnify it enough or its wrap modes
  // have no such sampler.
  GLuint magnifyingSampler(GLuint texture) const;

  // Linear minification and magnification, no mipmaps, with the wrap modes
  // of loaded pictures (repeat) and of render targets (mirrored repeat).
  GLuint repeatSampler_ = 0;
  GLuint mirroredSampler_ = 0;
};

// Makes the process-wide chain (replacing an earlier one without touching
// its GL objects) and returns it; the caller checks `failed`.
PostFilter* createPostFilter(std::int32_t multisampled, std::int32_t width, std::int32_t height);

// The process-wide chain, or null before createPostFilter.
PostFilter* postFilter();

}  // namespace tessaly::render
