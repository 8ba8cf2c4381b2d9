// Small GLSL pairs of the tests' own that follow the filter programs'
// interface: attributes 0 (position) and 1 (texture coordinate), "offset",
// "filterMap" on unit 0, "filterNumber" 0 (the texture under "alpha") and 1
// (a blur that adds the colour of five taps along "filterVec2" and
// keeps their mean alpha), and "colorLine",
// "colorValue1", "colorValue2" for filter 2. Header-only.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace tessaly::test {

inline constexpr const char* filterVertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform vec2 offset;
out vec2 uv;
void main() {
  uv = texCoord;
  gl_Position = vec4(position.xy + offset, position.z, 1.0);
}
)";

inline constexpr const char* filterFragmentSource = R"(#version 330 core
in vec2 uv;
out vec4 fragColor;
uniform sampler2D filterMap;
uniform int filterNumber;
uniform float alpha;
uniform vec2 filterVec2;
uniform float colorLine;
uniform vec4 colorValue1;
uniform vec4 colorValue2;
void main() {
  if (filterNumber == 1) {
    vec4 sum = vec4(0.0);
    for (int i = -2; i <= 2; ++i) {
      sum += texture(filterMap, uv + float(i) * filterVec2);
    }
    fragColor = vec4(sum.rgb, sum.a / 5.0);
  } else if (filterNumber == 2) {
    fragColor = uv.y < colorLine ? colorValue1 : colorValue2;
  } else {
    vec4 texel = texture(filterMap, uv);
    fragColor = vec4(texel.rgb, texel.a * alpha);
  }
}
)";

// A filter program whose blur adds nothing, so with a fade of 1 a frame
// shows the scene as drawn (the filter chain's own tests cover the glow).
inline constexpr const char* plainFilterFragmentSource = R"(#version 330 core
in vec2 uv;
out vec4 fragColor;
uniform sampler2D filterMap;
uniform int filterNumber;
uniform float alpha;
uniform vec2 filterVec2;
void main() {
  vec4 texel = texture(filterMap, uv + filterVec2 * 0.0);
  fragColor = filterNumber == 1 ? vec4(0.0) : vec4(texel.rgb, texel.a * alpha);
}
)";

// Writes Data/Shaders/Filters.* and Bokeh.* (the same pair) under `root`.
inline void writeFilterShaders(const std::filesystem::path& root) {
  const std::filesystem::path shaders = root / "Data" / "Shaders";
  std::filesystem::create_directories(shaders);
  for (const char* name : {"Filters", "Bokeh"}) {
    std::ofstream(shaders / (std::string(name) + ".vert"), std::ios::binary) << filterVertexSource;
    std::ofstream(shaders / (std::string(name) + ".frag"), std::ios::binary)
        << filterFragmentSource;
  }
}

}  // namespace tessaly::test
