// Scene 2's models: the grinder (a toothed wheel about z, drawn six times
// 1.4 apart along -z) and "Stang", the axle they turn on with its two
// pylons and the floor plate under them.
#include "tools/content/models.h"

#include "tools/content/layout.h"
#include "tools/content/materials.h"
#include "tools/content/mesh.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace tessaly::content {

namespace {

constexpr float twoPi = 6.28318530717959f;

// A lathe profile built along y, laid along z (y becomes z).
glm::mat4 alongZ(glm::vec3 offset) {
  return glm::rotate(glm::translate(glm::mat4(1.0f), offset), twoPi / 4.0f, glm::vec3(1, 0, 0));
}

}  // namespace

bool writeGrinder(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float half = layout::grinderHalfThickness;

  // The toothed ring: 18 teeth with straight flanks, sampled 20 times a
  // tooth so the flank corners fall on samples.
  const int teeth = 18, samplesPerTooth = 20;
  const float tip = layout::grinderOuterRadius, root = 1.32f;
  std::vector<glm::vec2> outline;
  for (int i = 0; i < teeth * samplesPerTooth; ++i) {
    const float phase = static_cast<float>(i % samplesPerTooth) / samplesPerTooth;
    float r = root;
    if (phase >= 0.3f && phase <= 0.7f) {
      r = tip;
    } else if (phase > 0.15f && phase < 0.3f) {
      r = root + (tip - root) * (phase - 0.15f) / 0.15f;
    } else if (phase > 0.7f && phase < 0.85f) {
      r = tip - (tip - root) * (phase - 0.7f) / 0.15f;
    }
    const float angle = twoPi * static_cast<float>(i) / (teeth * samplesPerTooth);
    outline.emplace_back(r * std::cos(angle), r * std::sin(angle));
  }
  mesh.use(materials::copper());
  addRingPrism(mesh, outline, 1.05f, -half, half, 0.8f);

  // Hub round the axle, a little thicker than the ring.
  std::vector<glm::vec2> hub;
  for (int i = 0; i < 48; ++i) {
    const float angle = twoPi * static_cast<float>(i) / 48.0f;
    hub.emplace_back(0.55f * std::cos(angle), 0.55f * std::sin(angle));
  }
  mesh.use(materials::steel());
  addRingPrism(mesh, hub, layout::axleRadius + 0.04f, -half - 0.08f, half + 0.08f, 0.8f);

  // Six spokes from the hub into the ring.
  for (int s = 0; s < 6; ++s) {
    mesh.setTransform(glm::rotate(glm::mat4(1.0f), twoPi * s / 6.0f + 0.26f, glm::vec3(0, 0, 1)));
    addBox(mesh, {0.5f, -0.11f, -half * 0.6f}, {1.1f, 0.11f, half * 0.6f}, 0.8f);
  }
  mesh.setTransform(glm::mat4(1.0f));
  return mesh.write(modelsDir, "Grinder");
}

bool writeStang(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float back = layout::axleBack, front = layout::axleFront, r = layout::axleRadius;

  // The axle with a collar at each end.
  mesh.use(materials::steel());
  mesh.setTransform(alongZ(glm::vec3(0.0f)));
  addLathe(mesh,
           {{0.0f, back - 0.1f}, {0.42f, back - 0.1f}, {0.42f, back + 0.25f}, {r, back + 0.25f},
            {r, front - 0.25f}, {0.42f, front - 0.25f}, {0.42f, front + 0.1f}, {0.0f, front + 0.1f}},
           32, 0.8f);

  // Two bearing housings round the axle, on pylons down to the floor plate.
  const float pylonZ[2] = {1.2f, -8.2f};
  for (float z : pylonZ) {
    mesh.use(materials::steel());
    mesh.setTransform(alongZ(glm::vec3(0.0f, 0.0f, z - 0.22f)));
    addLathe(mesh, {{r, 0.0f}, {0.68f, 0.0f}, {0.68f, 0.44f}, {r, 0.44f}}, 32, 0.8f);
    mesh.setTransform(glm::mat4(1.0f));
    mesh.use(materials::hazard());
    addBox(mesh, {-0.5f, layout::floorY2, z - 0.2f}, {0.5f, -0.45f, z + 0.2f}, 0.5f);
    mesh.use(materials::plate());
    addBox(mesh, {-0.9f, layout::floorY2, z - 0.5f}, {0.9f, layout::floorY2 + 0.3f, z + 0.5f},
           0.5f);
  }

  // The floor plate under the whole column.
  mesh.use(materials::plate());
  addBox(mesh, {-3.6f, layout::floorY2 - 0.3f, back - 0.8f}, {3.6f, layout::floorY2, front + 0.8f},
         0.25f);
  return mesh.write(modelsDir, "Stang");
}

}  // namespace tessaly::content
