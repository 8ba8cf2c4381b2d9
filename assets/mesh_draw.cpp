// Drawing a Mesh: the model path with its seven material units per batch,
// the point-cloud path, and the additive particle draw. Nothing here
// allocates: the draws run many times a frame.
#include "assets/mesh.h"

#include "assets/texture_registry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tessaly::assets {

namespace {

constexpr GLsizei vertexStride = static_cast<GLsizei>(floatsPerVertex * sizeof(float));
constexpr std::size_t texCoordOffset = 3 * sizeof(float);
constexpr std::size_t normalOffset = 5 * sizeof(float);

const void* byteOffset(std::size_t offset) {
  return reinterpret_cast<const void*>(offset);
}

GLsizei drawCount(std::size_t count) {
  return static_cast<GLsizei>(std::min<std::size_t>(count, INT_MAX));
}

// Attribute `index` from `buffer`: `size` floats at `offset`, `stride`
// bytes apart (0: tightly packed).
void pointAttribute(GLuint index, GLuint buffer, GLint size, GLsizei stride, std::size_t offset) {
  glEnableVertexAttribArray(index);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride, byteOffset(offset));
}

}  // namespace

void Mesh::draw() const {
  if (!isLoaded_) {
    return;
  }
  if (data_.isPointCloud) {
    drawPointCloud();
  } else {
    drawModel();
  }
}

void Mesh::drawModel() const {
  pointAttribute(positionAttribute, vertexBuffer(), 3, vertexStride, 0);
  pointAttribute(texCoordAttribute, vertexBuffer(), 2, vertexStride, texCoordOffset);
  pointAttribute(normalAttribute, vertexBuffer(), 3, vertexStride, normalOffset);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer());

  for (const DrawBatch& batch : data_.batches) {
    bindMaterial(materialOf(batch));
    // Every face was flattened into triangles when read, whatever its kind.
    glDrawElements(GL_TRIANGLES, batch.indexCount, GL_UNSIGNED_INT,
                   byteOffset(sizeof(std::uint32_t) * static_cast<std::size_t>(batch.firstIndex)));
  }

  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glActiveTexture(GL_TEXTURE0);
  glDisableVertexAttribArray(positionAttribute);
  glDisableVertexAttribArray(texCoordAttribute);
  glDisableVertexAttribArray(normalAttribute);
}

void Mesh::bindMaterial(const Material& material) const {
  const MaterialData& maps = material.values;
  bindUnit(1, maps.ambientMap, material.ambientSwatch().colorTexture());
  bindUnit(2, maps.bumpMap, defaultBumpTarget_->colorTexture());
  bindUnit(3, maps.diffuseMap, material.diffuseSwatch().colorTexture());
  bindUnit(4, maps.emissiveMap, material.emissiveSwatch().colorTexture());
  bindUnit(5, maps.shininessMap, material.specularSwatch().colorTexture());
  bindUnit(6, maps.specularMap, 0);
  bindUnit(7, maps.opacityMap, 0);
}

void Mesh::bindUnit(GLenum unit, const std::string& mapName, GLuint fallback) const {
  glActiveTexture(GL_TEXTURE0 + unit);
  GLuint texture = fallback;
  if (!mapName.empty()) {
    texture = textureRegistry_ != nullptr ? textureRegistry_->find(mapName) : 0;
  }
  glBindTexture(GL_TEXTURE_2D, texture);
}

void Mesh::drawPointCloud() const {
  // The positions go into the buffer again on every draw: fresh storage,
  // then the data written into it.
  const std::vector<float>& points = data_.pointData;
  const auto bytes = static_cast<GLsizeiptr>(points.size() * sizeof(float));
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer());
  glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, points.data());
  pointAttribute(positionAttribute, vertexBuffer(), 3, 0, 0);

  glPointSize(pointCloudPointSize);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDrawArrays(GL_POINTS, 0, drawCount(points.size() / 3));
  glDisable(GL_BLEND);
}

void Mesh::drawParticles() const {
  // As many positions as the file had, but never more points than the
  // buffer holds (a model's buffer holds interleaved vertices, a mesh that
  // failed to upload none).
  const std::size_t points = std::min(data_.positions.size(), bufferFloats_ / 3);
  if (points > 0) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer());
    pointAttribute(positionAttribute, vertexBuffer(), 3, 0, 0);
  }

  glPointSize(particlePointSize);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  if (points > 0) {
    glDrawArrays(GL_POINTS, 0, drawCount(points));
  }
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
}

}  // namespace tessaly::assets
