#version 330 core
// The particle galaxy. Each point turns about the y axis with "Time",
// inner points faster than outer ones, and rides a slow vertical wave
// ("Distort", "DistortSpeed"). Its colour runs from a warm core to the
// "Diffuse" tint in the arms, lit Lambert-style: points on the side facing
// "fvLightPosition" are brighter. Each point twinkles at its own phase.

layout(location = 0) in vec3 position;

uniform mat4 MVP;
uniform float Time;
uniform vec4 Ambient;
uniform vec4 Diffuse;
uniform vec3 fvLightPosition;
uniform vec2 Distort;
uniform vec2 DistortSpeed;

out vec3 colour;

void main() {
  float radius = length(position.xz);
  float angle = Time * 0.5 / (0.7 + 0.15 * radius);
  float c = cos(angle), s = sin(angle);
  vec3 p = vec3(c * position.x - s * position.z, position.y, s * position.x + c * position.z);
  p.y += sin(Time * DistortSpeed.x * 0.3 + radius * 0.7) * 0.04 * Distort.y;
  gl_Position = MVP * vec4(p, 1.0);

  vec3 core = mix(vec3(1.0, 0.86, 0.68), Diffuse.rgb, smoothstep(1.0, 8.0, radius));
  vec3 towardsLight = normalize(fvLightPosition);
  float facing = 0.5 + 0.5 * dot(length(p) > 0.0 ? normalize(p) : towardsLight, towardsLight);
  float twinkle = 0.7 + 0.3 * sin(Time * 2.7 + float(gl_VertexID) * 1.618);
  colour = core * (Ambient.rgb + 0.8 * facing) * twinkle;
}
