#version 330 core
// Textured point sprites (kept for particle effects; no scene of the
// player draws with it).

layout(location = 0) in vec3 position;

uniform mat4 MVP;

out float depthFade;

void main() {
  gl_Position = MVP * vec4(position, 1.0);
  depthFade = clamp(1.5 - gl_Position.w * 0.02, 0.2, 1.0);
}
