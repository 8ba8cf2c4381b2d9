// Scene 3's models: the ball room (floor, columns, a ring overhead and the
// crusher's guide rails), the ball holders (a bowl under the crusher and a
// ring of cups on pedestals), the balls, and the crusher itself, which the
// player bobs 4.7 up and down and turns about y.
#include "tools/content/models.h"

#include "tools/content/layout.h"
#include "tools/content/materials.h"
#include "tools/content/mesh.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace tessaly::content {

namespace {

constexpr float twoPi = 6.28318530717959f;

glm::mat4 at(glm::vec3 offset) { return glm::translate(glm::mat4(1.0f), offset); }

// A flat disc facing up with planar texture coordinates.
void addFloorDisc(MeshBuilder& mesh, float radius, float y, int segments, float uvScale) {
  const glm::vec3 up(0, 1, 0);
  const unsigned centre = mesh.vertex({0, y, 0}, {0, 0}, up);
  std::vector<unsigned> rim;
  for (int s = 0; s <= segments; ++s) {
    const float angle = twoPi * static_cast<float>(s) / segments;
    const glm::vec3 p(radius * std::cos(angle), y, -radius * std::sin(angle));
    rim.push_back(mesh.vertex(p, {p.x * uvScale, p.z * uvScale}, up));
  }
  for (int s = 0; s < segments; ++s) {
    mesh.triangle(centre, rim[s], rim[s + 1]);
  }
}

// A cup on a slim pedestal standing on the floor; the cup's rim is at
// `rimY`.
void addCupOnPedestal(MeshBuilder& mesh, float rimY) {
  const float floor = layout::floorY3;
  addLathe(mesh,
           {{0.0f, floor}, {0.55f, floor}, {0.55f, floor + 0.2f}, {0.22f, floor + 0.45f},
            {0.18f, rimY - 0.7f}, {0.3f, rimY - 0.55f}, {0.72f, rimY}, {0.6f, rimY},
            {0.25f, rimY - 0.4f}, {0.0f, rimY - 0.42f}},
           24, 1.0f);
}

}  // namespace

bool writeBallRoom(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float floor = layout::floorY3, radius = layout::roomRadius, top = layout::roomTopY;

  mesh.use(materials::marble());
  addFloorDisc(mesh, radius + 1.0f, floor, 72, 1.0f / 8.0f);
  addLathe(mesh, {{radius + 1.0f, floor - 0.8f}, {radius + 1.0f, floor}}, 72, 0.25f);

  // Eight columns with a square plinth and a flared capital.
  for (int c = 0; c < 8; ++c) {
    const float angle = twoPi * (static_cast<float>(c) + 0.5f) / 8.0f;
    const glm::vec3 base(radius * std::cos(angle), 0.0f, -radius * std::sin(angle));
    mesh.setTransform(at(base));
    mesh.use(materials::marble());
    addLathe(mesh,
             {{0.0f, floor}, {0.8f, floor}, {0.8f, floor + 0.4f}, {0.5f, floor + 0.7f},
              {0.42f, top - 0.8f}, {0.75f, top - 0.2f}, {0.75f, top}, {0.0f, top}},
             24, 0.5f);
  }

  // The ring overhead, resting on the columns.
  mesh.setTransform(glm::mat4(1.0f));
  mesh.use(materials::steel());
  addLathe(mesh,
           {{radius - 0.9f, top}, {radius + 0.9f, top}, {radius + 0.9f, top + 0.7f},
            {radius - 0.9f, top + 0.7f}, {radius - 0.9f, top}},
           72, 0.5f);

  // Four guide rails round the crusher's path, braced to the ring along the
  // axes (the camera comes in over the ring between two braces).
  for (int r = 0; r < 4; ++r) {
    const float angle = twoPi * static_cast<float>(r) / 4.0f;
    const glm::vec3 direction(std::cos(angle), 0.0f, -std::sin(angle));
    mesh.setTransform(at(direction * 2.3f));
    mesh.use(materials::steel());
    addLathe(mesh, {{0.0f, layout::bowlTopY}, {0.12f, layout::bowlTopY}, {0.12f, top + 0.6f},
                    {0.0f, top + 0.6f}},
             12, 1.0f);
    mesh.setTransform(glm::rotate(glm::mat4(1.0f), -angle, glm::vec3(0, 1, 0)) *
                      at(glm::vec3(0.0f, 0.0f, 0.0f)));
    mesh.use(materials::hazard());
    addBox(mesh, {2.2f, top + 0.1f, -0.15f}, {radius - 0.8f, top + 0.45f, 0.15f}, 0.6f);
  }
  mesh.setTransform(glm::mat4(1.0f));
  return mesh.write(modelsDir, "ballerom");
}

bool writeBallHolder(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float floor = layout::floorY3, rim = layout::bowlTopY;

  // The bowl under the crusher: a foot, a flared outside, a rolled rim and a
  // shallow inside.
  mesh.use(materials::copper());
  addLathe(mesh,
           {{0.0f, floor}, {2.2f, floor}, {2.3f, floor + 0.25f}, {2.0f, floor + 0.45f},
            {3.2f, rim - 0.2f}, {3.45f, rim}, {3.2f, rim + 0.1f}, {2.9f, rim},
            {2.4f, rim - 0.9f}, {0.0f, rim - 0.9f}},
           48, 0.6f);

  // Eight cups on pedestals in a ring round it.
  for (int c = 0; c < 8; ++c) {
    const float angle = twoPi * static_cast<float>(c) / 8.0f;
    mesh.setTransform(at(glm::vec3(layout::holderRingRadius * std::cos(angle), 0.0f,
                                   -layout::holderRingRadius * std::sin(angle))));
    mesh.use(materials::steel());
    addCupOnPedestal(mesh, -4.6f);
  }
  mesh.setTransform(glm::mat4(1.0f));
  return mesh.write(modelsDir, "balleholder");
}

bool writeBalls(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const Material colours[4] = {
      materials::ball("BallRed", glm::vec3(0.9f, 0.12f, 0.1f)),
      materials::ball("BallBlue", glm::vec3(0.12f, 0.3f, 0.95f)),
      materials::ball("BallYellow", glm::vec3(0.98f, 0.8f, 0.12f)),
      materials::ball("BallWhite", glm::vec3(0.92f, 0.92f, 0.9f)),
  };
  // The pile on the bowl's flat bottom (0.9 under its rim): one in the
  // middle, which the crusher's foot just touches at its lowest, and six
  // smaller ones round it, out of the foot's reach.
  const float bottom = layout::bowlTopY - 0.9f;
  mesh.use(colours[3]);
  addSphere(mesh, {0.0f, bottom + 0.6f, 0.0f}, 0.6f, 24, 16, {3.0f, 2.0f});
  for (int b = 0; b < 6; ++b) {
    const float angle = twoPi * static_cast<float>(b) / 6.0f;
    mesh.use(colours[b % 3]);
    addSphere(mesh, {1.8f * std::cos(angle), bottom + 0.5f, -1.8f * std::sin(angle)}, 0.5f, 24, 16,
              {3.0f, 2.0f});
  }
  // One ball in each cup.
  for (int c = 0; c < 8; ++c) {
    const float angle = twoPi * static_cast<float>(c) / 8.0f;
    mesh.use(colours[(c + 1) % 4]);
    addSphere(mesh,
              {layout::holderRingRadius * std::cos(angle), -4.45f,
               -layout::holderRingRadius * std::sin(angle)},
              0.55f, 24, 16, {3.0f, 2.0f});
  }
  return mesh.write(modelsDir, "baller");
}

bool writeBallCrusher(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float h = layout::crusherHalfHeight;

  // The stamp: a broad tread-plate foot, a waist, a shoulder and a rod.
  mesh.use(materials::plate());
  addLathe(mesh,
           {{0.0f, -h}, {1.5f, -h}, {1.55f, -h + 0.35f}, {1.1f, -h + 0.6f}, {0.7f, -h + 0.65f},
            {0.7f, 0.55f}, {1.2f, 0.6f}, {1.2f, 0.85f}, {0.4f, h}, {0.0f, h}},
           40, 0.8f);
  mesh.use(materials::hazard());
  addLathe(mesh, {{0.72f, -0.25f}, {0.72f, 0.25f}}, 40, 0.8f);
  mesh.use(materials::steel());
  addLathe(mesh, {{0.22f, h}, {0.22f, h + 5.0f}, {0.0f, h + 5.0f}}, 16, 1.0f);

  // Four fins and eight teeth under the foot show the turn.
  for (int f = 0; f < 4; ++f) {
    mesh.setTransform(glm::rotate(glm::mat4(1.0f), twoPi * f / 4.0f, glm::vec3(0, 1, 0)));
    mesh.use(materials::hazard());
    addBox(mesh, {0.65f, -h + 0.6f, -0.09f}, {1.45f, 0.55f, 0.09f}, 0.8f);
  }
  for (int t = 0; t < 8; ++t) {
    mesh.setTransform(glm::rotate(glm::mat4(1.0f), twoPi * t / 8.0f, glm::vec3(0, 1, 0)));
    mesh.use(materials::steel());
    addBox(mesh, {0.6f, -h - 0.12f, -0.14f}, {1.2f, -h, 0.14f}, 0.8f);
  }
  mesh.setTransform(glm::mat4(1.0f));
  return mesh.write(modelsDir, "balleknuser");
}

}  // namespace tessaly::content
