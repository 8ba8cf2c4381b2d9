#version 330 core
// Per-pixel lighting of the models and the sky: an ambient term, three
// point lights (colour times intensity, a gentle fall-off with distance)
// and a soft fill light carried by the camera and aimed at "fvEyePosition",
// the point it looks at. Diffuse and Blinn-Phong highlights are seen from the
// camera (its position comes from "V", see Model.vert).
// Maps: "diffuseMap" (unit 3) is the colour. "bumpMap" (unit 2) describes
// the surface:
//   red    height, which tilts the normal (bump mapping from screen-space
//          derivatives, so no tangents are needed)
//   green  metalness: 0 paint, stone or plastic (white highlights over the
//          full colour), 1 bare metal (a dim diffuse colour, highlights in
//          the metal's own colour, a broad sheen and a reflection of the
//          surroundings: dark below, the ambient light above)
//   blue   sharpness of the highlight: 0 broad, 1 tight
//   alpha  gloss, the strength of the highlight
// A material without a bump map gets a transparent black texel: flat, dull
// and without highlight, which is what the sky wants.

in vec3 surfacePosition;
in vec3 surfaceNormal;
in vec2 uv;
in vec3 cameraPosition;

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
// The camera's light: strength, and the cosine of its cone's half angle.
const float cameraLight = 0.22;
const float cameraCone = 0.75;
// How much of its colour a bare metal keeps as diffuse.
const float metalDiffuse = 0.38;

struct Surface {
  vec3 normal;
  vec3 view;  // towards the camera
  float power;
  float gloss;
};

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

// Adds one light's diffuse share and, when it `shines`, its highlight and
// its broad sheen.
void addLight(vec3 light, vec3 toLight, bool shines, Surface s, inout vec3 diffuse,
              inout vec3 highlight, inout vec3 sheen) {
  vec3 l = normalize(toLight);
  float lambert = max(dot(s.normal, l), 0.0);
  diffuse += light * lambert;
  if (shines && lambert > 0.0) {
    float facing = max(dot(s.normal, normalize(l + s.view)), 0.0);
    highlight += light * s.gloss * pow(facing, s.power) * min(1.0, 4.0 * lambert);
    sheen += light * pow(facing, 6.0) * lambert;
  }
}

void addPointLight(vec3 colour, float intensity, vec3 position, Surface s, inout vec3 diffuse,
                   inout vec3 highlight, inout vec3 sheen) {
  vec3 toLight = position - surfacePosition;
  float reach = length(toLight) / lightReach;
  addLight(colour * intensity / (1.0 + reach * reach), toLight, true, s, diffuse, highlight, sheen);
}

void main() {
  vec4 bump = texture(bumpMap, uv);
  Surface s;
  s.normal = bumpedNormal(normalize(surfaceNormal), bump.r);
  vec3 toCamera = cameraPosition - surfacePosition;
  s.view = dot(toCamera, toCamera) > 0.0 ? normalize(toCamera) : s.normal;
  s.power = SpecularPower * mix(2.0, 32.0, bump.b);
  s.gloss = bump.a;
  float metal = bump.g;

  vec3 diffuse = Ambient.rgb;
  vec3 highlight = vec3(0.0);
  vec3 sheen = vec3(0.0);
  addPointLight(LightColor1.rgb, LightIntensity1, fvLightPosition1, s, diffuse, highlight, sheen);
  addPointLight(LightColor2.rgb, LightIntensity2, fvLightPosition2, s, diffuse, highlight, sheen);
  addPointLight(LightColor3.rgb, LightIntensity3, fvLightPosition3, s, diffuse, highlight, sheen);

  // The camera's light: brightest along the line of sight to the point it
  // looks at, fading out towards the edge of its cone and with distance. A
  // fill light only: its highlight would sit wherever a surface faces the
  // camera, like a flash.
  vec3 aim = fvEyePosition - cameraPosition;
  if (dot(aim, aim) > 0.0 && dot(toCamera, toCamera) > 0.0) {
    float inCone = smoothstep(cameraCone, 1.0, dot(normalize(aim), -s.view));
    float reach = length(toCamera) / lightReach;
    addLight(vec3(cameraLight * inCone / (1.0 + reach * reach)), toCamera, false, s, diffuse,
             highlight, sheen);
  }

  vec3 albedo = texture(diffuseMap, uv).rgb;
  vec3 tint = mix(vec3(1.0), albedo, metal);
  vec3 reflected = reflect(-s.view, s.normal);
  vec3 surroundings = Ambient.rgb * mix(0.3, 2.6, smoothstep(-0.5, 0.6, reflected.y));
  vec3 colour = albedo * diffuse * mix(1.0, metalDiffuse, metal);
  colour += tint * Specular.rgb * 2.0 * highlight;
  colour += albedo * metal * (surroundings + 0.5 * sheen) * (0.4 + 0.6 * s.gloss);
  fragColor = vec4(colour, 1.0);
}
