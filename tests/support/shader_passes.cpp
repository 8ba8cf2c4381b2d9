#include "tests/support/shader_passes.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace tessaly::test {

namespace {

std::string readText(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  ok = ok && in.good() && !text.str().empty();
  return text.str();
}

GLuint compileShader(GLenum kind, const std::string& path, std::string& log) {
  bool ok = true;
  const std::string source = readText(path, ok);
  if (!ok) {
    log += path + ": cannot be read\n";
    return 0;
  }
  const GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint status = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status != GL_TRUE) {
    char buffer[4096] = {0};
    glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
    log += path + ": " + buffer + "\n";
  }
  return shader;
}

GLuint buildProgram(const std::string& dir, const char* name, std::string& log) {
  const std::string base = dir + "/" + name;
  const GLuint vertex = compileShader(GL_VERTEX_SHADER, base + ".vert", log);
  const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, base + ".frag", log);
  if (vertex == 0 || fragment == 0) {
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    char buffer[4096] = {0};
    glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
    log += base + ": link: " + buffer + "\n";
  }
  return program;
}

GLint at(GLuint program, const char* name) { return glGetUniformLocation(program, name); }

void setVec4(GLuint program, const char* name, float x, float y, float z, float w) {
  glUniform4f(at(program, name), x, y, z, w);
}
void setVec3(GLuint program, const char* name, const glm::vec3& v) {
  glUniform3f(at(program, name), v.x, v.y, v.z);
}
void setMat4(GLuint program, const char* name, const glm::mat4& m) {
  glUniformMatrix4fv(at(program, name), 1, GL_FALSE, glm::value_ptr(m));
}

// The start-up values of the model programs (Model and Distort share the
// material part).
void setMaterial(GLuint program) {
  glUniform1i(at(program, "diffuseMap"), 3);
  glUniform1i(at(program, "bumpMap"), 2);
  setVec4(program, "Ambient", 0.4f, 0.4f, 0.4f, 1.0f);
  setVec4(program, "Diffuse", 0.4f, 0.4f, 0.4f, 1.0f);
  setVec4(program, "Specular", 0.5f, 0.5f, 0.5f, 0.5f);
  glUniform1f(at(program, "SpecularPower"), 6.0f);
}

// The camera and lights of the lit passes: inside the sky sphere, three
// coloured lights about the middle of the scene.
const glm::vec3 eye(4.0f, 2.5f, 9.0f);
const glm::vec3 lookedAt(0.0f, 0.5f, 0.0f);

void setFrame(GLuint program) {
  const glm::mat4 projection = glm::perspective(0.785398f, 4.0f / 3.0f, 0.1f, 100.0f);
  const glm::mat4 view = glm::lookAt(eye, lookedAt, glm::vec3(0.0f, 1.0f, 0.0f));
  setMat4(program, "MVP", projection * view);
  setMat4(program, "M", glm::mat4(1.0f));
  setMat4(program, "V", view);
  setVec4(program, "Ambient", 0.22f, 0.22f, 0.28f, 1.0f);
  setVec4(program, "LightColor1", 0.9f, 0.8f, 0.7f, 1.0f);
  setVec4(program, "LightColor2", 0.3f, 0.4f, 0.9f, 1.0f);
  setVec4(program, "LightColor3", 0.8f, 0.3f, 0.3f, 1.0f);
  glUniform1f(at(program, "LightIntensity1"), 1.6f);
  glUniform1f(at(program, "LightIntensity2"), 1.1f);
  glUniform1f(at(program, "LightIntensity3"), 0.8f);
  setVec3(program, "fvLightPosition1", glm::vec3(20.0f, 15.0f, 10.0f));
  setVec3(program, "fvLightPosition2", glm::vec3(-15.0f, 8.0f, -12.0f));
  setVec3(program, "fvLightPosition3", glm::vec3(5.0f, -10.0f, 20.0f));
  setVec3(program, "fvEyePosition", lookedAt);
}

// A small deterministic generator for the procedural inputs.
struct Lcg {
  std::uint32_t state;
  float next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f;
  }
};

GLuint makeTexture(int width, int height, GLenum internalFormat, GLenum type, const void* pixels,
                   bool mipmapped, GLenum wrap) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, GL_RGBA,
               type, pixels);
  if (mipmapped) {
    glGenerateMipmap(GL_TEXTURE_2D);
  }
  return texture;
}

// A scene-like float picture: a dim sky gradient with soft clouds, bright
// points (the particles) and a few blown-out highlights, alpha 1.
std::vector<float> scenePicture(int width, int height) {
  std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
  Lcg random{12345u};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = static_cast<float>(x) / width;
      const float v = static_cast<float>(y) / height;
      const float cloud = 0.5f + 0.25f * std::sin(u * 23.0f + std::sin(v * 7.0f) * 3.0f) +
                          0.25f * std::sin(v * 17.0f - u * 5.0f);
      float* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = 0.05f + 0.35f * v * cloud;
      p[1] = 0.07f + 0.4f * v * cloud;
      p[2] = 0.15f + 0.6f * cloud;
      p[3] = 1.0f;
      if (random.next() < 0.01f) {  // a star or particle
        const float bright = 0.6f + 0.8f * random.next();
        p[0] += bright;
        p[1] += bright * 0.9f;
        p[2] += bright * 0.7f;
      }
    }
  }
  for (int block = 0; block < 6; ++block) {  // highlights on metal
    const int cx = static_cast<int>(random.next() * width);
    const int cy = static_cast<int>(random.next() * height);
    const int r = 4 + static_cast<int>(random.next() * width / 40);
    for (int y = std::max(0, cy - r); y < std::min(height, cy + r); ++y) {
      for (int x = std::max(0, cx - r); x < std::min(width, cx + r); ++x) {
        float* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        p[0] = p[1] = p[2] = 1.2f;
      }
    }
  }
  return pixels;
}

}  // namespace

PassPrograms buildPassPrograms(const std::string& dir) {
  PassPrograms programs;
  programs.filters = buildProgram(dir, "Filters", programs.log);
  programs.model = buildProgram(dir, "Model", programs.log);
  programs.distort = buildProgram(dir, "Distort", programs.log);
  programs.lambert = buildProgram(dir, "Lambert", programs.log);
  if (!programs.ok()) {
    return programs;
  }
  glUseProgram(programs.filters);
  glUniform1i(at(programs.filters, "filterNumber"), 0);
  glUniform1i(at(programs.filters, "filterMap"), 0);
  glUniform1f(at(programs.filters, "colorLine"), 0.5f);
  setVec4(programs.filters, "colorValue1", 1.0f, 1.0f, 1.0f, 1.0f);
  setVec4(programs.filters, "colorValue2", 0.0f, 0.0f, 0.0f, 1.0f);

  glUseProgram(programs.model);
  setMaterial(programs.model);
  setFrame(programs.model);

  glUseProgram(programs.distort);
  setMaterial(programs.distort);
  glUniform1f(at(programs.distort, "DiffScroll"), 2.0f);
  glUniform1f(at(programs.distort, "BumpScroll"), 2.0f);
  setFrame(programs.distort);
  glUniform1f(at(programs.distort, "Time"), 30.0f);
  glUniform2f(at(programs.distort, "Distort"), 5.0f * std::sin(30.0f), 0.5f);
  glUniform2f(at(programs.distort, "DistortSpeed"), 0.5f, 0.2f);

  glUseProgram(programs.lambert);
  glUniform1i(at(programs.lambert, "diffuseMap"), 3);
  setVec4(programs.lambert, "Ambient", 0.4f, 0.4f, 0.4f, 1.0f);
  setVec4(programs.lambert, "Diffuse", 1.0f, 0.4f, 0.4f, 1.0f);
  setVec3(programs.lambert, "fvLightPosition", glm::vec3(50.3f, 18.9f, 27.2f));
  glUniform2f(at(programs.lambert, "Distort"), 2.5f, 2.5f);
  glUniform2f(at(programs.lambert, "DistortSpeed"), 2.5f, 2.5f);
  const glm::mat4 galaxyView =
      glm::perspective(0.785398f, 4.0f / 3.0f, 0.1f, 100.0f) *
      glm::lookAt(glm::vec3(9.0f, 7.0f, 12.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
  setMat4(programs.lambert, "MVP", galaxyView);
  glUniform1f(at(programs.lambert, "Time"), 3.0f);
  glUseProgram(0);
  return programs;
}

void releasePassPrograms(PassPrograms& programs) {
  for (GLuint* program : {&programs.filters, &programs.model, &programs.distort, &programs.lambert}) {
    if (*program != 0) {
      glDeleteProgram(*program);
      *program = 0;
    }
  }
}

const std::vector<ShaderPassInfo>& shaderPasses() {
  static const std::vector<ShaderPassInfo> all = {
      {ShaderPass::skyModel, "sky (Model)", true},
      {ShaderPass::bumpedModel, "bumped model (Model)", true},
      {ShaderPass::distortSky, "distorted sky (Distort)", true},
      {ShaderPass::particles, "particles (Lambert)", true},
      {ShaderPass::blurY, "blur y (Filters 1)", true},
      {ShaderPass::blurX, "blur x (Filters 1)", true},
      {ShaderPass::composite, "composite (Filters 0)", true},
      {ShaderPass::grade, "grade (Filters 2)", false},
      {ShaderPass::passThrough, "pass-through (Filters 7)", false},
  };
  return all;
}

ShaderPassScene::ShaderPassScene(int width, int height) : width_(width), height_(height) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int halfWidth = width / 2;
  const int halfHeight = height / 2;
  if (!makeTarget(scene_, width, height, GL_RGBA32F, true) ||
      !makeTarget(halfSource_, halfWidth, halfHeight, GL_RGBA32F, true) ||
      !makeTarget(halfOut_, halfWidth, halfHeight, GL_RGBA32F, true) ||
      !makeTarget(screen_, width, height, GL_RGBA8, false) ||
      !makeTarget(drawn_, width, height, GL_RGBA32F, true)) {
    return;
  }
  // The inputs of the filter passes: the scene picture at full size, and
  // a half-size picture standing in for the first blur's result (so that
  // every pass reads the same input whatever the programs).
  const std::vector<float> picture = scenePicture(width, height);
  glBindTexture(GL_TEXTURE_2D, scene_.texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, picture.data());
  glGenerateMipmap(GL_TEXTURE_2D);
  std::vector<float> half = scenePicture(halfWidth, halfHeight);
  for (std::size_t i = 0; i < half.size(); ++i) {
    half[i] *= (i % 4 == 3) ? 0.65f : 0.3f;
  }
  glBindTexture(GL_TEXTURE_2D, halfSource_.texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, halfWidth, halfHeight, 0, GL_RGBA, GL_FLOAT,
               half.data());
  glGenerateMipmap(GL_TEXTURE_2D);

  // The material maps: a colour with detail at every scale, and a bump map
  // with height, metal, sharpness and gloss varying across it.
  Lcg random{777u};
  constexpr int mapSize = 256;
  std::vector<std::uint8_t> colour(mapSize * mapSize * 4);
  std::vector<std::uint8_t> bump(mapSize * mapSize * 4);
  for (int y = 0; y < mapSize; ++y) {
    for (int x = 0; x < mapSize; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * mapSize + x) * 4;
      const float wave = 0.5f + 0.5f * std::sin(x * 0.2f) * std::cos(y * 0.13f);
      const float grain = random.next();
      colour[i + 0] = static_cast<std::uint8_t>(60 + 150 * wave + 40 * grain);
      colour[i + 1] = static_cast<std::uint8_t>(50 + 120 * wave + 30 * grain);
      colour[i + 2] = static_cast<std::uint8_t>(90 + 100 * (1.0f - wave) + 30 * grain);
      colour[i + 3] = 255;
      bump[i + 0] = static_cast<std::uint8_t>(255 * (0.6f * wave + 0.4f * grain));
      bump[i + 1] = ((x / 32 + y / 32) % 2 == 0) ? 255 : 0;
      bump[i + 2] = static_cast<std::uint8_t>(255 * wave);
      bump[i + 3] = static_cast<std::uint8_t>(80 + 175 * (1.0f - wave));
    }
  }
  diffuse_ = makeTexture(mapSize, mapSize, GL_RGBA8, GL_UNSIGNED_BYTE, colour.data(), true, GL_REPEAT);
  bump_ = makeTexture(mapSize, mapSize, GL_RGBA8, GL_UNSIGNED_BYTE, bump.data(), true, GL_REPEAT);
  const std::uint8_t transparentBlack[4] = {0, 0, 0, 0};
  noBump_ = makeTexture(1, 1, GL_RGBA8, GL_UNSIGNED_BYTE, transparentBlack, true, GL_REPEAT);

  // The player's full-screen quad: x, y, z, u, v.
  const float quad[] = {-1, -1, 0, 0, 0, 1, -1, 0, 1, 0, 1, 1, 0, 1, 1,
                        -1, -1, 0, 0, 0, 1, 1,  0, 1, 1, -1, 1, 0, 0, 1};
  glGenBuffers(1, &quadBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
  glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);

  // The sky sphere: radius 60, 72 x 36 quads, seen from inside (normals to
  // the centre); position, texture coordinate, normal.
  constexpr int slices = 72;
  constexpr int stacks = 36;
  constexpr float radius = 60.0f;
  std::vector<float> vertices;
  for (int s = 0; s <= stacks; ++s) {
    const float v = static_cast<float>(s) / stacks;
    const float polar = v * 3.14159265f;
    for (int k = 0; k <= slices; ++k) {
      const float u = static_cast<float>(k) / slices;
      const float around = u * 6.28318531f;
      const glm::vec3 out(std::sin(polar) * std::cos(around), std::cos(polar),
                          std::sin(polar) * std::sin(around));
      const glm::vec3 p = out * radius;
      vertices.insert(vertices.end(), {p.x, p.y, p.z, u * 2.0f, v, -out.x, -out.y, -out.z});
    }
  }
  std::vector<std::uint32_t> indices;
  for (int s = 0; s < stacks; ++s) {
    for (int k = 0; k < slices; ++k) {
      const auto a = static_cast<std::uint32_t>(s * (slices + 1) + k);
      const auto b = a + slices + 1;
      indices.insert(indices.end(), {a, a + 1, b, a + 1, b + 1, b});
    }
  }
  sphereIndexCount_ = static_cast<GLsizei>(indices.size());
  glGenBuffers(1, &sphereBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, sphereBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
               vertices.data(), GL_STATIC_DRAW);
  glGenBuffers(1, &sphereIndices_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, sphereIndices_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
               GL_STATIC_DRAW);

  // The particle cloud: 48000 points in a flat, thick-centred disc.
  std::vector<float> points;
  pointCount_ = 48000;
  for (int i = 0; i < pointCount_; ++i) {
    const float r = 16.0f * std::pow(random.next(), 0.8f);
    const float a = random.next() * 6.28318531f;
    const float h = (random.next() - 0.5f) * (0.9f - 0.04f * r);
    points.insert(points.end(), {r * std::cos(a), h, r * std::sin(a)});
  }
  glGenBuffers(1, &pointBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, pointBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(float)),
               points.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  ok_ = glGetError() == GL_NO_ERROR;
}

ShaderPassScene::~ShaderPassScene() {
  for (const Target* target : {&scene_, &halfSource_, &halfOut_, &screen_, &drawn_}) {
    glDeleteFramebuffers(1, &target->framebuffer);
    glDeleteRenderbuffers(1, &target->depth);
    glDeleteTextures(1, &target->texture);
  }
  const GLuint textures[] = {diffuse_, bump_, noBump_};
  glDeleteTextures(3, textures);
  const GLuint buffers[] = {quadBuffer_, sphereBuffer_, sphereIndices_, pointBuffer_};
  glDeleteBuffers(4, buffers);
}

bool ShaderPassScene::makeTarget(Target& target, int width, int height, GLenum format,
                                 bool mipmapped) {
  target.width = width;
  target.height = height;
  target.texture = makeTexture(width, height, format, GL_UNSIGNED_BYTE, nullptr, mipmapped,
                               GL_MIRRORED_REPEAT);
  glGenRenderbuffers(1, &target.depth);
  glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
  glGenFramebuffers(1, &target.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void ShaderPassScene::bindTarget(const Target& target) const {
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glViewport(0, 0, target.width, target.height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

const ShaderPassScene::Target& ShaderPassScene::targetOf(ShaderPass pass) const {
  switch (pass) {
    case ShaderPass::skyModel:
    case ShaderPass::bumpedModel:
    case ShaderPass::distortSky:
    case ShaderPass::particles:
      return drawn_;
    case ShaderPass::blurY:
    case ShaderPass::blurX:
      return halfOut_;
    case ShaderPass::composite:
    case ShaderPass::grade:
    case ShaderPass::passThrough:
      break;
  }
  return screen_;
}

void ShaderPassScene::drawQuad() const {
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(12));
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
}

void ShaderPassScene::drawSphere() const {
  glBindBuffer(GL_ARRAY_BUFFER, sphereBuffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, sphereIndices_);
  for (GLuint attribute = 0; attribute < 3; ++attribute) {
    glEnableVertexAttribArray(attribute);
  }
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, nullptr);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(12));
  glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(20));
  glDrawElements(GL_TRIANGLES, sphereIndexCount_, GL_UNSIGNED_INT, nullptr);
  for (GLuint attribute = 0; attribute < 3; ++attribute) {
    glDisableVertexAttribArray(attribute);
  }
}

void ShaderPassScene::drawFilter(GLuint program, int number, float alpha, float stepX, float stepY,
                                 GLuint source) const {
  glUseProgram(program);
  glUniform1i(at(program, "filterNumber"), number);
  glUniform1f(at(program, "alpha"), alpha);
  glUniform2f(at(program, "filterVec2"), stepX, stepY);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, source);
  drawQuad();
}

void ShaderPassScene::draw(ShaderPass pass, const PassPrograms& programs) const {
  // The glow's steps along y and x are the frame driver's radius, 3
  // pixels of the screen, over the screen's height and width.
  const float stepY = 3.0f / static_cast<float>(height_);
  const float stepX = 3.0f / static_cast<float>(width_);
  bindTarget(targetOf(pass));
  switch (pass) {
    case ShaderPass::skyModel:
    case ShaderPass::bumpedModel:
    case ShaderPass::distortSky: {
      const GLuint program = pass == ShaderPass::distortSky ? programs.distort : programs.model;
      glUseProgram(program);
      glActiveTexture(GL_TEXTURE2);
      glBindTexture(GL_TEXTURE_2D, pass == ShaderPass::skyModel ? noBump_ : bump_);
      glActiveTexture(GL_TEXTURE3);
      glBindTexture(GL_TEXTURE_2D, diffuse_);
      glActiveTexture(GL_TEXTURE0);
      drawSphere();
      break;
    }
    case ShaderPass::particles:
      glUseProgram(programs.lambert);
      glBindBuffer(GL_ARRAY_BUFFER, pointBuffer_);
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
      glPointSize(7.0f);
      glDepthMask(GL_FALSE);
      glEnable(GL_BLEND);
      glBlendFunc(GL_ONE, GL_ONE);
      glDrawArrays(GL_POINTS, 0, pointCount_);
      glDisable(GL_BLEND);
      glDepthMask(GL_TRUE);
      glDisableVertexAttribArray(0);
      break;
    case ShaderPass::blurY:
      drawFilter(programs.filters, 1, 1.0f, 0.0f, stepY, scene_.texture);
      break;
    case ShaderPass::blurX:
      drawFilter(programs.filters, 1, 1.0f, stepX, 0.0f, halfSource_.texture);
      break;
    case ShaderPass::composite:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      drawFilter(programs.filters, 0, 0.8f, stepX, 0.0f, scene_.texture);
      glClear(GL_DEPTH_BUFFER_BIT);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      drawFilter(programs.filters, 0, 0.8f, stepX, 0.0f, halfSource_.texture);
      glDisable(GL_BLEND);
      break;
    case ShaderPass::grade:
    case ShaderPass::passThrough:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      drawFilter(programs.filters, pass == ShaderPass::grade ? 2 : 7, 0.7f, 0.0f, stepY,
                 scene_.texture);
      glDisable(GL_BLEND);
      break;
  }
  glUseProgram(0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

std::vector<float> ShaderPassScene::read(ShaderPass pass, int& width, int& height) const {
  const Target& target = targetOf(pass);
  width = target.width;
  height = target.height;
  std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return pixels;
}

}  // namespace tessaly::test
