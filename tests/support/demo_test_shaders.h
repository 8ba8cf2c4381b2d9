// The tests' own seven demo programs: tiny GLSL pairs that follow the
// demo's interface. Every uniform a program is given at start-up or per
// frame is declared and kept active (a term the compiler cannot drop), so
// tests can read each value back. Lit programs sample "diffuseMap" (the
// sky's picture shows through); the others draw one flat colour each.
// Header-only.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

struct TestUniform {
  const char* name;
  const char* type;  // "float", "vec2", "vec3", "vec4", "mat4", "sampler2D"
};

struct TestProgram {
  const char* file;  // "Model" for Model.vert / Model.frag
  std::vector<TestUniform> uniforms;
  bool textured;          // samples "diffuseMap" at the vertex's texture coordinate
  const char* flatColor;  // otherwise this colour, a GLSL vec3
};

// The uniform interface of the demo's programs, start-up and per frame.
inline std::vector<TestProgram> demoTestPrograms() {
  const std::vector<TestUniform> lit = {{"diffuseMap", "sampler2D"},
                                        {"bumpMap", "sampler2D"},
                                        {"Ambient", "vec4"},
                                        {"Diffuse", "vec4"},
                                        {"Specular", "vec4"},
                                        {"SpecularPower", "float"},
                                        {"fvEyePosition", "vec3"},
                                        {"LightColor1", "vec4"},
                                        {"LightIntensity1", "float"},
                                        {"fvLightPosition1", "vec3"},
                                        {"LightColor2", "vec4"},
                                        {"LightIntensity2", "float"},
                                        {"fvLightPosition2", "vec3"},
                                        {"LightColor3", "vec4"},
                                        {"LightIntensity3", "float"},
                                        {"fvLightPosition3", "vec3"},
                                        {"MVP", "mat4"},
                                        {"M", "mat4"},
                                        {"V", "mat4"}};
  std::vector<TestUniform> distort = lit;
  distort.insert(distort.end(), {{"LightColor", "vec4"},
                                 {"SpecularGain", "float"},
                                 {"LightIntensity", "float"},
                                 {"fvLightPosition", "vec3"},
                                 {"DiffScroll", "float"},
                                 {"BumpScroll", "float"},
                                 {"Distort", "vec2"},
                                 {"DistortSpeed", "vec2"},
                                 {"Time", "float"}});
  return {
      {"NormalMap", lit, false, "vec3(0.5, 0.5, 0.5)"},
      {"Distort", distort, true, nullptr},
      {"test", {{"resolution", "vec2"}, {"filterMap", "sampler2D"}}, false, "vec3(0.0, 1.0, 1.0)"},
      {"Overlay", {{"filterMap", "sampler2D"}}, false, "vec3(1.0, 0.0, 1.0)"},
      {"Model", lit, true, nullptr},
      {"Lambert",
       {{"diffuseMap", "sampler2D"},
        {"Ambient", "vec4"},
        {"Diffuse", "vec4"},
        {"fvLightPosition", "vec3"},
        {"Distort", "vec2"},
        {"DistortSpeed", "vec2"},
        {"MVP", "mat4"},
        {"Time", "float"}},
       false,
       "vec3(1.0, 1.0, 0.0)"},
      {"Particles", {{"diffuseMap", "sampler2D"}}, false, "vec3(0.0, 0.0, 1.0)"},
  };
}

// The first component of a uniform as a float expression.
inline std::string firstComponent(const TestUniform& uniform) {
  const std::string type = uniform.type;
  const std::string name = uniform.name;
  if (type == "float") return name;
  if (type == "mat4") return name + "[0][0] + " + name + "[3][3]";
  if (type == "sampler2D") return "texture(" + name + ", vec2(0.5)).a";
  return name + ".x";
}

// One program's pair. Every uniform feeds `touch`, which changes the colour
// only for a value no test uses, so all stay active.
inline std::pair<std::string, std::string> demoTestSources(const TestProgram& program) {
  std::string declarations;
  std::string touch = "0.0";
  for (const TestUniform& uniform : program.uniforms) {
    declarations += std::string("uniform ") + uniform.type + " " + uniform.name + ";\n";
    touch += " + " + firstComponent(uniform);
  }
  bool hasMvp = false;
  for (const TestUniform& uniform : program.uniforms) {
    hasMvp = hasMvp || std::string(uniform.name) == "MVP";
  }
  std::string vertex =
      "#version 330 core\n"
      "layout(location = 0) in vec3 position;\n"
      "layout(location = 1) in vec2 texCoord;\n"
      "out vec2 uv;\n" +
      std::string(hasMvp ? "uniform mat4 MVP;\n" : "") +
      "void main() {\n"
      "  uv = texCoord;\n"
      "  gl_Position = " +
      std::string(hasMvp ? "MVP * vec4(position, 1.0)" : "vec4(position, 1.0)") +
      ";\n"
      "}\n";
  std::string fragmentDeclarations;
  for (const TestUniform& uniform : program.uniforms) {
    fragmentDeclarations += std::string("uniform ") + uniform.type + " " + uniform.name + ";\n";
  }
  const std::string base =
      program.textured ? "texture(diffuseMap, uv).rgb" : std::string(program.flatColor);
  std::string fragment =
      "#version 330 core\n"
      "in vec2 uv;\n"
      "out vec4 fragColor;\n" +
      fragmentDeclarations +
      "void main() {\n"
      "  float touch = " +
      touch +
      ";\n"
      "  vec3 colour = " +
      base +
      ";\n"
      "  if (touch == 123456.75) colour = vec3(0.123);\n"
      "  fragColor = vec4(colour, 1.0);\n"
      "}\n";
  return {vertex, fragment};
}

// Writes all seven pairs under root/Data/Shaders.
inline void writeDemoTestShaders(const std::filesystem::path& root) {
  const std::filesystem::path shaders = root / "Data" / "Shaders";
  std::filesystem::create_directories(shaders);
  for (const TestProgram& program : demoTestPrograms()) {
    const auto [vertex, fragment] = demoTestSources(program);
    std::ofstream(shaders / (std::string(program.file) + ".vert"), std::ios::binary) << vertex;
    std::ofstream(shaders / (std::string(program.file) + ".frag"), std::ios::binary) << fragment;
  }
}

// A fragment shader that does not compile.
inline constexpr const char* brokenFragmentSource =
    "#version 330 core\nout vec4 fragColor;\nvoid main() { fragColor = broken; }\n";

}  // namespace tessaly::test
