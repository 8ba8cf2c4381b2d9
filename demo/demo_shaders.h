// The production's seven GLSL programs besides the filter chain's two: built
// once at start-up from their file pairs under "Data/Shaders/", given their
// start-up uniforms, checked, and then used by the frame driver and the
// scenes for the rest of the run.
#pragma once

#include "render/shader_program.h"

#include <memory>

namespace tessaly::demo {

// The seven programs, process-wide. Each is null until loadDemoShaders has
// built it.
struct DemoShaders {
  std::unique_ptr<render::ShaderProgram> normalMapShader;  // NormalMap.vert/.frag
  std::unique_ptr<render::ShaderProgram> distortShader;    // Distort.vert/.frag
  std::unique_ptr<render::ShaderProgram> sineShader;       // test.vert/.frag
  std::unique_ptr<render::ShaderProgram> overlayShader;    // Overlay.vert/.frag
  std::unique_ptr<render::ShaderProgram> modelShader;      // Model.vert/.frag
  std::unique_ptr<render::ShaderProgram> lambertShader;    // Lambert.vert/.frag
  std::unique_ptr<render::ShaderProgram> particleShader;   // Particles.vert/.frag
};

// Builds the seven programs in the order above, each made current and given
// its start-up uniforms ("resolution" of sineShader is the window size of
// app::demoConfig()), then checks them in the order normalMap, distort,
// model, sine, overlay, lambert, particle. True when all are usable;
// otherwise false after one message: "Vertex and fragment shaders not
// supported!" before anything is built, or "Error compiling <name>" for the
// first program in check order that did not compile and link. No program is
// current afterwards (on success). Main thread, context current. A second
// call builds a fresh set (the old GL objects are left to the context).
bool loadDemoShaders();

// The programs of the last loadDemoShaders.
const DemoShaders& demoShaders();

}  // namespace tessaly::demo
