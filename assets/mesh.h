// A model on the GPU: one OBJ file read into plain data (obj_reader), its
// materials painted (material), its vertex stream and index list uploaded
// into buffer objects, and the draws that put it on screen with the program
// the caller made current. Everything here runs on the thread that owns the
// GL context.
//
// Drawing binds, per batch, seven material textures (all GL_TEXTURE_2D):
//   unit 1 ambientMap   or the ambient swatch
//   unit 2 bumpMap      or the mesh's transparent black defaultBumpTarget
//   unit 3 diffuseMap   or the diffuse swatch
//   unit 4 emissiveMap  or the emissive swatch
//   unit 5 shininessMap or the specular swatch
//   unit 6 specularMap  or texture 0
//   unit 7 opacityMap   or texture 0
// Map names are looked up in the texture registry on every draw, so a name
// re-pointed with TextureRegistry::setTexture shows at once; a name the
// registry lacks binds texture 0. Unit 0 is left to the caller.
#pragma once

#include "assets/material.h"
#include "assets/obj_reader.h"
#include "render/gl_object.h"
#include "render/render_target.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly::assets {

class TextureRegistry;

// Vertex attribute locations every model shader declares.
inline constexpr GLuint positionAttribute = 0;  // 3 floats
inline constexpr GLuint texCoordAttribute = 1;  // 2 floats
inline constexpr GLuint normalAttribute = 2;    // 3 floats

// Point sizes of the two point draws, in pixels.
inline constexpr float pointCloudPointSize = 10.0f;
inline constexpr float particlePointSize = 7.0f;

class Mesh {
 public:
  // Loads `path` unless it is empty (the result is not reported: an
  // unreadable file leaves the mesh not loaded), then creates
  // defaultBumpTarget, a 1x1 target cleared to (0, 0, 0, 0).
  explicit Mesh(const std::string& path = {});
  // Owns its buffers, swatches and targets: moving hands them over,
  // destruction deletes them (when a context is current).
  Mesh(Mesh&&) noexcept = default;
  Mesh& operator=(Mesh&&) noexcept = default;

  // Reads the OBJ file and its material libraries, paints the materials and
  // uploads the buffers, replacing (and deleting) what the mesh held. False,
  // with nothing changed but path(), when the file cannot be opened (nothing
  // reported). False after "Error generating VBO!" or "Error generating
  // VBO-index!" when a buffer did not take its data; the mesh is then not
  // loaded, so drawing skips it.
  bool load(const std::string& path);

  // Empties the mesh: records, groups, batches and materials go (with the
  // swatches' and buffers' GL objects), and it is no longer loaded.
  // defaultBumpTarget and the texture registry stay.
  void clear();

  // The registry the material map names are looked up in (not owned; it
  // must outlive the mesh's draws). Without one every map binds texture 0.
  void setTextureRegistry(const TextureRegistry& registry) { textureRegistry_ = &registry; }

  // A model: its batches as indexed triangles with attributes 0, 1, 2 at
  // stride 32 (offsets 0, 12, 20) and the seven material units per batch.
  // Afterwards unit 0 is active, attributes 0 to 2 are disabled, no array
  // or element-array buffer is bound; units 1 to 7 keep their textures.
  // A point cloud: its positions streamed into the buffer again, drawn as
  // 10-pixel points blended (source alpha, one) from attribute 0, which
  // stays enabled; blending is off afterwards, depth state untouched.
  // A mesh that is not loaded draws nothing and changes no state.
  void draw() const;

  // The positions as 7-pixel additive (one, one) points that write no
  // depth, from the buffer as uploaded. Afterwards blending is off and
  // depth writes are on, whatever they were before. A mesh with no buffer
  // draws no points but leaves the same state.
  void drawParticles() const;

  bool isLoaded() const { return isLoaded_; }
  bool isPointCloud() const { return data_.isPointCloud; }
  GLuint vertexBuffer() const { return vertexBuffer_.name(); }
  GLuint indexBuffer() const { return indexBuffer_.name(); }
  const std::string& path() const { return path_; }
  const ObjData& data() const { return data_; }
  // One per material the libraries defined, in their order.
  const std::vector<Material>& materials() const { return materials_; }
  // The material a batch is drawn with: its own, or the default material
  // (the defaults of an MTL "newmtl" with no lines) for faces that came
  // before any known "usemtl".
  const Material& materialOf(const DrawBatch& batch) const;
  const render::RenderTarget& defaultBumpTarget() const { return *defaultBumpTarget_; }
  const TextureRegistry* textureRegistry() const { return textureRegistry_; }

 private:
  bool upload();
  // Generates a buffer, fills it through the array-buffer target and checks
  // its size; deletes it and shows `message` on a mismatch. Owns nothing on
  // failure.
  static render::BufferObject uploadBuffer(const void* bytes, std::size_t size,
                                           const char* message);
  void deleteBuffers();
  void bindMaterial(const Material& material) const;
  void bindUnit(GLenum unit, const std::string& mapName, GLuint fallback) const;
  void drawModel() const;
  void drawPointCloud() const;

  const TextureRegistry* textureRegistry_ = nullptr;
  std::optional<render::RenderTarget> defaultBumpTarget_;
  ObjData data_;
  std::vector<Material> materials_;
  // Made only when a batch has no material of its own.
  std::optional<Material> defaultMaterial_;
  bool isLoaded_ = false;
  render::BufferObject vertexBuffer_;
  render::BufferObject indexBuffer_;
  // Floats the vertex buffer holds: what drawParticles may read.
  std::size_t bufferFloats_ = 0;
  std::string path_;
};

}  // namespace tessaly::assets
