#version 330 core
// The particle galaxy. Each point turns about the y axis with "Time",
// inner points faster than outer ones, and rides a slow vertical wave
// ("Distort", "DistortSpeed"). Its colour runs from a warm core to the
// "Diffuse" tint in the arms, lit Lambert-style: points on the side facing
// "fvLightPosition" are brighter. Each point twinkles at its own phase.
// The points are added up, so where they crowd (the bulge, and the disc
// seen edge-on) each is dimmer: the core reads as a warm glow with grain
// rather than a flat white patch. Points just in front of the camera fade
// out instead of flashing past. The camera's position, needed for the
// edge-on view, is where "MVP" maps to x = y = w = 0.

layout(location = 0) in vec3 position;

uniform mat4 MVP;
uniform float Time;
uniform vec4 Ambient;
uniform vec4 Diffuse;
uniform vec3 fvLightPosition;
uniform vec2 Distort;
uniform vec2 DistortSpeed;

out vec3 colour;

vec3 cameraPosition() {
  // Rows 0, 1 and 3 of MVP, each as (xyz, w): solve xyz . c = -w for c.
  vec4 r0 = vec4(MVP[0][0], MVP[1][0], MVP[2][0], MVP[3][0]);
  vec4 r1 = vec4(MVP[0][1], MVP[1][1], MVP[2][1], MVP[3][1]);
  vec4 r3 = vec4(MVP[0][3], MVP[1][3], MVP[2][3], MVP[3][3]);
  mat3 rows = transpose(mat3(r0.xyz, r1.xyz, r3.xyz));
  return inverse(rows) * -vec3(r0.w, r1.w, r3.w);
}

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
  vec3 toCamera = cameraPosition() - p;
  float edgeOn = dot(toCamera, toCamera) > 0.0 ? abs(normalize(toCamera).y) : 1.0;
  float crowding = mix(0.3, 1.0, smoothstep(0.8, 5.5, length(position))) *
                   mix(0.45, 1.0, smoothstep(0.05, 0.5, edgeOn));
  float nearFade = smoothstep(0.4, 2.5, gl_Position.w);
  colour = core * (Ambient.rgb + 0.8 * facing) * twinkle * crowding * nearFade;
}
