#version 330 core
// Lit, textured models. "MVP" places the vertex on screen; "M" gives the
// surface position and normal in which the lights are evaluated (the
// player passes the identity for every object, so lighting is done in the
// model's own space). "V" is the camera's view: the camera's position,
// the viewer of the highlights, is read back from it.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec3 normal;

uniform mat4 MVP;
uniform mat4 M;
uniform mat4 V;

out vec3 surfacePosition;
out vec3 surfaceNormal;
out vec2 uv;
out vec3 cameraPosition;

void main() {
  surfacePosition = (M * vec4(position, 1.0)).xyz;
  surfaceNormal = mat3(M) * normal;
  uv = texCoord;
  // V = [R | t] maps the world to the camera, so the camera stands at -R^T t.
  cameraPosition = -(transpose(mat3(V)) * V[3].xyz);
  gl_Position = MVP * vec4(position, 1.0);
}
