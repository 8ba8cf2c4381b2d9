// Off-screen render targets: a framebuffer whose result is a mipmapped
// 32-bit float RGBA texture, optionally drawn through a 4-sample buffer that
// is resolved into the texture on unbind. Also the 1x1 solid-colour texture
// made by clearing such a target.
#pragma once

#include "render/gl_object.h"

#include <glm/vec4.hpp>

#include <array>
#include <cstdint>

namespace tessaly::render {

class RenderTarget {
 public:
  // Reads the current viewport (unbind restores it), then creates the
  // framebuffer(s) of width x height, multisampled with 4 samples when
  // `multisampled` is non-zero. On failure the target has shown "Failed to
  // initialize mFBO!" (multisampled part) or "Failed to initialize FBO!"
  // and failed() is true; the default framebuffer is bound again either way.
  RenderTarget(std::int32_t multisampled, std::int32_t width, std::int32_t height);
  // Owns its GL objects: moving hands them over, destruction deletes them
  // (when a context is current).
  RenderTarget(RenderTarget&&) noexcept = default;
  RenderTarget& operator=(RenderTarget&&) noexcept = default;

  // A 1x1 single-sample target cleared to `color`: its colour texture is a
  // one-texel texture of that colour at every mip level. The clear colour
  // in effect before the call is put back afterwards.
  static RenderTarget solidColor(const glm::vec4& color);

  // Directs drawing into the target (its 4-sample buffer when multisampled)
  // and sets the viewport to the whole target. Binding does not nest.
  void bind() const;

  // Resolves the 4-sample buffer into colorTexture (colour only), restores
  // savedViewport, binds the default framebuffer and no renderbuffer, and
  // leaves colorTexture bound to GL_TEXTURE_2D of the active unit with
  // freshly generated mipmaps.
  void unbind() const;

  bool failed() const { return failed_; }
  GLuint colorTexture() const { return colorTexture_.name(); }  // GL_RGBA32F, mipmapped
  GLuint depthBuffer() const { return depthBuffer_.name(); }    // single-sample depth
  GLuint framebuffer() const { return framebuffer_.name(); }    // colour texture + depth
  GLuint msColorBuffer() const { return msColorBuffer_.name(); }  // multisampled only
  GLuint msDepthBuffer() const { return msDepthBuffer_.name(); }  // multisampled only
  GLuint msFramebuffer() const { return msFramebuffer_.name(); }  // multisampled only
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t multisampled() const { return multisampled_; }
  std::int32_t samples() const { return samples_; }
  GLenum status() const { return status_; }  // last framebuffer completeness check
  // x, y, width, height of the viewport at construction.
  const std::array<std::int32_t, 4>& savedViewport() const { return savedViewport_; }

 private:
  bool create();

  TextureObject colorTexture_;
  RenderbufferObject depthBuffer_;
  RenderbufferObject msColorBuffer_;
  RenderbufferObject msDepthBuffer_;
  FramebufferObject framebuffer_;
  FramebufferObject msFramebuffer_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::array<std::int32_t, 4> savedViewport_{};
  std::int32_t samples_ = 0;
  GLenum status_ = 0;
  bool failed_ = false;
  std::int32_t multisampled_ = 0;
};

}  // namespace tessaly::render
