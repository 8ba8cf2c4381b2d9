#version 330 core
// A picture laid over the whole view (full-screen quad).

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

out vec2 uv;

void main() {
  uv = texCoord;
  gl_Position = vec4(position.xy, position.z, 1.0);
}
