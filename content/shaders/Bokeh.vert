#version 330 core
// Full-screen quad for the depth-of-field look (built with the filter
// program; no pass of the player draws with it).

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

out vec2 uv;

void main() {
  uv = texCoord;
  gl_Position = vec4(position.xy, position.z, 1.0);
}
