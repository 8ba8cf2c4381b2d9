// Scene 1's models: the sky sphere (also the sky of every other scene) and
// the particle galaxy.
#include "tools/content/models.h"

#include "tools/content/layout.h"
#include "tools/content/mesh.h"
#include "tools/content/output.h"
#include "tools/content/random.h"

#include <cmath>
#include <sstream>

namespace tessaly::content {

// A sphere of radius layout::skyRadius seen from inside: normals point to
// the centre, texture coordinates are the sky pictures' (u, v), and its one
// material names "SkySphere.png", the name the scenes re-point to other skies.
bool writeSkySphere(const std::filesystem::path& modelsDir) {
  MeshBuilder mesh;
  mesh.use(Material{"Sky", glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f), 2.0f,
                    "SkySphere.png", "", false});
  addSphere(mesh, glm::vec3(0.0f), layout::skyRadius, 72, 36, glm::vec2(1.0f), true);
  return mesh.write(modelsDir, "SkySphere");
}

// A three-armed spiral galaxy in the x-z plane: a dense bulge, arms that
// wind outwards, and a sparse halo. Positions only.
bool writeParticles(const std::filesystem::path& modelsDir) {
  Random random(7001);
  std::ostringstream obj;
  obj << "# Tessaly stand-in production, made by tessaly-content. CC0.\n"
      << "# A point cloud: positions only.\n";
  const float radius = layout::galaxyRadius;
  for (int i = 0; i < layout::particleCount; ++i) {
    const double pick = random.uniform();
    glm::vec3 p;
    if (pick < 0.12) {
      // Bulge.
      p = glm::vec3(random.gaussian(), random.gaussian() * 0.6, random.gaussian()) * 1.6f;
    } else if (pick < 0.95) {
      // Arms: radius weighted outwards, angle along a logarithmic spiral.
      const float r = static_cast<float>(1.0 + (radius - 1.0) * std::pow(random.uniform(), 0.8));
      const int arm = random.below(3);
      const float spread = static_cast<float>(random.gaussian()) * (0.18f + 0.02f * r);
      const float angle = static_cast<float>(arm) * 2.0943951f + std::log(r) * 2.2f + spread;
      const float thickness = 0.45f * (1.0f - r / (radius * 1.2f)) + 0.12f;
      p = glm::vec3(r * std::cos(angle), static_cast<float>(random.gaussian()) * thickness,
                    r * std::sin(angle));
    } else {
      // Halo: a loose shell of strays.
      const float r = static_cast<float>(random.range(4.0, radius * 1.35));
      const float z = static_cast<float>(random.range(-1.0, 1.0));
      const float a = static_cast<float>(random.range(0.0, 6.283185307179586));
      const float s = std::sqrt(1.0f - z * z);
      p = glm::vec3(r * s * std::cos(a), r * z * 0.5f, r * s * std::sin(a));
    }
    obj << "v " << formatNumber(p.x, 3) << " " << formatNumber(p.y, 3) << " "
        << formatNumber(p.z, 3) << "\n";
  }
  return writeFile(modelsDir / "Particles.obj", obj.str());
}

}  // namespace tessaly::content
