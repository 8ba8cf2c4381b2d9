// The post-processing chain: creation, the full-screen draws and the glow.
#include "render/post_filter.h"

#include "platform/error_box.h"

#include <GLFW/glfw3.h>

namespace tessaly::render {

namespace {

constexpr GLsizei quadVertexCount = 6;
constexpr GLsizei quadStride = 5 * sizeof(float);
constexpr GLsizeiptr quadBytes = sizeof(quadVertices);
static_assert(quadBytes == 120);

// Filter numbers of Filters.frag that the chain selects.
constexpr std::int32_t plainFilter = 0;
constexpr std::int32_t blurFilter = 1;

std::unique_ptr<PostFilter>& installedFilter() {
  static std::unique_ptr<PostFilter> filter;
  return filter;
}

PassSavings& savingsInUse() {
  static PassSavings savings;
  return savings;
}

GLuint makeSampler(GLint wrap) {
  GLuint sampler = 0;
  glGenSamplers(1, &sampler);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap);
  return sampler;
}

// True when a quad over a viewport of `view` pixels shows `texels` texels
// at least sqrt(2) times enlarged: then every pixel's level of detail is at
// most -0.5, well clear of the switch to minification at 0.
bool magnifiedEnough(GLint texels, GLint view) {
  const auto t = static_cast<std::int64_t>(texels);
  const auto v = static_cast<std::int64_t>(view);
  return t > 0 && 2 * t * t <= v * v;
}

}  // namespace

const PassSavings& passSavings() {
  return savingsInUse();
}

void setPassSavings(const PassSavings& savings) {
  savingsInUse() = savings;
}

PostFilter::PostFilter(std::int32_t multisampledFlag, std::int32_t width, std::int32_t height)
    : multisampled(multisampledFlag) {
  create(width, height);
}

bool PostFilter::create(std::int32_t width, std::int32_t height) {
  const auto fail = [this](const char* message) {
    if (message != nullptr) {
      platform::showErrorBox(message);
    }
    failed = true;
    return false;
  };

  for (auto& target : fullTargets) {
    target = std::make_unique<RenderTarget>(multisampled, width, height);
    if (target->failed) {
      return fail(nullptr);
    }
  }
  for (auto& target : halfTargets) {
    target = std::make_unique<RenderTarget>(multisampled, width / 2, height / 2);
    if (target->failed) {
      return fail(nullptr);
    }
  }
  pixelTarget = std::make_unique<RenderTarget>(0, 1, 1);
  if (pixelTarget->failed) {
    return fail(nullptr);
  }

  if (!shadersSupported()) {
    return fail("Vertex and fragment shaders not supported!");
  }

  filterProgram = std::make_unique<ShaderProgram>(filterVertexPath, filterFragmentPath);
  filterProgram->use();
  filterProgram->setInt("filterNumber", plainFilter);
  filterProgram->setInt("filterMap", 0);
  filterProgram->setFloat("colorLine", 0.5f);
  filterProgram->setVec4("colorValue1", 1.0f, 1.0f, 1.0f, 1.0f);
  filterProgram->setVec4("colorValue2", 0.0f, 0.0f, 0.0f, 1.0f);

  bokehProgram = std::make_unique<ShaderProgram>(bokehVertexPath, bokehFragmentPath);
  bokehProgram->use();

  if (filterProgram->isCompiled() != 1) {
    return fail("Error compiling filter shader");
  }
  if (bokehProgram->isCompiled() != 1) {
    return fail("Error compiling bokeh shader");
  }
  ShaderProgram::unuse();

  glGenBuffers(1, &quadBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
  glBufferData(GL_ARRAY_BUFFER, quadBytes, quadVertices.data(), GL_STATIC_DRAW);
  GLint size = 0;
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  if (size != quadBytes) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &quadBuffer);
    quadBuffer = 0;
    return fail("Error generating quadBuffer for filters!");
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);

  repeatSampler_ = makeSampler(GL_REPEAT);
  mirroredSampler_ = makeSampler(GL_MIRRORED_REPEAT);
  return true;
}

void PostFilter::drawQuad() const {
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, quadStride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, quadStride,
                        reinterpret_cast<const void*>(3 * sizeof(float)));
  glDrawArrays(GL_TRIANGLES, 0, quadVertexCount);
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void PostFilter::clear() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PostFilter::clearDepth() {
  glClear(GL_DEPTH_BUFFER_BIT);
}

void PostFilter::present() {
  glfwSwapBuffers(glfwGetCurrentContext());
}

GLuint PostFilter::magnifyingSampler(GLuint texture) const {
  if (texture == 0 || !passSavings().magnifiedWithoutMipmaps) {
    return 0;
  }
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLint width = 0;
  GLint height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  if (!magnifiedEnough(width, viewport[2]) || !magnifiedEnough(height, viewport[3])) {
    return 0;
  }
  // The sampler must read the texture as its own parameters would apart
  // from the mipmaps: the same wrap modes, linear magnification.
  GLint magnification = 0;
  GLint wrapS = 0;
  GLint wrapT = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnification);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  if (magnification != GL_LINEAR || wrapS != wrapT) {
    return 0;
  }
  if (wrapS == GL_REPEAT) {
    return repeatSampler_;
  }
  return wrapS == GL_MIRRORED_REPEAT ? mirroredSampler_ : 0;
}

void PostFilter::drawBlended(GLuint texture, float alpha, GLenum destinationFactor) const {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, destinationFactor);
  filterProgram->use();
  filterProgram->setInt("filterNumber", plainFilter);
  filterProgram->setFloat("alpha", alpha);
  // "filterMap" samples unit 0, whichever unit the last draw left active.
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLuint sampler = magnifyingSampler(texture);
  if (sampler != 0) {
    glBindSampler(0, sampler);
  }
  drawQuad();
  if (sampler != 0) {
    glBindSampler(0, 0);
  }
  ShaderProgram::unuse();
  glDisable(GL_BLEND);
}

void PostFilter::draw(GLuint texture, float alpha) const {
  drawBlended(texture, alpha, GL_ONE_MINUS_SRC_ALPHA);
}

void PostFilter::drawAdditive(GLuint texture, float alpha) const {
  drawBlended(texture, alpha, GL_ONE);
}

void PostFilter::glow(float radius, float alpha) const {
  const RenderTarget& scene = *fullTargets[0];
  const RenderTarget& alongY = *halfTargets[1];
  const RenderTarget& alongX = *halfTargets[2];
  const float viewWidth = static_cast<float>(scene.savedViewport[2]);
  const float viewHeight = static_cast<float>(scene.savedViewport[3]);

  filterProgram->use();
  filterProgram->setInt("filterNumber", blurFilter);
  filterProgram->setVec2("filterVec2", 0.0f, radius / viewHeight);
  glActiveTexture(GL_TEXTURE0);

  alongY.bind();
  glBindTexture(GL_TEXTURE_2D, scene.colorTexture);
  clear();
  drawQuad();
  alongY.unbind();

  alongX.bind();
  filterProgram->setVec2("filterVec2", radius / viewWidth, 0.0f);
  glBindTexture(GL_TEXTURE_2D, alongY.colorTexture);
  clear();
  drawQuad();
  alongX.unbind();

  clear();
  draw(scene.colorTexture, alpha);
  clearDepth();
  drawAdditive(alongX.colorTexture, alpha);
}

void PostFilter::setOffset(float x, float y) const {
  filterProgram->use();
  filterProgram->setVec2("offset", 2.0f * x, 2.0f * y);
}

void PostFilter::release() {
  for (auto* targets : {&fullTargets, &halfTargets}) {
    for (auto& target : *targets) {
      if (target) {
        target->release();
      }
    }
  }
  if (pixelTarget) {
    pixelTarget->release();
  }
  for (auto* shaderProgram : {filterProgram.get(), bokehProgram.get()}) {
    if (shaderProgram != nullptr) {
      shaderProgram->release();
    }
  }
  glDeleteBuffers(1, &quadBuffer);
  quadBuffer = 0;
  const GLuint samplers[] = {repeatSampler_, mirroredSampler_};
  glDeleteSamplers(2, samplers);
  repeatSampler_ = mirroredSampler_ = 0;
}

PostFilter* createPostFilter(std::int32_t multisampled, std::int32_t width, std::int32_t height) {
  installedFilter() = std::make_unique<PostFilter>(multisampled, width, height);
  return installedFilter().get();
}

PostFilter* postFilter() {
  return installedFilter().get();
}

}  // namespace tessaly::render
