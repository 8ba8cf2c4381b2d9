#version 330 core
// Each point shows the sprite on unit 0 ("diffuseMap"), fading with
// distance.

in float depthFade;
out vec4 fragColor;

uniform sampler2D diffuseMap;

void main() {
  vec4 sprite = texture(diffuseMap, gl_PointCoord);
  fragColor = vec4(sprite.rgb * depthFade, sprite.a * depthFade);
}
