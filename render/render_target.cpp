// Render targets: creation, bind/unbind with the multisample resolve, and
// the solid-colour texture recipe.
#include "render/render_target.h"

#include "platform/error_box.h"

namespace tessaly::render {

namespace {

constexpr std::int32_t sampleCount = 4;

}  // namespace

RenderTarget::RenderTarget(std::int32_t multisampledFlag, std::int32_t targetWidth,
                           std::int32_t targetHeight)
    : multisampled(multisampledFlag) {
  glGetIntegerv(GL_VIEWPORT, savedViewport.data());
  width = targetWidth;
  height = targetHeight;
  create(targetWidth, targetHeight);
}

bool RenderTarget::create(std::int32_t w, std::int32_t h) {
  // A failed check leaves the framebuffer of the failure unbound again, so
  // later drawing is not silently lost into it.
  const auto fail = [this](const char* message) {
    platform::showErrorBox(message);
    failed = true;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return false;
  };

  if (multisampled != 0) {
    samples = sampleCount;
    glGenRenderbuffers(1, &msColorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, msColorBuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA32F, w, h);
    glGenRenderbuffers(1, &msDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, msDepthBuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT, w, h);
    glGenFramebuffers(1, &msFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, msFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, msColorBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, msDepthBuffer);
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
      return fail("Failed to initialize mFBO!");
    }
  }

  glGenTextures(1, &colorTexture);
  glBindTexture(GL_TEXTURE_2D, colorTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

  glGenRenderbuffers(1, &depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);

  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, 0);
  status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    return fail("Failed to initialize FBO!");
  }

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return true;
}

void RenderTarget::bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, multisampled != 0 ? msFramebuffer : framebuffer);
  glViewport(0, 0, width, height);
}

void RenderTarget::unbind() const {
  if (multisampled != 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, msFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, colorTexture);
  glGenerateMipmap(GL_TEXTURE_2D);
}

void RenderTarget::release() {
  const GLuint framebuffers[] = {framebuffer, msFramebuffer};
  const GLuint renderbuffers[] = {depthBuffer, msColorBuffer, msDepthBuffer};
  glDeleteFramebuffers(2, framebuffers);
  glDeleteRenderbuffers(3, renderbuffers);
  glDeleteTextures(1, &colorTexture);
  colorTexture = depthBuffer = msColorBuffer = msDepthBuffer = 0;
  framebuffer = msFramebuffer = 0;
}

std::unique_ptr<RenderTarget> createSolidColorTarget(const glm::vec4& color) {
  GLfloat previous[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
  auto target = std::make_unique<RenderTarget>(0, 1, 1);
  target->bind();
  glClearColor(color.r, color.g, color.b, color.a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  target->unbind();
  glClearColor(previous[0], previous[1], previous[2], previous[3]);
  return target;
}

}  // namespace tessaly::render
