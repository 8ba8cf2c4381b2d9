// Scene 4's model, "boxfanden": a box carved into a level-two Menger sponge
// (400 small cubes in red lacquer with engraved panels, the eight corner
// blocks gilded) standing on a dark plinth.
#include "tools/content/models.h"

#include "tools/content/layout.h"
#include "tools/content/materials.h"
#include "tools/content/mesh.h"

#include <cstdlib>

namespace tessaly::content {

namespace {

// A cell of a 3 x 3 x 3 split stays when at most one of its coordinates is
// the middle one.
bool kept(int x, int y, int z) { return (x == 1) + (y == 1) + (z == 1) < 2; }

}  // namespace

bool writeBox(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  const float half = layout::boxHalfSize;
  const float small = 2.0f * half / 9.0f;
  // Lacquer first so the bulk of the box draws in the first batch.
  mesh.use(materials::lacquer());
  mesh.use(materials::gilded());
  for (int bx = 0; bx < 3; ++bx) {
    for (int by = 0; by < 3; ++by) {
      for (int bz = 0; bz < 3; ++bz) {
        if (!kept(bx, by, bz)) {
          continue;
        }
        const bool corner = bx != 1 && by != 1 && bz != 1;
        mesh.use(corner ? materials::gilded() : materials::lacquer());
        for (int cx = 0; cx < 3; ++cx) {
          for (int cy = 0; cy < 3; ++cy) {
            for (int cz = 0; cz < 3; ++cz) {
              if (!kept(cx, cy, cz)) {
                continue;
              }
              const glm::vec3 low(-half + small * static_cast<float>(bx * 3 + cx),
                                  -half + small * static_cast<float>(by * 3 + cy),
                                  -half + small * static_cast<float>(bz * 3 + cz));
              // One whole engraved panel per small face.
              addBox(mesh, low, low + glm::vec3(small), 1.0f / small);
            }
          }
        }
      }
    }
  }
  mesh.use(materials::obsidian());
  const float top = layout::plinthTopY;
  addLathe(mesh,
           {{0.0f, top - 5.0f}, {3.6f, top - 5.0f}, {3.6f, top - 4.4f}, {2.7f, top - 4.0f},
            {2.3f, top - 0.6f}, {3.1f, top - 0.3f}, {3.1f, top}, {0.0f, top}},
           48, 0.5f);
  return mesh.write(modelsDir, "boxfanden");
}

}  // namespace tessaly::content
