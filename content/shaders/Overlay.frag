#version 330 core
// The overlay picture on unit 0 ("filterMap"), premultiplied for additive
// or alpha blending alike.

in vec2 uv;
out vec4 fragColor;

uniform sampler2D filterMap;

void main() {
  vec4 picture = texture(filterMap, uv);
  fragColor = vec4(picture.rgb * picture.a, picture.a);
}
