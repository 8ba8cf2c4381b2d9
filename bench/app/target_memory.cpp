// Render target memory from GL's own answers about each object.
#include "bench/app/target_memory.h"

#include "render/gl.h"
#include "render/post_filter.h"

namespace tessaly::bench {

namespace {

// Depth is stored in whole 16-bit units (24-bit depth takes 32 bits).
std::int64_t bytesPerSample(GLint colorBits, GLint depthStencilBits) {
  const std::int64_t depth = (depthStencilBits + 15) / 16 * 2;
  return colorBits / 8 + depth;
}

std::int64_t textureBytes(GLuint texture) {
  if (texture == 0) {
    return 0;
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  std::int64_t bytes = 0;
  for (GLint level = 0;; ++level) {
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    if (width == 0 || height == 0) {
      break;
    }
    GLint bits = 0;
    for (GLenum size : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE,
                        GL_TEXTURE_ALPHA_SIZE}) {
      GLint componentBits = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, level, size, &componentBits);
      bits += componentBits;
    }
    bytes += static_cast<std::int64_t>(width) * height * bytesPerSample(bits, 0);
  }
  return bytes;
}

std::int64_t renderbufferBytes(GLuint renderbuffer) {
  if (renderbuffer == 0) {
    return 0;
  }
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
  const auto get = [](GLenum name) {
    GLint value = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, name, &value);
    return value;
  };
  const GLint colorBits = get(GL_RENDERBUFFER_RED_SIZE) + get(GL_RENDERBUFFER_GREEN_SIZE) +
                          get(GL_RENDERBUFFER_BLUE_SIZE) + get(GL_RENDERBUFFER_ALPHA_SIZE);
  const GLint depthBits = get(GL_RENDERBUFFER_DEPTH_SIZE) + get(GL_RENDERBUFFER_STENCIL_SIZE);
  const std::int64_t samples = get(GL_RENDERBUFFER_SAMPLES) > 0 ? get(GL_RENDERBUFFER_SAMPLES) : 1;
  return static_cast<std::int64_t>(get(GL_RENDERBUFFER_WIDTH)) * get(GL_RENDERBUFFER_HEIGHT) *
         samples * bytesPerSample(colorBits, depthBits);
}

std::int64_t targetBytes(const render::RenderTarget& target) {
  return textureBytes(target.colorTexture()) + renderbufferBytes(target.depthBuffer()) +
         renderbufferBytes(target.msColorBuffer()) + renderbufferBytes(target.msDepthBuffer());
}

}  // namespace

TargetMemory measureTargets(const render::PostFilter& filter) {
  TargetMemory memory;
  // The frame draws into the first full target and the second and third
  // half targets; the others are made with them and never drawn into.
  for (std::size_t i = 0; i < filter.fullTargets().size(); ++i) {
    (i == 0 ? memory.inUse : memory.unused) += targetBytes(filter.fullTargets()[i]);
  }
  for (std::size_t i = 0; i < filter.halfTargets().size(); ++i) {
    (i == 1 || i == 2 ? memory.inUse : memory.unused) += targetBytes(filter.halfTargets()[i]);
  }
  if (filter.pixelTarget() != nullptr) {
    memory.unused += targetBytes(*filter.pixelTarget());
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return memory;
}

}  // namespace tessaly::bench
