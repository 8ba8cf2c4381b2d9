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
//
// Written for a software rasteriser (llvmpipe), which runs both sides of a
// branch for every pixel: the filter is chosen by selecting between
// results, and the blur's twelve outer taps are a loop whose length is a
// uniform (none for the other filters), which it leaves after one masked
// round, so the full-screen draws of filter 0 read two texels instead of
// thirteen. One tap per round keeps that round cheap.

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

// Gaussian weights for offsets 0..6 taps (sigma 2.4 taps), normalised. The
// loop picks its weight by comparison: an array indexed by the loop counter
// lets the compiler unroll the loop into six guarded copies, run always.
const float centreWeight = 0.1673;
const vec3 outerWeights = vec3(0.1534, 0.1182, 0.0766);
const vec3 outerWeights2 = vec3(0.0417, 0.0191, 0.0073);

// A blur tap; `brightOnly` (0 or 1) keeps only its bright part.
vec4 glowSample(vec4 c, float brightOnly) {
  float keep = smoothstep(brightLow, brightHigh, max(c.r, max(c.g, c.b)));
  return vec4(c.rgb * mix(1.0, keep, brightOnly), c.a);
}

void main() {
  vec4 picture = texture(filterMap, uv);
  bool blur = filterNumber == 1;
  // The glow's first pass runs along y and reads the scene picture.
  float brightOnly = float(filterVec2.x == 0.0);
  int taps = blur ? 12 : 0;
  vec4 sum = glowSample(picture, brightOnly) * centreWeight;
  for (int i = 0; i < taps; ++i) {
    // Taps in the order +1, -1, +2, -2, ... steps.
    int k = i / 2 + 1;
    vec2 step = filterVec2 * float((i & 1) == 0 ? k : -k);
    float weight = dot(outerWeights, vec3(equal(ivec3(k), ivec3(1, 2, 3)))) +
                   dot(outerWeights2, vec3(equal(ivec3(k), ivec3(4, 5, 6))));
    sum += glowSample(texture(filterMap, uv + step), brightOnly) * weight;
  }
  vec4 blurred = vec4(sum.rgb, sum.a * glowShare);

  float luminance = dot(picture.rgb, vec3(0.2126, 0.7152, 0.0722));
  float t = smoothstep(colorLine - 0.25, colorLine + 0.25, luminance);
  vec3 tint = mix(colorValue2.rgb, colorValue1.rgb, t);
  vec4 graded = vec4(picture.rgb * mix(vec3(1.0), tint, 0.6), picture.a * alpha);

  vec4 plain = vec4(picture.rgb, picture.a * alpha);
  fragColor = filterNumber == 0 ? plain : blur ? blurred : filterNumber == 2 ? graded : picture;
}
