#version 330 core
// The full-screen quad of the post-processing passes. Positions are already
// in clip space; "offset" (clip units) shifts the whole picture.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

uniform vec2 offset;

out vec2 uv;

void main() {
  uv = texCoord;
  gl_Position = vec4(position.xy + offset, position.z, 1.0);
}
