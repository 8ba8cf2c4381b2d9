// Wavefront OBJ models read into plain data: the file's records, its groups
// of faces with their materials, and the flattened result a GL layer uploads
// as it is (one interleaved vertex stream, a trivial index list and the draw
// batches, or the positions of a point cloud).
//
// The subset read: "#", "mtllib", "usemtl", "v", "vt", "vn", "g" and "f";
// indices are 1-based and absolute into the records read so far; no vertex
// is shared. A file with neither "vt" nor "vn" records is a point cloud.
#pragma once

#include "assets/mtl_reader.h"
#include "assets/path_limit.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// Lines are read into a buffer of this many characters; a line of 4096
// characters or more ends the reading of the file.
inline constexpr std::size_t objLineBufferSize = 4096;

// A face's primitive kind, with the value of the GL enumerant of its corner
// count: the batching key. Every face is flattened into triangles whatever
// its kind.
enum class FaceKind : std::int32_t {
  triangles = 4,  // 3 corners
  quads = 7,      // 4 corners
  fan = 6,        // 5 or more corners
};

// Floats per vertex of a model's stream: position x, y, z at float 0, texture
// coordinate u, v at float 3, normal x, y, z at float 5 (32 bytes; the
// texture coordinate at byte 12, the normal at byte 20). A corner without a
// texture coordinate or a normal has zeros there.
inline constexpr std::size_t floatsPerVertex = 8;

// A material reference that is not an index into the materials: the face
// came before any known "usemtl". Such faces are drawn with defaultMaterial().
inline constexpr std::int32_t noMaterial = -1;

// The defaults of MaterialData: what faces without a material are drawn with.
const MaterialData& defaultMaterial();

// One "f" line that was kept: at least three corners, every index valid.
// Its corners were flattened when read, as a fan (0 1 2, 0 2 3, ...) of
// 3 * (cornerCount - 2) vertices starting at firstIndex.
struct MeshFace {
  FaceKind kind = FaceKind::triangles;
  std::int32_t cornerCount = 0;
  std::int32_t firstIndex = 0;         // into indexData (models only)
  std::int32_t material = noMaterial;  // into the model's materials
};

struct MeshGroup {
  std::string name;  // the first word after "g"; empty for the first group
  std::vector<MeshFace> faces;
};

// A run of consecutive faces of one group with the same material and kind,
// drawn as one indexed triangle list.
struct DrawBatch {
  FaceKind kind = FaceKind::triangles;
  std::int32_t indexCount = 0;
  std::int32_t firstIndex = 0;  // position of the batch's first index in indexData
  std::int32_t material = noMaterial;
};

struct ObjData {
  std::string path;     // the file read; empty for text
  bool opened = false;  // false when the file could not be opened (then only path is set)

  // Records in file order.
  std::vector<glm::vec3> positions;
  std::vector<glm::vec2> texCoords;
  std::vector<glm::vec3> normals;

  // Groups in creation order; the first is the unnamed group reading starts
  // in, to which "g default" returns.
  std::vector<MeshGroup> groups;

  // The materials of every "mtllib" library, in the order they were read;
  // a library named again (the same directory + name) is not read again.
  std::vector<MaterialData> materials;

  // Models (not point clouds): every triangle corner as its own vertex of
  // floatsPerVertex floats, group by group and face by face.
  std::vector<float> vertexData;
  std::vector<std::uint32_t> indexData;  // 0, 1, 2, ... one per vertex
  std::int32_t vertexCount = 0;
  std::vector<DrawBatch> batches;

  // Point clouds: x, y, z of every position in file order. Their faces are
  // kept in the groups as read but not flattened: vertexData, indexData and
  // batches stay empty.
  std::vector<float> pointData;
  bool isPointCloud = false;

  // "f" lines left out: fewer than three corners, or an index that is 0,
  // negative, unreadable or beyond the records read so far.
  std::int32_t droppedFaces = 0;

  // The material a batch is drawn with: its own, or defaultMaterial().
  const MaterialData& materialOf(const DrawBatch& batch) const;
};

// The materials of the library at a path ("mtllib" directory + name), which
// the model appends to its own.
using LibraryReader = std::function<std::vector<MaterialData>(const std::string& path)>;

// Reads the OBJ file at `path`, with its libraries read from the file's
// directory (readMtlFile). A line too long for the buffer ends the reading,
// and what was read before it is kept. Nothing is reported.
ObjData readObjFile(const std::string& path);

// Reads OBJ text held in memory (always opened). Each "mtllib" line calls
// `readLibrary` with `directory` + the library name, once per path (with no
// `readLibrary`, "mtllib" lines add nothing).
ObjData readObjText(std::string_view text, std::string_view directory = {},
                    const LibraryReader& readLibrary = {});

}  // namespace tessaly::assets
