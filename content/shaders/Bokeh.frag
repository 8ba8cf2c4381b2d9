#version 330 core
// A bokeh blur: 48 taps on a golden-angle spiral over a disc, bright taps
// weighted up so highlights bloom into round discs. "radius" is the disc's
// radius in texture coordinates (a small default when it is not set).

in vec2 uv;
out vec4 fragColor;

uniform sampler2D filterMap;
uniform float radius;

void main() {
  float r = radius > 0.0 ? radius : 0.006;
  vec3 sum = vec3(0.0);
  float total = 0.0;
  const float goldenAngle = 2.39996323;
  for (int i = 0; i < 48; ++i) {
    float f = (float(i) + 0.5) / 48.0;
    float a = float(i) * goldenAngle;
    vec2 tap = uv + vec2(cos(a), sin(a)) * sqrt(f) * r * vec2(0.5625, 1.0);
    vec3 c = texture(filterMap, tap).rgb;
    float w = 1.0 + 4.0 * smoothstep(0.7, 1.2, dot(c, vec3(0.333)));
    sum += c * w;
    total += w;
  }
  fragColor = vec4(sum / total, 1.0);
}
