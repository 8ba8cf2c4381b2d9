#version 330 core
// A sine ripple: the picture on unit 0 ("filterMap") seen through
// concentric waves round the centre of the view, with a faint plasma tint.
// "resolution" is the window size in pixels, so the waves stay round.

in vec2 uv;
out vec4 fragColor;

uniform sampler2D filterMap;
uniform vec2 resolution;

void main() {
  vec2 size = max(resolution, vec2(1.0));
  vec2 centred = (gl_FragCoord.xy - 0.5 * size) / size.y;
  float distance = length(centred);
  vec2 direction = distance > 0.0 ? centred / distance : vec2(0.0);
  float wave = sin(distance * 60.0);
  vec4 picture = texture(filterMap, uv + direction * wave * 0.004);
  vec3 plasma = 0.5 + 0.5 * sin(vec3(0.0, 2.1, 4.2) + 8.0 * centred.x + 6.0 * centred.y + 3.0 * wave);
  fragColor = vec4(mix(picture.rgb, plasma, 0.12), picture.a);
}
