#version 330 core
// Per-pixel lighting: an ambient term and three point lights (colour times
// intensity, a gentle fall-off with distance), diffuse and Blinn-Phong
// specular seen from "fvEyePosition".
// Maps: "diffuseMap" (unit 3) is the colour; "bumpMap" (unit 2) holds a
// height in red that tilts the normal (bump mapping from screen-space
// derivatives, so no tangents are needed) and the gloss in alpha. A
// material without a bump map gets a transparent black texel: no bump and
// no highlight, which is what the sky wants.

in vec3 surfacePosition;
in vec3 surfaceNormal;
in vec2 uv;

out vec4 fragColor;

uniform sampler2D diffuseMap;
uniform sampler2D bumpMap;
uniform vec4 Ambient;
uniform vec4 Specular;
uniform float SpecularPower;
uniform vec3 fvEyePosition;
uniform vec4 LightColor1;
uniform vec4 LightColor2;
uniform vec4 LightColor3;
uniform float LightIntensity1;
uniform float LightIntensity2;
uniform float LightIntensity3;
uniform vec3 fvLightPosition1;
uniform vec3 fvLightPosition2;
uniform vec3 fvLightPosition3;

// Height of the bump map's full range, in world units.
const float bumpDepth = 0.012;
// Distance at which a light has fallen to half.
const float lightReach = 40.0;

vec3 bumpedNormal(vec3 n, float height) {
  vec3 dpdx = dFdx(surfacePosition);
  vec3 dpdy = dFdy(surfacePosition);
  float dhdx = dFdx(height) * bumpDepth;
  float dhdy = dFdy(height) * bumpDepth;
  vec3 r1 = cross(dpdy, n);
  vec3 r2 = cross(n, dpdx);
  float det = dot(dpdx, r1);
  vec3 gradient = sign(det) * (dhdx * r1 + dhdy * r2);
  vec3 bumped = abs(det) * n - gradient;
  return dot(bumped, bumped) > 0.0 ? normalize(bumped) : n;
}

void addLight(vec3 colour, float intensity, vec3 position, vec3 n, vec3 view, float gloss,
              inout vec3 diffuse, inout vec3 highlight) {
  vec3 toLight = position - surfacePosition;
  float distance = length(toLight);
  vec3 l = toLight / max(distance, 1e-4);
  float reach = distance / lightReach;
  vec3 light = colour * intensity / (1.0 + reach * reach);
  float lambert = max(dot(n, l), 0.0);
  diffuse += light * lambert;
  if (lambert > 0.0 && gloss > 0.0) {
    vec3 h = normalize(l + view);
    highlight += light * gloss * pow(max(dot(n, h), 0.0), SpecularPower * 8.0);
  }
}

void main() {
  vec4 bump = texture(bumpMap, uv);
  vec3 n = bumpedNormal(normalize(surfaceNormal), bump.r);
  vec3 toEye = fvEyePosition - surfacePosition;
  vec3 view = dot(toEye, toEye) > 0.0 ? normalize(toEye) : n;
  vec3 diffuse = Ambient.rgb;
  vec3 highlight = vec3(0.0);
  addLight(LightColor1.rgb, LightIntensity1, fvLightPosition1, n, view, bump.a, diffuse, highlight);
  addLight(LightColor2.rgb, LightIntensity2, fvLightPosition2, n, view, bump.a, diffuse, highlight);
  addLight(LightColor3.rgb, LightIntensity3, fvLightPosition3, n, view, bump.a, diffuse, highlight);
  vec3 albedo = texture(diffuseMap, uv).rgb;
  fragColor = vec4(albedo * diffuse + Specular.rgb * highlight, 1.0);
}
