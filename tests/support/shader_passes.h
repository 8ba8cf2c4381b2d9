// The production's drawn shader passes on stand-in inputs of a given size,
// for comparing two versions of the shader files (pixels in a test, cost in
// a benchmark): the sky and a bumped surface through Model, the distorted
// sky through Distort, the particle cloud through Lambert, and the filter
// passes of the glow (blur along y from the full-size scene picture to half
// size, blur along x at half size, the two composites) plus filter 2 and an
// unknown filter number. Inputs are procedural (no files), set up once per
// size, and each pass draws the same thing each time: a pass's result
// depends only on the programs it is given. Needs a current GL 3.3 context.
#pragma once

#include "render/gl.h"

#include <string>
#include <vector>

namespace tessaly::test {

// The four drawn programs, built from "<dir>/<Name>.vert" and ".frag".
struct PassPrograms {
  GLuint filters = 0;
  GLuint model = 0;
  GLuint distort = 0;
  GLuint lambert = 0;
  std::string log;  // compile and link logs of failures, with file names
  bool ok() const { return log.empty() && filters != 0 && model != 0 && distort != 0 && lambert != 0; }
};

// Builds the programs and gives them their start-up uniforms (as the player
// does); empty `log` when all four built.
PassPrograms buildPassPrograms(const std::string& dir);
void releasePassPrograms(PassPrograms& programs);

enum class ShaderPass {
  skyModel,      // Model.frag on the sky sphere (no bump map: dull and flat)
  bumpedModel,   // Model.frag on a bumped, partly metallic, glossy surface
  distortSky,    // Distort.frag on the sky sphere (scene 2)
  particles,     // Lambert.vert/.frag: 48000 points of 7 pixels, added up
  blurY,         // filter 1 along y: the scene picture to half size
  blurX,         // filter 1 along x at half size
  composite,     // filter 0 twice: the scene under alpha, the blur added
  grade,         // filter 2 (a two-tone grade) over the scene picture
  passThrough,   // filter 7: the picture as it is
};

struct ShaderPassInfo {
  ShaderPass pass;
  const char* name;
  bool drawnByPlayer;  // part of every frame of the show
};
const std::vector<ShaderPassInfo>& shaderPasses();

class ShaderPassScene {
 public:
  ShaderPassScene(int width, int height);
  ~ShaderPassScene();
  ShaderPassScene(const ShaderPassScene&) = delete;
  ShaderPassScene& operator=(const ShaderPassScene&) = delete;

  bool ok() const { return ok_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Draws one pass into its target (not finished: the caller's glFinish).
  void draw(ShaderPass pass, const PassPrograms& programs) const;
  // The pass's target as RGBA floats, bottom row first, and its size.
  std::vector<float> read(ShaderPass pass, int& width, int& height) const;

 private:
  struct Target {
    GLuint texture = 0;
    GLuint depth = 0;
    GLuint framebuffer = 0;
    int width = 0;
    int height = 0;
  };
  bool makeTarget(Target& target, int width, int height, GLenum format, bool mipmapped);
  void bindTarget(const Target& target) const;
  const Target& targetOf(ShaderPass pass) const;
  void drawQuad() const;
  void drawSphere() const;
  void drawFilter(GLuint program, int number, float alpha, float stepX, float stepY,
                  GLuint source) const;

  int width_;
  int height_;
  bool ok_ = false;
  Target scene_;   // full size, float, mipmapped: what the frame driver draws into
  Target halfSource_;  // half size: stands in for the first blur's result
  Target halfOut_;     // half size: what the blur passes draw into
  Target screen_;  // full size, 8 bits: stands in for the window
  Target drawn_;   // full size, float: what the scene passes draw into
  GLuint diffuse_ = 0;
  GLuint bump_ = 0;
  GLuint noBump_ = 0;
  GLuint quadBuffer_ = 0;
  GLuint sphereBuffer_ = 0;
  GLuint sphereIndices_ = 0;
  GLsizei sphereIndexCount_ = 0;
  GLuint pointBuffer_ = 0;
  GLsizei pointCount_ = 0;
};

}  // namespace tessaly::test
