#version 330 core
// Like Model.frag, but "bumpMap" (unit 2) is a tangent-space normal map
// (rgb = normal * 0.5 + 0.5, alpha = gloss). The tangent frame comes from
// screen-space derivatives of position and texture coordinates. A texel
// with alpha 0 (no map) leaves the surface normal as it is.

in vec3 surfacePosition;
in vec3 surfaceNormal;
in vec2 uv;

out vec4 fragColor;

uniform sampler2D diffuseMap;
uniform sampler2D bumpMap;
uniform vec4 Ambient;
uniform vec4 Diffuse;
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

mat3 cotangentFrame(vec3 n, vec3 p, vec2 texel) {
  vec3 dp1 = dFdx(p);
  vec3 dp2 = dFdy(p);
  vec2 duv1 = dFdx(texel);
  vec2 duv2 = dFdy(texel);
  vec3 dp2perp = cross(dp2, n);
  vec3 dp1perp = cross(n, dp1);
  vec3 t = dp2perp * duv1.x + dp1perp * duv2.x;
  vec3 b = dp2perp * duv1.y + dp1perp * duv2.y;
  float scale = inversesqrt(max(max(dot(t, t), dot(b, b)), 1e-20));
  return mat3(t * scale, b * scale, n);
}

vec3 shade(vec3 colour, float intensity, vec3 position, vec3 n, vec3 view, float gloss) {
  vec3 l = normalize(position - surfacePosition);
  float lambert = max(dot(n, l), 0.0);
  vec3 h = normalize(l + view);
  float highlight = lambert > 0.0 ? gloss * pow(max(dot(n, h), 0.0), SpecularPower * 8.0) : 0.0;
  return colour * intensity * (lambert * Diffuse.rgb / 0.4 + highlight * Specular.rgb);
}

void main() {
  vec3 n = normalize(surfaceNormal);
  vec4 map = texture(bumpMap, uv);
  if (map.a > 0.0) {
    n = normalize(cotangentFrame(n, surfacePosition, uv) * (map.rgb * 2.0 - 1.0));
  }
  vec3 toEye = fvEyePosition - surfacePosition;
  vec3 view = dot(toEye, toEye) > 0.0 ? normalize(toEye) : n;
  vec3 albedo = texture(diffuseMap, uv).rgb;
  vec3 light = Ambient.rgb * albedo;
  light += albedo * shade(LightColor1.rgb, LightIntensity1, fvLightPosition1, n, view, map.a);
  light += albedo * shade(LightColor2.rgb, LightIntensity2, fvLightPosition2, n, view, map.a);
  light += albedo * shade(LightColor3.rgb, LightIntensity3, fvLightPosition3, n, view, map.a);
  fragColor = vec4(light, 1.0);
}
