// Building triangle meshes for the models and writing them as Wavefront OBJ
// with an MTL library, in the subset the player's reader takes: every corner
// is v/vt/vn (the file declares all three record kinds), faces are
// triangles, every face comes after a "usemtl", lines stay short.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace tessaly::content {

struct Material {
  std::string name;
  glm::vec3 ambient{0.0f};
  glm::vec3 diffuse{1.0f};
  glm::vec3 specular{0.0f};
  float shininess = 2.0f;
  std::string diffuseMap;  // bare file name under Data/Textures/, or empty
  std::string bumpMap;     // grey height map, or empty
  bool bumpKeywordShort = false;  // "bump" instead of "map_Bump"
};

struct MeshVertex {
  glm::vec3 position;
  glm::vec2 uv;
  glm::vec3 normal;
};

class MeshBuilder {
 public:
  // Makes `material` the material of the triangles that follow (it is added
  // to the library the first time).
  void use(const Material& material);

  // Every vertex added is first transformed by this matrix (normals by its
  // rotation part, renormalised). Identity at start.
  void setTransform(const glm::mat4& transform) { transform_ = transform; }

  unsigned vertex(glm::vec3 position, glm::vec2 uv, glm::vec3 normal);
  void triangle(unsigned a, unsigned b, unsigned c);
  // Two triangles a-b-c and a-c-d.
  void quad(unsigned a, unsigned b, unsigned c, unsigned d);

  const std::vector<MeshVertex>& vertices() const { return vertices_; }
  const std::vector<Material>& materials() const { return materials_; }

  // Axis-aligned bounds of all vertices.
  glm::vec3 minimum() const;
  glm::vec3 maximum() const;

  // Writes <dir>/<name>.obj and <dir>/<name>.mtl; false on a write failure.
  bool write(const std::filesystem::path& dir, const std::string& name) const;

 private:
  struct Triangle {
    unsigned corners[3];
    int material;
  };
  std::vector<MeshVertex> vertices_;
  std::vector<Triangle> triangles_;
  std::vector<Material> materials_;
  int current_ = -1;
  glm::mat4 transform_{1.0f};
};

// Shapes. Texture coordinates follow the surface in world units times
// `uvScale`, so maps keep one density across parts.

// A box with flat faces.
void addBox(MeshBuilder& mesh, glm::vec3 low, glm::vec3 high, float uvScale);

// A surface of revolution about the y axis from a profile of (radius, y)
// points, `segments` steps round. Normals are smooth round the axis and
// along the profile, except at corners sharper than about 35 degrees.
// Profiles listed from bottom to top with the surface to the right of the
// walking direction face outward.
void addLathe(MeshBuilder& mesh, const std::vector<glm::vec2>& profile, int segments,
              float uvScale);

// The unit direction of the sphere point with texture coordinates (u, v): u
// runs once round the y axis, v from the bottom pole (0) to the top (1).
// The sky pictures are painted through the same mapping.
glm::vec3 sphereDirection(float u, float v);

// A sphere with smooth normals (pointing in when `inward`, for a sphere
// seen from inside); texture coordinates are (u, v) times `repeat`.
void addSphere(MeshBuilder& mesh, glm::vec3 centre, float radius, int slices, int stacks,
               glm::vec2 repeat, bool inward = false);

// A flat prism along z from z0 to z1 between an outer outline and an inner
// circle, both sampled at the same angles: outer[i] is the outline point at
// angle 2*pi*i/n. Used for toothed wheels and rings.
void addRingPrism(MeshBuilder& mesh, const std::vector<glm::vec2>& outer, float innerRadius,
                  float z0, float z1, float uvScale);

}  // namespace tessaly::content
