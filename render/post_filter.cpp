// The post-processing chain: creation, the full-screen draws and the glow.
#include "render/post_filter.h"

#include "platform/error_box.h"


namespace tessaly::render {

namespace {

constexpr GLsizei quadVertexCount = 6;
constexpr GLsizei quadStride = 5 * sizeof(float);
constexpr GLsizeiptr quadBytes = sizeof(quadVertices);
static_assert(quadBytes == 120);

// Filter numbers of Filters.frag that the chain selects.
constexpr std::int32_t plainFilter = 0;
constexpr std::int32_t blurFilter = 1;

// The filter program's start-up uniforms; leaves it current.
void setFilterDefaults(const ShaderProgram& program) {
  program.use();
  program.setInt("filterNumber", plainFilter);
  program.setInt("filterMap", 0);
  program.setFloat("colorLine", 0.5f);
  program.setVec4("colorValue1", 1.0f, 1.0f, 1.0f, 1.0f);
  program.setVec4("colorValue2", 0.0f, 0.0f, 0.0f, 1.0f);
}

SamplerObject makeSampler(GLint wrap) {
  SamplerObject sampler = generateSampler();
  glSamplerParameteri(sampler.name(), GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler.name(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler.name(), GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(sampler.name(), GL_TEXTURE_WRAP_T, wrap);
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

PostFilter::PostFilter(std::int32_t multisampled, std::int32_t width, std::int32_t height)
    : multisampled_(multisampled) {
  create(width, height);
}

bool PostFilter::create(std::int32_t width, std::int32_t height) {
  const auto fail = [this](const char* message) {
    if (message != nullptr) {
      platform::showErrorBox(message);
    }
    failed_ = true;
    return false;
  };

  fullTargets_.reserve(4);
  for (int i = 0; i < 4; ++i) {
    if (fullTargets_.emplace_back(multisampled_, width, height).failed()) {
      return fail(nullptr);
    }
  }
  halfTargets_.reserve(4);
  for (int i = 0; i < 4; ++i) {
    if (halfTargets_.emplace_back(multisampled_, width / 2, height / 2).failed()) {
      return fail(nullptr);
    }
  }
  if (pixelTarget_.emplace(0, 1, 1).failed()) {
    return fail(nullptr);
  }

  if (!shadersSupported()) {
    return fail("Vertex and fragment shaders not supported!");
  }

  filterProgram_ = ShaderProgram(filterVertexPath, filterFragmentPath);
  setFilterDefaults(filterProgram_);

  bokehProgram_ = ShaderProgram(bokehVertexPath, bokehFragmentPath);
  bokehProgram_.use();

  if (!filterProgram_.isCompiled()) {
    return fail("Error compiling filter shader");
  }
  if (!bokehProgram_.isCompiled()) {
    return fail("Error compiling bokeh shader");
  }
  ShaderProgram::unuse();

  quadBuffer_ = generateBuffer();
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_.name());
  glBufferData(GL_ARRAY_BUFFER, quadBytes, quadVertices.data(), GL_STATIC_DRAW);
  GLint size = 0;
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (size != quadBytes) {
    quadBuffer_.reset();
    return fail("Error generating quadBuffer for filters!");
  }

  repeatSampler_ = makeSampler(GL_REPEAT);
  mirroredSampler_ = makeSampler(GL_MIRRORED_REPEAT);
  return true;
}

void PostFilter::drawQuad() const {
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_.name());
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

GLuint PostFilter::magnifyingSampler(GLuint texture) const {
  if (texture == 0 || !savings_.magnifiedWithoutMipmaps) {
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
    return repeatSampler_.name();
  }
  return wrapS == GL_MIRRORED_REPEAT ? mirroredSampler_.name() : 0;
}

void PostFilter::drawBlended(GLuint texture, float alpha, GLenum destinationFactor) const {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, destinationFactor);
  filterProgram_.use();
  filterProgram_.setInt("filterNumber", plainFilter);
  filterProgram_.setFloat("alpha", alpha);
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
  const RenderTarget& scene = fullTargets_[0];
  const RenderTarget& alongY = halfTargets_[1];
  const RenderTarget& alongX = halfTargets_[2];
  const float viewWidth = static_cast<float>(scene.savedViewport()[2]);
  const float viewHeight = static_cast<float>(scene.savedViewport()[3]);

  filterProgram_.use();
  filterProgram_.setInt("filterNumber", blurFilter);
  filterProgram_.setVec2("filterVec2", 0.0f, radius / viewHeight);
  glActiveTexture(GL_TEXTURE0);

  alongY.bind();
  glBindTexture(GL_TEXTURE_2D, scene.colorTexture());
  clear();
  drawQuad();
  alongY.unbind();

  alongX.bind();
  filterProgram_.setVec2("filterVec2", radius / viewWidth, 0.0f);
  glBindTexture(GL_TEXTURE_2D, alongY.colorTexture());
  clear();
  drawQuad();
  alongX.unbind();

  clear();
  draw(scene.colorTexture(), alpha);
  clearDepth();
  drawAdditive(alongX.colorTexture(), alpha);
}

void PostFilter::setOffset(float x, float y) const {
  filterProgram_.use();
  filterProgram_.setVec2("offset", 2.0f * x, 2.0f * y);
}

ProgramRebuild PostFilter::rebuildProgram(std::string_view baseName) {
  ShaderProgram* slot = nullptr;
  ShaderProgram rebuilt;
  if (baseName == "Filters") {
    rebuilt = ShaderProgram(filterVertexPath, filterFragmentPath);
    if (rebuilt.isCompiled()) {
      setFilterDefaults(rebuilt);
    }
    slot = &filterProgram_;
  } else if (baseName == "Bokeh") {
    rebuilt = ShaderProgram(bokehVertexPath, bokehFragmentPath);
    slot = &bokehProgram_;
  } else {
    return {};
  }
  ProgramRebuild result;
  result.matched = true;
  result.compiled = rebuilt.isCompiled();
  result.log = rebuilt.log();
  if (result.compiled) {
    *slot = std::move(rebuilt);
  }
  ShaderProgram::unuse();
  return result;
}

}  // namespace tessaly::render
