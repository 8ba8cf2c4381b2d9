// The post-processing chain: the one object that draws full-screen pictures,
// runs the glow pass that ends every scene and clears frames. It owns the
// full-screen quad, the filter and bokeh programs and nine render targets,
// all made once at start-up. Presenting a frame is the window's business.
#pragma once

#include "render/render_target.h"
#include "render/shader_program.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::render {

inline constexpr const char* filterVertexPath = "Data/Shaders/Filters.vert";
inline constexpr const char* filterFragmentPath = "Data/Shaders/Filters.frag";
inline constexpr const char* bokehVertexPath = "Data/Shaders/Bokeh.vert";
inline constexpr const char* bokehFragmentPath = "Data/Shaders/Bokeh.frag";

// The chain's two programs, with the name their start-up message gives them
// ("Error compiling <programName>"). The filter program draws every
// full-screen pass: pictures, the overlays' titles (filter 0), the glow and
// the presented frame; the bokeh program is built and checked only.
struct FilterProgramFiles {
  const char* programName;
  const char* vertexPath;
  const char* fragmentPath;
  bool drawn;
};
inline constexpr std::array<FilterProgramFiles, 2> filterProgramFiles = {{
    {"filter shader", filterVertexPath, filterFragmentPath, true},
    {"bokeh shader", bokehVertexPath, bokehFragmentPath, false},
}};

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

class PostFilter {
 public:
  // Creates, for a window of width x height (call it after the screen
  // viewport is set: the targets restore it on unbind), the nine targets,
  // the two programs and the quad buffer, in that order, then the two
  // samplers of magnified draws. Creation stops at the first failure, after
  // its message; failed() then tells the owner.
  PostFilter(std::int32_t multisampled, std::int32_t width, std::int32_t height);
  // Owns every GL object it made: destruction deletes them (when a context
  // is current).
  PostFilter(PostFilter&&) noexcept = default;
  PostFilter& operator=(PostFilter&&) noexcept = default;

  // Draws the quad as two triangles with attribute 0 (position) and 1
  // (texture coordinate) from the quad buffer. Program and texture are the
  // caller's; no array buffer is left bound.
  void drawQuad() const;

  // Clear colour and depth / depth only of the bound framebuffer.
  static void clear();
  static void clearDepth();

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

  // Makes the filter program current and sets "offset" to (2x, 2y); the
  // program stays current.
  void setOffset(float x, float y) const;

  // The target the frame driver draws each scene into.
  const RenderTarget& sceneTarget() const { return fullTargets_[0]; }

  bool failed() const { return failed_; }
  std::int32_t multisampled() const { return multisampled_; }
  // The targets made so far (all of them unless creation failed):
  // width x height, and (width / 2) x (height / 2).
  const std::vector<RenderTarget>& fullTargets() const { return fullTargets_; }
  const std::vector<RenderTarget>& halfTargets() const { return halfTargets_; }
  // 1x1, never multisampled; null when creation stopped before it.
  const RenderTarget* pixelTarget() const { return pixelTarget_ ? &*pixelTarget_ : nullptr; }
  const ShaderProgram& filterProgram() const { return filterProgram_; }
  const ShaderProgram& bokehProgram() const { return bokehProgram_; }

  // Builds the program of "Data/Shaders/<baseName>.vert/.frag" again
  // ("Filters": the filter program, with its start-up uniforms; "Bokeh"),
  // for a program whose files changed while the show runs. The new program
  // replaces the old one, whose GL names are freed, only when it compiled
  // and linked; otherwise the old one stays in use. No program is current
  // afterwards. Shows no message.
  ProgramRebuild rebuildProgram(std::string_view baseName);
  GLuint quadBuffer() const { return quadBuffer_.name(); }

  // The savings the chain's passes (and the frame driver) use; all on by
  // default.
  const PassSavings& savings() const { return savings_; }
  void setSavings(const PassSavings& savings) { savings_ = savings; }

 private:
  bool create(std::int32_t width, std::int32_t height);
  void drawBlended(GLuint texture, float alpha, GLenum destinationFactor) const;
  // The sampler that reads `texture` (bound to unit 0) like its own
  // parameters would when it is drawn over the whole viewport, but without
  // mipmaps; 0 when the draw does not magnify it enough or its wrap modes
  // have no such sampler.
  GLuint magnifyingSampler(GLuint texture) const;

  std::vector<RenderTarget> fullTargets_;
  std::vector<RenderTarget> halfTargets_;
  std::optional<RenderTarget> pixelTarget_;
  ShaderProgram filterProgram_;
  ShaderProgram bokehProgram_;
  BufferObject quadBuffer_;
  // Linear minification and magnification, no mipmaps, with the wrap modes
  // of loaded pictures (repeat) and of render targets (mirrored repeat).
  SamplerObject repeatSampler_;
  SamplerObject mirroredSampler_;
  PassSavings savings_;
  std::int32_t multisampled_ = 0;
  bool failed_ = false;
};

}  // namespace tessaly::render
