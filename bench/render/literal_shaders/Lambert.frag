#version 330 core
// A soft round dot for each particle. The player draws them additively
// without writing depth; alpha stays 0 so the picture's alpha is untouched.

in vec3 colour;
out vec4 fragColor;

void main() {
  vec2 c = gl_PointCoord * 2.0 - 1.0;
  float falloff = max(0.0, 1.0 - dot(c, c));
  fragColor = vec4(colour * falloff * falloff * 0.2, 0.0);
}
