// Deleting and generating single GL names.
#include "render/gl_object.h"

#include "platform/gl_context.h"

namespace tessaly::render {

void deleteGlName(GlKind kind, GLuint name) {
  if (name == 0 || !platform::glContextIsCurrent()) {
    return;
  }
  switch (kind) {
    case GlKind::texture: glDeleteTextures(1, &name); break;
    case GlKind::buffer: glDeleteBuffers(1, &name); break;
    case GlKind::framebuffer: glDeleteFramebuffers(1, &name); break;
    case GlKind::renderbuffer: glDeleteRenderbuffers(1, &name); break;
    case GlKind::sampler: glDeleteSamplers(1, &name); break;
    case GlKind::shader: glDeleteShader(name); break;
    case GlKind::program: glDeleteProgram(name); break;
  }
}

TextureObject generateTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  return TextureObject(name);
}

BufferObject generateBuffer() {
  GLuint name = 0;
  glGenBuffers(1, &name);
  return BufferObject(name);
}

FramebufferObject generateFramebuffer() {
  GLuint name = 0;
  glGenFramebuffers(1, &name);
  return FramebufferObject(name);
}

RenderbufferObject generateRenderbuffer() {
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  return RenderbufferObject(name);
}

SamplerObject generateSampler() {
  GLuint name = 0;
  glGenSamplers(1, &name);
  return SamplerObject(name);
}

}  // namespace tessaly::render
