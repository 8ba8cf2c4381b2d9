// The demo shader set: build order, start-up uniforms and the compile check.
#include "demo/demo_shaders.h"

#include "platform/error_box.h"

#include <algorithm>
#include <array>
#include <string>

namespace tessaly::demo {

namespace {

using render::ShaderProgram;

// The window size the sine program's "resolution" gets.
struct WindowSize {
  int width = 0;
  int height = 0;
};

// The grey material and the one light every lit program starts with.
constexpr float grey = 0.4f;
constexpr float lightX = 50.3f;
constexpr float lightY = 18.9f;
constexpr float lightZ = 27.2f;

// normalMapShader and modelShader: texture units, material, eye and three
// lights, all at the same place.
void setLitModelDefaults(const ShaderProgram& program, WindowSize) {
  program.setInt("diffuseMap", 3);
  program.setInt("bumpMap", 2);
  program.setVec4("Ambient", grey, grey, grey, 1.0f);
  program.setVec4("Diffuse", grey, grey, grey, 1.0f);
  program.setVec4("Specular", 0.5f, 0.5f, 0.5f, 0.5f);
  program.setFloat("SpecularPower", 6.0f);
  program.setVec3("fvEyePosition", 0.0f, 0.0f, 0.0f);
  program.setVec4("LightColor1", 0.2f, 0.2f, 0.3f, 1.0f);
  program.setFloat("LightIntensity1", 2.5f);
  program.setVec3("fvLightPosition1", lightX, lightY, lightZ);
  program.setVec4("LightColor2", 0.2f, 0.2f, 0.3f, 1.0f);
  program.setFloat("LightIntensity2", 2.5f);
  program.setVec3("fvLightPosition2", lightX, lightY, lightZ);
  program.setVec4("LightColor3", 0.2f, 0.2f, 0.3f, 1.0f);
  program.setFloat("LightIntensity3", 2.5f);
  program.setVec3("fvLightPosition3", lightX, lightY, lightZ);
}

// distortShader starts with one unnumbered light; the frame sets the
// numbered ones.
void setDistortDefaults(const ShaderProgram& program, WindowSize) {
  program.setInt("diffuseMap", 3);
  program.setInt("bumpMap", 2);
  program.setVec4("Ambient", grey, grey, grey, 1.0f);
  program.setVec4("Diffuse", grey, grey, grey, 1.0f);
  program.setVec4("Specular", 0.5f, 0.5f, 0.5f, 0.5f);
  program.setVec4("LightColor", 0.2f, 0.2f, 0.3f, 1.0f);
  program.setFloat("SpecularPower", 6.0f);
  program.setFloat("SpecularGain", 1.0f);
  program.setFloat("LightIntensity", 2.5f);
  program.setVec3("fvLightPosition", lightX, lightY, lightZ);
  program.setFloat("DiffScroll", 2.0f);
  program.setFloat("BumpScroll", 2.0f);
  program.setVec2("Distort", 2.5f, 2.5f);
  program.setVec2("DistortSpeed", 2.5f, 2.5f);
}

void setSineDefaults(const ShaderProgram& program, WindowSize window) {
  program.setVec2("resolution", static_cast<float>(window.width),
                  static_cast<float>(window.height));
  program.setInt("filterMap", 0);
}

void setOverlayDefaults(const ShaderProgram& program, WindowSize) {
  program.setInt("filterMap", 0);
}

// Lambert's diffuse colour is red-tinted (x 1.0), unlike the grey of the
// other programs.
void setLambertDefaults(const ShaderProgram& program, WindowSize) {
  program.setInt("diffuseMap", 3);
  program.setVec4("Ambient", grey, grey, grey, 1.0f);
  program.setVec4("Diffuse", 1.0f, grey, grey, 1.0f);
  program.setVec3("fvLightPosition", lightX, lightY, lightZ);
  program.setVec2("Distort", 2.5f, 2.5f);
  program.setVec2("DistortSpeed", 2.5f, 2.5f);
}

void setParticleDefaults(const ShaderProgram& program, WindowSize) {
  program.setInt("diffuseMap", 0);
}

struct ProgramRecipe {
  const char* name;
  std::unique_ptr<ShaderProgram> DemoShaders::*slot;
  const char* vertexPath;
  const char* fragmentPath;
  void (*setDefaults)(const ShaderProgram&, WindowSize);
};

// Build order.
constexpr std::array<ProgramRecipe, 7> buildOrder = {{
    {"normalMapShader", &DemoShaders::normalMapShader, "Data/Shaders/NormalMap.vert", "Data/Shaders/NormalMap.frag",
     setLitModelDefaults},
    {"distortShader", &DemoShaders::distortShader, "Data/Shaders/Distort.vert", "Data/Shaders/Distort.frag",
     setDistortDefaults},
    {"sineShader", &DemoShaders::sineShader, "Data/Shaders/test.vert", "Data/Shaders/test.frag", setSineDefaults},
    {"overlayShader", &DemoShaders::overlayShader, "Data/Shaders/Overlay.vert", "Data/Shaders/Overlay.frag",
     setOverlayDefaults},
    {"modelShader", &DemoShaders::modelShader, "Data/Shaders/Model.vert", "Data/Shaders/Model.frag",
     setLitModelDefaults},
    {"lambertShader", &DemoShaders::lambertShader, "Data/Shaders/Lambert.vert", "Data/Shaders/Lambert.frag",
     setLambertDefaults},
    {"particleShader", &DemoShaders::particleShader, "Data/Shaders/Particles.vert", "Data/Shaders/Particles.frag",
     setParticleDefaults},
}};

struct ProgramCheck {
  std::unique_ptr<ShaderProgram> DemoShaders::*slot;
  const char* message;
};

// Check order, with the message of each program.
constexpr std::array<ProgramCheck, 7> checkOrder = {{
    {&DemoShaders::normalMapShader, "Error compiling normalMapShader"},
    {&DemoShaders::distortShader, "Error compiling distortShader"},
    {&DemoShaders::modelShader, "Error compiling modelShader"},
    {&DemoShaders::sineShader, "Error compiling sineShader"},
    {&DemoShaders::overlayShader, "Error compiling overlayShader"},
    {&DemoShaders::lambertShader, "Error compiling lambertShader"},
    {&DemoShaders::particleShader, "Error compiling particleShader"},
}};

}  // namespace

bool loadDemoShaders(DemoShaders& shaders, int width, int height) {
  if (!render::shadersSupported()) {
    platform::showErrorBox("Vertex and fragment shaders not supported!");
    return false;
  }
  for (const ProgramRecipe& recipe : buildOrder) {
    auto& program = shaders.*recipe.slot;
    program = std::make_unique<ShaderProgram>(recipe.vertexPath, recipe.fragmentPath);
    program->use();
    recipe.setDefaults(*program, WindowSize{width, height});
  }
  for (const ProgramCheck& check : checkOrder) {
    if (!(shaders.*check.slot)->isCompiled()) {
      platform::showErrorBox(check.message);
      return false;
    }
  }
  ShaderProgram::unuse();
  return true;
}

render::ProgramRebuild rebuildDemoShader(DemoShaders& shaders, std::string_view baseName,
                                         int width, int height) {
  render::ProgramRebuild result;
  const std::string vertexPath = "Data/Shaders/" + std::string(baseName) + ".vert";
  for (const ProgramRecipe& recipe : buildOrder) {
    if (vertexPath != recipe.vertexPath) {
      continue;
    }
    result.matched = true;
    auto rebuilt = std::make_unique<ShaderProgram>(recipe.vertexPath, recipe.fragmentPath);
    result.compiled = rebuilt->isCompiled();
    result.log = rebuilt->log();
    if (result.compiled) {
      rebuilt->use();
      recipe.setDefaults(*rebuilt, WindowSize{width, height});
      shaders.*recipe.slot = std::move(rebuilt);
    }
    ShaderProgram::unuse();
    break;
  }
  return result;
}

std::array<DemoShaderFiles, 7> demoShaderFiles() {
  std::array<DemoShaderFiles, 7> files{};
  for (std::size_t i = 0; i < buildOrder.size(); ++i) {
    const ProgramRecipe& recipe = buildOrder[i];
    std::string_view base = recipe.vertexPath;
    base.remove_prefix(base.rfind('/') + 1);
    base.remove_suffix(std::string_view(".vert").size());
    files[i] = {recipe.name, recipe.vertexPath, recipe.fragmentPath, isDrawnDemoShader(base)};
  }
  return files;
}

bool isDemoShader(std::string_view baseName) {
  const std::string vertexPath = "Data/Shaders/" + std::string(baseName) + ".vert";
  return std::any_of(buildOrder.begin(), buildOrder.end(),
                     [&](const ProgramRecipe& recipe) { return vertexPath == recipe.vertexPath; });
}

bool isDrawnDemoShader(std::string_view baseName) {
  // The scenes draw with these three; the normal-map, sine, overlay and
  // particle programs are only built and checked.
  return baseName == "Model" || baseName == "Lambert" || baseName == "Distort";
}

}  // namespace tessaly::demo
