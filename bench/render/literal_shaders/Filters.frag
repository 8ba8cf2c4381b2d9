#version 330 core
// Picture filters of the post-processing chain, chosen by "filterNumber".
// The picture is always the texture on unit 0 ("filterMap").
//   0  the picture as it is, its alpha times "alpha" (blended by the caller)
//   1  one directional blur step: a 13-tap Gaussian along "filterVec2"
//      (one tap step, in texture coordinates). The glow runs it twice,
//      first along y on the scene picture, then along x on the result, and
//      adds the result with source-alpha weighting. The pass along y keeps
//      only the bright part of the picture, so highlights, particles and
//      bright sky glow while mid-tones stay crisp; each pass keeps a share
//      of the alpha, which sets the glow's strength.
//   2  a two-tone grade: dark parts towards "colorValue2", bright parts
//      towards "colorValue1", split at the luminance "colorLine"
// Any other number passes the picture through.

in vec2 uv;
out vec4 fragColor;

uniform sampler2D filterMap;
uniform int filterNumber;
uniform float alpha;
uniform vec2 filterVec2;
uniform float colorLine;
uniform vec4 colorValue1;
uniform vec4 colorValue2;

// Each blur pass keeps this share of the alpha: the glow adds 0.65 x 0.65
// of its bright part.
const float glowShare = 0.65;
// The bright part: colour is kept in full above `brightHigh` (brightest
// channel) and not at all below `brightLow`.
const float brightLow = 0.45;
const float brightHigh = 0.95;

vec4 glowSample(vec2 at, bool brightOnly) {
  vec4 c = texture(filterMap, at);
  if (brightOnly) {
    c.rgb *= smoothstep(brightLow, brightHigh, max(c.r, max(c.g, c.b)));
  }
  return c;
}

vec4 directionalBlur() {
  // Gaussian weights for offsets 0..6 taps (sigma 2.4 taps), normalised.
  const float weights[7] = float[7](0.1673, 0.1534, 0.1182, 0.0766, 0.0417, 0.0191, 0.0073);
  // The glow's first pass runs along y and reads the scene picture.
  bool brightOnly = filterVec2.x == 0.0;
  vec4 sum = glowSample(uv, brightOnly) * weights[0];
  for (int i = 1; i < 7; ++i) {
    vec2 step = filterVec2 * float(i);
    sum += (glowSample(uv + step, brightOnly) + glowSample(uv - step, brightOnly)) * weights[i];
  }
  return vec4(sum.rgb, sum.a * glowShare);
}

vec4 twoToneGrade(vec4 picture) {
  float luminance = dot(picture.rgb, vec3(0.2126, 0.7152, 0.0722));
  float t = smoothstep(colorLine - 0.25, colorLine + 0.25, luminance);
  vec3 tint = mix(colorValue2.rgb, colorValue1.rgb, t);
  return vec4(picture.rgb * mix(vec3(1.0), tint, 0.6), picture.a * alpha);
}

void main() {
  vec4 picture = texture(filterMap, uv);
  if (filterNumber == 0) {
    fragColor = vec4(picture.rgb, picture.a * alpha);
  } else if (filterNumber == 1) {
    fragColor = directionalBlur();
  } else if (filterNumber == 2) {
    fragColor = twoToneGrade(picture);
  } else {
    fragColor = picture;
  }
}
