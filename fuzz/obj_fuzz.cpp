// Arbitrary bytes as an OBJ model. Each "mtllib" line is served the same
// bytes as its library (at most four times, so a file of "mtllib" lines
// cannot multiply the materials without bound), so "usemtl" finds names the
// input defines with "newmtl". Besides finding crashes and undefined
// behaviour, it checks what drawing relies on: a stream of whole 8-float
// vertices, indices 0..n-1, batches that tile the indices with whole
// triangles and name a material that exists.
#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tessaly::assets;

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void checkModel(const ObjData& model) {
  if (model.isPointCloud) {
    require(model.pointData.size() == 3 * model.positions.size());
    require(model.vertexData.empty() && model.indexData.empty() && model.batches.empty());
    return;
  }
  const auto vertexCount = static_cast<std::size_t>(model.vertexCount);
  require(model.vertexData.size() == floatsPerVertex * vertexCount);
  require(model.indexData.size() == vertexCount);
  for (std::size_t i = 0; i < vertexCount; ++i) {
    require(model.indexData[i] == i);
  }
  std::int32_t next = 0;
  for (const DrawBatch& batch : model.batches) {
    require(batch.firstIndex == next);
    require(batch.indexCount > 0 && batch.indexCount % 3 == 0);
    require(batch.kind == FaceKind::triangles || batch.kind == FaceKind::quads ||
            batch.kind == FaceKind::fan);
    require(batch.material >= noMaterial &&
            batch.material < static_cast<std::int32_t>(model.materials.size()));
    next += batch.indexCount;
  }
  require(next == model.vertexCount);
  for (const MeshGroup& group : model.groups) {
    for (const MeshFace& face : group.faces) {
      require(face.cornerCount >= 3);
      require(face.firstIndex >= 0 &&
              face.firstIndex + 3 * (face.cornerCount - 2) <= model.vertexCount);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int librariesServed = 0;
  const LibraryReader serveInput = [&](const std::string&) {
    return ++librariesServed <= 4 ? readMtlText(text).materials : std::vector<MaterialData>{};
  };
  checkModel(readObjText(text, "Data/Models/", serveInput));
  return 0;
}
