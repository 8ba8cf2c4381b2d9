#include "tools/content/mesh.h"

#include "tools/content/output.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

namespace tessaly::content {

void MeshBuilder::use(const Material& material) {
  for (std::size_t i = 0; i < materials_.size(); ++i) {
    if (materials_[i].name == material.name) {
      current_ = static_cast<int>(i);
      return;
    }
  }
  materials_.push_back(material);
  current_ = static_cast<int>(materials_.size()) - 1;
}

unsigned MeshBuilder::vertex(glm::vec3 position, glm::vec2 uv, glm::vec3 normal) {
  const glm::vec4 p = transform_ * glm::vec4(position, 1.0f);
  const glm::vec3 n = glm::normalize(glm::mat3(transform_) * normal);
  vertices_.push_back(MeshVertex{glm::vec3(p), uv, n});
  return static_cast<unsigned>(vertices_.size() - 1);
}

void MeshBuilder::triangle(unsigned a, unsigned b, unsigned c) {
  triangles_.push_back(Triangle{{a, b, c}, current_});
}

void MeshBuilder::quad(unsigned a, unsigned b, unsigned c, unsigned d) {
  triangle(a, b, c);
  triangle(a, c, d);
}

glm::vec3 MeshBuilder::minimum() const {
  glm::vec3 low(1e30f);
  for (const MeshVertex& v : vertices_) {
    low = glm::min(low, v.position);
  }
  return low;
}

glm::vec3 MeshBuilder::maximum() const {
  glm::vec3 high(-1e30f);
  for (const MeshVertex& v : vertices_) {
    high = glm::max(high, v.position);
  }
  return high;
}

namespace {

std::string triple(const char* keyword, glm::vec3 v, int decimals) {
  return std::string(keyword) + " " + formatNumber(v.x, decimals) + " " +
         formatNumber(v.y, decimals) + " " + formatNumber(v.z, decimals) + "\n";
}

}  // namespace

bool MeshBuilder::write(const std::filesystem::path& dir, const std::string& name) const {
  const char* header = "# Tessaly stand-in production, made by tessaly-content. CC0.\n";
  std::ostringstream mtl;
  mtl << header;
  for (const Material& m : materials_) {
    mtl << "\nnewmtl " << m.name << "\n";
    mtl << triple("Ka", m.ambient, 4) << triple("Kd", m.diffuse, 4) << triple("Ks", m.specular, 4);
    mtl << "Ns " << formatNumber(m.shininess, 2) << "\n";
    mtl << "d 1\nillum 2\n";
    if (!m.diffuseMap.empty()) {
      mtl << "map_Kd " << m.diffuseMap << "\n";
    }
    if (!m.bumpMap.empty()) {
      mtl << (m.bumpKeywordShort ? "bump " : "map_Bump ") << m.bumpMap << "\n";
    }
  }

  std::ostringstream obj;
  obj << header << "mtllib " << name << ".mtl\n";
  for (const MeshVertex& v : vertices_) {
    obj << triple("v", v.position, 4);
  }
  for (const MeshVertex& v : vertices_) {
    obj << "vt " << formatNumber(v.uv.x, 4) << " " << formatNumber(v.uv.y, 4) << "\n";
  }
  for (const MeshVertex& v : vertices_) {
    obj << triple("vn", v.normal, 4);
  }
  obj << "g " << name << "\n";
  // Faces grouped by material in library order, so each material draws in
  // one batch.
  for (std::size_t m = 0; m < materials_.size(); ++m) {
    obj << "usemtl " << materials_[m].name << "\n";
    for (const Triangle& t : triangles_) {
      if (t.material != static_cast<int>(m)) {
        continue;
      }
      obj << "f";
      for (unsigned corner : t.corners) {
        const unsigned i = corner + 1;
        obj << " " << i << "/" << i << "/" << i;
      }
      obj << "\n";
    }
  }
  return writeFile(dir / (name + ".mtl"), mtl.str()) && writeFile(dir / (name + ".obj"), obj.str());
}

void addBox(MeshBuilder& mesh, glm::vec3 low, glm::vec3 high, float uvScale) {
  struct Face {
    glm::vec3 normal, origin, edgeU, edgeV;
  };
  const glm::vec3 size = high - low;
  const Face faces[6] = {
      {{1, 0, 0}, {high.x, low.y, high.z}, {0, 0, -size.z}, {0, size.y, 0}},
      {{-1, 0, 0}, {low.x, low.y, low.z}, {0, 0, size.z}, {0, size.y, 0}},
      {{0, 1, 0}, {low.x, high.y, high.z}, {size.x, 0, 0}, {0, 0, -size.z}},
      {{0, -1, 0}, {low.x, low.y, low.z}, {size.x, 0, 0}, {0, 0, size.z}},
      {{0, 0, 1}, {low.x, low.y, high.z}, {size.x, 0, 0}, {0, size.y, 0}},
      {{0, 0, -1}, {high.x, low.y, low.z}, {-size.x, 0, 0}, {0, size.y, 0}},
  };
  for (const Face& f : faces) {
    const float lu = glm::length(f.edgeU) * uvScale, lv = glm::length(f.edgeV) * uvScale;
    const unsigned a = mesh.vertex(f.origin, {0, 0}, f.normal);
    const unsigned b = mesh.vertex(f.origin + f.edgeU, {lu, 0}, f.normal);
    const unsigned c = mesh.vertex(f.origin + f.edgeU + f.edgeV, {lu, lv}, f.normal);
    const unsigned d = mesh.vertex(f.origin + f.edgeV, {0, lv}, f.normal);
    mesh.quad(a, b, c, d);
  }
}

void addLathe(MeshBuilder& mesh, const std::vector<glm::vec2>& profile, int segments,
              float uvScale) {
  const std::size_t n = profile.size();
  if (n < 2) {
    return;
  }
  // Outward normal of each profile edge in the (radius, y) plane.
  std::vector<glm::vec2> edgeNormals;
  std::vector<float> arc(1, 0.0f);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const glm::vec2 d = profile[i + 1] - profile[i];
    const float length = glm::length(d);
    edgeNormals.push_back(length > 0.0f ? glm::vec2(d.y, -d.x) / length : glm::vec2(1, 0));
    arc.push_back(arc.back() + length);
  }
  // Normal at one end of an edge: averaged with the neighbour edge unless
  // the corner is sharp.
  auto endNormal = [&](std::size_t edge, std::size_t point) {
    const std::size_t other = point == edge ? edge - 1 : edge + 1;
    if ((point == edge && edge == 0) || (point != edge && edge + 1 >= edgeNormals.size())) {
      return edgeNormals[edge];
    }
    if (glm::dot(edgeNormals[edge], edgeNormals[other]) < 0.82f) {
      return edgeNormals[edge];
    }
    return glm::normalize(edgeNormals[edge] + edgeNormals[other]);
  };
  const float twoPi = 6.28318530717959f;
  const float meanRadius = [&] {
    float sum = 0.0f;
    for (const glm::vec2& p : profile) sum += p.x;
    return std::max(0.1f, sum / static_cast<float>(n));
  }();
  const float uRepeat = std::max(1.0f, std::round(twoPi * meanRadius * uvScale));
  for (std::size_t e = 0; e + 1 < n; ++e) {
    const glm::vec2 n0 = endNormal(e, e), n1 = endNormal(e, e + 1);
    std::vector<unsigned> lower, upper;
    for (int s = 0; s <= segments; ++s) {
      const float angle = twoPi * static_cast<float>(s) / segments;
      const float c = std::cos(angle), sn = std::sin(angle);
      const float u = uRepeat * static_cast<float>(s) / segments;
      const glm::vec2 p0 = profile[e], p1 = profile[e + 1];
      lower.push_back(mesh.vertex({p0.x * c, p0.y, -p0.x * sn}, {u, arc[e] * uvScale},
                                  {n0.x * c, n0.y, -n0.x * sn}));
      upper.push_back(mesh.vertex({p1.x * c, p1.y, -p1.x * sn}, {u, arc[e + 1] * uvScale},
                                  {n1.x * c, n1.y, -n1.x * sn}));
    }
    for (int s = 0; s < segments; ++s) {
      mesh.quad(lower[s], lower[s + 1], upper[s + 1], upper[s]);
    }
  }
}

glm::vec3 sphereDirection(float u, float v) {
  const float pi = 3.14159265358979f;
  const float longitude = u * 2.0f * pi;
  const float latitude = (v - 0.5f) * pi;
  return glm::vec3(std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                   -std::cos(latitude) * std::sin(longitude));
}

void addSphere(MeshBuilder& mesh, glm::vec3 centre, float radius, int slices, int stacks,
               glm::vec2 repeat, bool inward) {
  std::vector<unsigned> grid;
  for (int j = 0; j <= stacks; ++j) {
    const float v = static_cast<float>(j) / stacks;
    for (int i = 0; i <= slices; ++i) {
      const float u = static_cast<float>(i) / slices;
      const glm::vec3 d = sphereDirection(u, v);
      grid.push_back(
          mesh.vertex(centre + d * radius, {u * repeat.x, v * repeat.y}, inward ? -d : d));
    }
  }
  const int row = slices + 1;
  for (int j = 0; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      const unsigned a = grid[j * row + i], b = grid[j * row + i + 1];
      const unsigned c = grid[(j + 1) * row + i + 1], d = grid[(j + 1) * row + i];
      if (j == 0) {
        mesh.triangle(a, c, d);
      } else if (j == stacks - 1) {
        mesh.triangle(a, b, c);
      } else {
        mesh.quad(a, b, c, d);
      }
    }
  }
}

void addRingPrism(MeshBuilder& mesh, const std::vector<glm::vec2>& outer, float innerRadius,
                  float z0, float z1, float uvScale) {
  const std::size_t n = outer.size();
  const float twoPi = 6.28318530717959f;
  std::vector<glm::vec2> inner;
  for (std::size_t i = 0; i < n; ++i) {
    const float angle = twoPi * static_cast<float>(i) / static_cast<float>(n);
    inner.emplace_back(innerRadius * std::cos(angle), innerRadius * std::sin(angle));
  }
  // Caps: front (z1, facing +z) and back (z0, facing -z).
  for (int side = 0; side < 2; ++side) {
    const float z = side == 0 ? z1 : z0;
    const glm::vec3 normal(0, 0, side == 0 ? 1.0f : -1.0f);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t j = (i + 1) % n;
      const unsigned a = mesh.vertex({inner[i], z}, inner[i] * uvScale, normal);
      const unsigned b = mesh.vertex({outer[i], z}, outer[i] * uvScale, normal);
      const unsigned c = mesh.vertex({outer[j], z}, outer[j] * uvScale, normal);
      const unsigned d = mesh.vertex({inner[j], z}, inner[j] * uvScale, normal);
      mesh.quad(a, b, c, d);
    }
  }
  // Walls: the outline facing out, the hole facing in; flat per edge.
  float along = 0.0f;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    const glm::vec2 edge = outer[j] - outer[i];
    const float length = glm::length(edge);
    const glm::vec3 out = glm::normalize(glm::vec3(edge.y, -edge.x, 0.0f));
    const float u0 = along * uvScale, u1 = (along + length) * uvScale;
    along += length;
    mesh.quad(mesh.vertex({outer[i], z0}, {u0, 0}, out), mesh.vertex({outer[j], z0}, {u1, 0}, out),
              mesh.vertex({outer[j], z1}, {u1, (z1 - z0) * uvScale}, out),
              mesh.vertex({outer[i], z1}, {u0, (z1 - z0) * uvScale}, out));
    const glm::vec3 in(-inner[i].x / innerRadius, -inner[i].y / innerRadius, 0.0f);
    const glm::vec3 inNext(-inner[j].x / innerRadius, -inner[j].y / innerRadius, 0.0f);
    const float w0 = innerRadius * twoPi * static_cast<float>(i) / n * uvScale;
    const float w1 = innerRadius * twoPi * static_cast<float>(i + 1) / n * uvScale;
    mesh.quad(mesh.vertex({inner[i], z0}, {w0, 0}, in), mesh.vertex({inner[i], z1}, {w0, 1}, in),
              mesh.vertex({inner[j], z1}, {w1, 1}, inNext),
              mesh.vertex({inner[j], z0}, {w1, 0}, inNext));
  }
}

}  // namespace tessaly::content
