#version 330 core
// A scrolling, rippling picture: the colour map ("diffuseMap", unit 3)
// drifts sideways with "Time" at "DiffScroll" and is bent by two sine
// ripples. "Distort" sets the ripples' strength (x across, y along) and
// "DistortSpeed" how many times a second each runs through its cycle. The
// result is lit like Model.frag (ambient and three point lights, diffuse
// only), with the bump map ("bumpMap", unit 2) scrolling at "BumpScroll".

in vec3 surfacePosition;
in vec3 surfaceNormal;
in vec2 uv;

out vec4 fragColor;

uniform sampler2D diffuseMap;
uniform sampler2D bumpMap;
uniform float Time;
uniform vec2 Distort;
uniform vec2 DistortSpeed;
uniform float DiffScroll;
uniform float BumpScroll;
uniform vec4 Ambient;
uniform vec4 LightColor1;
uniform vec4 LightColor2;
uniform vec4 LightColor3;
uniform float LightIntensity1;
uniform float LightIntensity2;
uniform float LightIntensity3;
uniform vec3 fvLightPosition1;
uniform vec3 fvLightPosition2;
uniform vec3 fvLightPosition3;

const float twoPi = 6.2831853;
const float lightReach = 40.0;

vec3 lightFrom(vec3 colour, float intensity, vec3 position, vec3 n) {
  vec3 toLight = position - surfacePosition;
  float distanceSquared = dot(toLight, toLight);
  // 1 / max(distance, 1e-4) and the fall-off 1 / (1 + (distance /
  // lightReach)^2), both without a square root.
  float inverseDistance = inversesqrt(max(distanceSquared, 1e-8));
  float falloff = 1.0 + distanceSquared * (1.0 / (lightReach * lightReach));
  return colour * intensity * max(dot(n, toLight * inverseDistance), 0.0) / falloff;
}

void main() {
  vec2 ripple = vec2(sin(uv.y * 31.0 + Time * DistortSpeed.x * twoPi),
                     sin(uv.x * 53.0 + Time * DistortSpeed.y * twoPi));
  vec2 bent = uv + ripple * Distort * vec2(0.0016, 0.006);
  vec2 colourUv = bent + vec2(Time * 0.004 * DiffScroll, 0.0);
  vec2 bumpUv = bent + vec2(Time * 0.004 * BumpScroll, 0.0);
  vec3 n = normalize(surfaceNormal);
  float height = texture(bumpMap, bumpUv).r;
  n = normalize(n + vec3(dFdx(height), dFdy(height), 0.0) * 0.5);
  vec3 light = Ambient.rgb;
  light += lightFrom(LightColor1.rgb, LightIntensity1, fvLightPosition1, n);
  light += lightFrom(LightColor2.rgb, LightIntensity2, fvLightPosition2, n);
  light += lightFrom(LightColor3.rgb, LightIntensity3, fvLightPosition3, n);
  fragColor = vec4(texture(diffuseMap, colourUv).rgb * light, 1.0);
}
