#version 330 core
// The distorted sky of scene 2 (see Distort.frag).

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec3 normal;

uniform mat4 MVP;
uniform mat4 M;
uniform mat4 V;

out vec3 surfacePosition;
out vec3 surfaceNormal;
out vec2 uv;

void main() {
  surfacePosition = (M * vec4(position, 1.0)).xyz;
  surfaceNormal = mat3(M) * normal;
  uv = texCoord;
  gl_Position = MVP * vec4(position, 1.0);
}
