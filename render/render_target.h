// Off-screen render targets: a framebuffer whose result is a mipmapped
// 32-bit float RGBA texture, optionally drawn through a 4-sample buffer that
// is resolved into the texture on unbind. Also the 1x1 solid-colour texture
// made by clearing such a target.
#pragma once

#include "render/gl.h"

#include <glm/vec4.hpp>

#include <array>
#include <cstdint>
#include <memory>

namespace tessaly::render {

class RenderTarget {
 public:
  // Reads the current viewport into savedViewport (unbind restores it), then
  // creates the GL objects. On failure the target has shown its message and
  // `failed` is set; owners that care look at it.
  RenderTarget(std::int32_t multisampled, std::int32_t width, std::int32_t height);
  RenderTarget(const RenderTarget&) = delete;
  RenderTarget& operator=(const RenderTarget&) = delete;

  // Creates the framebuffer(s) of the given size. False after "Failed to
  // initialize mFBO!" (multisampled part) or "Failed to initialize FBO!";
  // the default framebuffer is bound again either way.
  bool create(std::int32_t width, std::int32_t height);

  // Directs drawing into the target (its 4-sample buffer when multisampled)
  // and sets the viewport to the whole target. Binding does not nest.
  void bind() const;

  // Resolves the 4-sample buffer into colorTexture (colour only), restores
  // savedViewport, binds the default framebuffer and no renderbuffer, and
  // leaves colorTexture bound to GL_TEXTURE_2D of the active unit with
  // freshly generated mipmaps.
  void unbind() const;

  // Deletes the GL objects while the context is still current. Nothing in
  // the player calls it (its targets live until the process ends); tools
  // and benchmarks that make many targets do. The destructor never calls GL.
  void release();

  GLuint colorTexture = 0;   // GL_RGBA32F, width x height, mipmapped
  GLuint depthBuffer = 0;    // single-sample depth
  GLuint msColorBuffer = 0;  // 4-sample colour, multisampled only
  GLuint msDepthBuffer = 0;  // 4-sample depth, multisampled only
  std::int32_t width = 0;
  std::int32_t height = 0;
  GLuint framebuffer = 0;                       // colorTexture + depthBuffer
  GLuint msFramebuffer = 0;                     // msColorBuffer + msDepthBuffer, multisampled only
  std::array<std::int32_t, 4> savedViewport{};  // x, y, width, height at construction
  std::int32_t samples = 0;
  GLenum status = 0;  // last framebuffer completeness check
  bool failed = false;
  std::int32_t multisampled = 0;
};

// A 1x1 single-sample target cleared to `color`: its colorTexture is a
// one-texel texture of that colour at every mip level. The clear colour in
// effect before the call is put back afterwards.
std::unique_ptr<RenderTarget> createSolidColorTarget(const glm::vec4& color);

}  // namespace tessaly::render
