// Render targets: creation, bind/unbind with the multisample resolve, and
// the solid-colour texture recipe.
#include "render/render_target.h"

#include "platform/error_box.h"

namespace tessaly::render {

namespace {

constexpr std::int32_t sampleCount = 4;

}  // namespace

RenderTarget::RenderTarget(std::int32_t multisampled, std::int32_t width, std::int32_t height)
    : width_(width), height_(height), multisampled_(multisampled) {
  glGetIntegerv(GL_VIEWPORT, savedViewport_.data());
  create();
}

bool RenderTarget::create() {
  // A failed check leaves the framebuffer of the failure unbound again, so
  // later drawing is not silently lost into it.
  const auto fail = [this](const char* message) {
    platform::showErrorBox(message);
    failed_ = true;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return false;
  };
  const std::int32_t w = width_;
  const std::int32_t h = height_;

  if (multisampled_ != 0) {
    samples_ = sampleCount;
    msColorBuffer_ = generateRenderbuffer();
    glBindRenderbuffer(GL_RENDERBUFFER, msColorBuffer_.name());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples_, GL_RGBA32F, w, h);
    msDepthBuffer_ = generateRenderbuffer();
    glBindRenderbuffer(GL_RENDERBUFFER, msDepthBuffer_.name());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples_, GL_DEPTH_COMPONENT, w, h);
    msFramebuffer_ = generateFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, msFramebuffer_.name());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              msColorBuffer_.name());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              msDepthBuffer_.name());
    status_ = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status_ != GL_FRAMEBUFFER_COMPLETE) {
      return fail("Failed to initialize mFBO!");
    }
  }

  colorTexture_ = generateTexture();
  glBindTexture(GL_TEXTURE_2D, colorTexture_.name());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

  depthBuffer_ = generateRenderbuffer();
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_.name());
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);

  framebuffer_ = generateFramebuffer();
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.name());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                            depthBuffer_.name());
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                         colorTexture_.name(), 0);
  status_ = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status_ != GL_FRAMEBUFFER_COMPLETE) {
    return fail("Failed to initialize FBO!");
  }

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return true;
}

void RenderTarget::bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, multisampled_ != 0 ? msFramebuffer() : framebuffer());
  glViewport(0, 0, width_, height_);
}

void RenderTarget::unbind() const {
  if (multisampled_ != 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, msFramebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer());
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
  }
  glViewport(savedViewport_[0], savedViewport_[1], savedViewport_[2], savedViewport_[3]);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, colorTexture());
  glGenerateMipmap(GL_TEXTURE_2D);
}

RenderTarget RenderTarget::solidColor(const glm::vec4& color) {
  GLfloat previous[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
  RenderTarget target(0, 1, 1);
  target.bind();
  glClearColor(color.r, color.g, color.b, color.a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  target.unbind();
  glClearColor(previous[0], previous[1], previous[2], previous[3]);
  return target;
}

}  // namespace tessaly::render
