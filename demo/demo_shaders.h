// The production's seven GLSL programs besides the filter chain's two: built
// once at start-up from their file pairs under "Data/Shaders/", given their
// start-up uniforms, checked, and then used by the frame driver and the
// scenes for the rest of the run.
#pragma once

#include "render/shader_program.h"

#include <array>
#include <memory>
#include <string_view>

namespace tessaly::demo {

// The seven programs of a show. Each is null until loadDemoShaders has built
// it; a program replaced by a rebuilt one frees its GL objects.
struct DemoShaders {
  std::unique_ptr<render::ShaderProgram> normalMapShader;  // NormalMap.vert/.frag
  std::unique_ptr<render::ShaderProgram> distortShader;    // Distort.vert/.frag
  std::unique_ptr<render::ShaderProgram> sineShader;       // test.vert/.frag
  std::unique_ptr<render::ShaderProgram> overlayShader;    // Overlay.vert/.frag
  std::unique_ptr<render::ShaderProgram> modelShader;      // Model.vert/.frag
  std::unique_ptr<render::ShaderProgram> lambertShader;    // Lambert.vert/.frag
  std::unique_ptr<render::ShaderProgram> particleShader;   // Particles.vert/.frag
};

// The files of one demo program, the name its start-up message gives it
// ("Error compiling <programName>") and whether a frame draws with it.
struct DemoShaderFiles {
  const char* programName;   // e.g. "modelShader"
  const char* vertexPath;    // e.g. "Data/Shaders/Model.vert"
  const char* fragmentPath;  // e.g. "Data/Shaders/Model.frag"
  bool drawn;                // false: built and checked at start-up only
};

// The seven programs' files, in build order.
std::array<DemoShaderFiles, 7> demoShaderFiles();

// Builds the seven programs into `shaders` in the order above, each made
// current and given its start-up uniforms ("resolution" of sineShader is the
// window size, width x height), then checks them in the order normalMap, distort,
// model, sine, overlay, lambert, particle. True when all are usable;
// otherwise false after one message: "Vertex and fragment shaders not
// supported!" before anything is built, or "Error compiling <name>" for the
// first program in check order that did not compile and link. No program is
// current afterwards (on success). Main thread, context current. A second
// call builds a fresh set (the old programs are deleted).
bool loadDemoShaders(DemoShaders& shaders, int width, int height);

// Builds the demo program of "Data/Shaders/<baseName>.vert/.frag" again,
// with its start-up uniforms (the sine program's "resolution" from `width`
// and `height`), for files that changed while the show runs. The new
// program takes the old one's place, freeing its GL names, only when it
// compiled and linked; otherwise the old one stays. No program is current
// afterwards. Shows no message.
render::ProgramRebuild rebuildDemoShader(DemoShaders& shaders, std::string_view baseName,
                                         int width, int height);

// Whether one of the demo programs is built from
// "Data/Shaders/<baseName>.vert/.frag".
bool isDemoShader(std::string_view baseName);

// Whether the frame driver draws with the demo program built from these
// files; the others are built and checked at start-up only.
bool isDrawnDemoShader(std::string_view baseName);

}  // namespace tessaly::demo
