// Owners of single OpenGL object names: a texture, buffer, framebuffer,
// renderbuffer, sampler, shader or program that is deleted when its owner
// goes or is given another object. Move-only, so a name has exactly one
// owner. With no context current (the window is gone) nothing is deleted and
// no GL call is made: the name ends with the process.
#pragma once

#include "render/gl.h"

#include <utility>

namespace tessaly::render {

enum class GlKind { texture, buffer, framebuffer, renderbuffer, sampler, shader, program };

// Deletes one name of that kind when a context is current; 0 is ignored.
void deleteGlName(GlKind kind, GLuint name);

template <GlKind Kind>
class GlObject {
 public:
  GlObject() = default;
  // Takes ownership of `name` (0: owns nothing).
  explicit GlObject(GLuint name) : name_(name) {}
  ~GlObject() { reset(); }
  GlObject(GlObject&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
  GlObject& operator=(GlObject&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.name_, 0));
    }
    return *this;
  }
  GlObject(const GlObject&) = delete;
  GlObject& operator=(const GlObject&) = delete;

  GLuint name() const { return name_; }

  // Deletes the owned object and takes `name` instead.
  void reset(GLuint name = 0) {
    if (name_ != 0 && name_ != name) {
      deleteGlName(Kind, name_);
    }
    name_ = name;
  }

 private:
  GLuint name_ = 0;
};

using TextureObject = GlObject<GlKind::texture>;
using BufferObject = GlObject<GlKind::buffer>;
using FramebufferObject = GlObject<GlKind::framebuffer>;
using RenderbufferObject = GlObject<GlKind::renderbuffer>;
using SamplerObject = GlObject<GlKind::sampler>;
using ShaderObject = GlObject<GlKind::shader>;
using ProgramObject = GlObject<GlKind::program>;

// A fresh name of each generated kind (glGen*); 0 when GL gives none.
TextureObject generateTexture();
BufferObject generateBuffer();
FramebufferObject generateFramebuffer();
RenderbufferObject generateRenderbuffer();
SamplerObject generateSampler();

}  // namespace tessaly::render
