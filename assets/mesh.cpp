// Meshes: reading through the OBJ reader, painting the materials, and the
// upload of the vertex stream and index list with its size check.
#include "assets/mesh.h"

#include "platform/error_box.h"

#include <algorithm>

namespace tessaly::assets {

namespace {

constexpr const char* vertexBufferMessage = "Error generating VBO!";
constexpr const char* indexBufferMessage = "Error generating VBO-index!";

bool needsDefaultMaterial(const ObjData& data) {
  return std::any_of(data.batches.begin(), data.batches.end(), [&](const DrawBatch& batch) {
    return batch.material < 0 || static_cast<std::size_t>(batch.material) >= data.materials.size();
  });
}

}  // namespace

Mesh::Mesh(const std::string& path) {
  if (!path.empty()) {
    load(path);
  }
  defaultBumpTarget_.emplace(render::RenderTarget::solidColor(glm::vec4(0.0f)));
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

bool Mesh::load(const std::string& path) {
  path_ = path;
  ObjData read = readObjFile(path_);
  if (!read.opened) {
    return false;
  }
  clear();
  data_ = std::move(read);
  materials_.reserve(data_.materials.size());
  // Materials of equal colours share their swatches.
  SwatchPalette palette;
  for (const MaterialData& values : data_.materials) {
    materials_.emplace_back(values, palette);
  }
  if (needsDefaultMaterial(data_)) {
    defaultMaterial_.emplace(assets::defaultMaterial());
  }
  isLoaded_ = upload();
  return isLoaded_;
}

void Mesh::clear() {
  deleteBuffers();
  materials_.clear();
  defaultMaterial_.reset();
  const std::string path = std::move(data_.path);
  data_ = ObjData{};
  data_.path = path;
  isLoaded_ = false;
}

const Material& Mesh::materialOf(const DrawBatch& batch) const {
  if (batch.material >= 0 && static_cast<std::size_t>(batch.material) < materials_.size()) {
    return materials_[static_cast<std::size_t>(batch.material)];
  }
  return *defaultMaterial_;
}

render::BufferObject Mesh::uploadBuffer(const void* bytes, std::size_t size,
                                        const char* message) {
  render::BufferObject buffer = render::generateBuffer();
  glBindBuffer(GL_ARRAY_BUFFER, buffer.name());
  const auto requested = static_cast<GLsizeiptr>(size);
  glBufferData(GL_ARRAY_BUFFER, requested, bytes, GL_STATIC_DRAW);
  // 64-bit, so a buffer past 2 GiB is not mistaken for a short one.
  GLint64 stored = -1;
  glGetBufferParameteri64v(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &stored);
  if (stored != requested) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    buffer.reset();
    platform::showErrorBox(message);
  }
  return buffer;
}

bool Mesh::upload() {
  if (data_.isPointCloud) {
    const std::vector<float>& points = data_.pointData;
    vertexBuffer_ = uploadBuffer(points.data(), points.size() * sizeof(float), vertexBufferMessage);
    if (vertexBuffer() == 0) {
      return false;
    }
    bufferFloats_ = points.size();
  } else {
    const std::vector<float>& vertices = data_.vertexData;
    vertexBuffer_ =
        uploadBuffer(vertices.data(), vertices.size() * sizeof(float), vertexBufferMessage);
    if (vertexBuffer() == 0) {
      return false;
    }
    const std::vector<std::uint32_t>& indices = data_.indexData;
    indexBuffer_ = uploadBuffer(indices.data(), indices.size() * sizeof(std::uint32_t),
                                indexBufferMessage);
    if (indexBuffer() == 0) {
      // A model without its index list cannot be drawn: nothing stays.
      deleteBuffers();
      return false;
    }
    bufferFloats_ = vertices.size();
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return true;
}

void Mesh::deleteBuffers() {
  vertexBuffer_.reset();
  indexBuffer_.reset();
  bufferFloats_ = 0;
}

}  // namespace tessaly::assets
