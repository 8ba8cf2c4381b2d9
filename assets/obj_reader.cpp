// OBJ reading and flattening.
//
// Which indices a face corner holds is decided by the records the file has
// declared so far, not by the corner's punctuation: a position index once
// there are positions, then a texture-coordinate index once there are
// texture coordinates (unless the corner is written v//vn), then a normal
// index once there are normals. After each index the reader skips to just
// past the next '/' or ' ', so "1/2/3", "1//3", "1/2" and "1" all read as
// long as they match the records of the file.
#include "assets/obj_reader.h"

#include "assets/line_reader.h"
#include "assets/value_reader.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace tessaly::assets {

namespace {

// Asks for the large pages of the system (where it has them) for a large
// array about to be written: a model's stream of tens of megabytes otherwise
// costs one page fault every 4 KiB, a fair share of reading it. Only whole
// 2 MiB pages inside the array are advised; nothing changes but the speed.
template <typename T>
void adviseLargePages(std::vector<T>& data) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t largePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(data.data());
  const std::uintptr_t end = begin + data.capacity() * sizeof(T);
  const std::uintptr_t first = (begin + largePage - 1) & ~(largePage - 1);
  const std::uintptr_t last = end & ~(largePage - 1);
  if (data.data() != nullptr && last > first) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#else
  (void)data;
#endif
}

FaceKind kindOf(std::size_t cornerCount) {
  if (cornerCount <= 3) {
    return FaceKind::triangles;
  }
  return cornerCount == 4 ? FaceKind::quads : FaceKind::fan;
}

// Triangle corners a face of `cornerCount` corners is flattened into.
std::size_t fanVertexCount(std::int32_t cornerCount) {
  return 3 * static_cast<std::size_t>(cornerCount - 2);
}

// A float array written through a cursor: the vector is grown ahead in steps
// and cut to what was written at the end, so appending a vertex is plain
// stores, and a face that turns out bad is taken back by moving the cursor.
class FloatStream {
 public:
  explicit FloatStream(std::vector<float>& data) : data_(data) {}

  // Room for `count` more floats, to be written at once.
  float* append(std::size_t count) {
    if (used_ + count > data_.size()) {
      // Within the reserved room a step at a time; beyond it, doubling.
      const std::size_t ahead =
          std::min(data_.size() + growthStep, std::max(data_.capacity(), 2 * data_.size()));
      const float* before = data_.data();
      data_.resize(std::max(used_ + count, ahead));
      if (data_.data() != before) {
        adviseLargePages(data_);  // moved: the rest is yet to be written
      }
    }
    float* out = data_.data() + used_;
    used_ += count;
    return out;
  }

  const float* at(std::size_t offset) const { return data_.data() + offset; }
  std::size_t size() const { return used_; }
  void truncate(std::size_t size) { used_ = size; }

  // Cuts the vector to what was written.
  void close() { data_.resize(used_); }

 private:
  // Floats zero-filled ahead at a time: small enough to stay in cache until
  // written over.
  static constexpr std::size_t growthStep = std::size_t{1} << 16;

  std::vector<float>& data_;
  std::size_t used_ = 0;
};

// Reading, line by line. Faces are flattened as they are read: group 0's
// faces go to the stream until another group has faces; group 0's faces after
// that ("g default") are kept apart and moved in front of the later groups'
// vertices at the end, so the stream runs group by group. Later groups only
// ever receive faces while they are the newest, so nothing else reorders.
class ObjParser {
 public:
  // `inputSize`, the size of the text in bytes, sizes the vertex stream up
  // front: a model's stream is about as large as its file. Reserved room that
  // is never written is never touched.
  ObjParser(ObjData& model, std::string_view directory, const LibraryReader& readLibrary,
            std::size_t inputSize)
      : model_(model),
        directory_(directory),
        readLibrary_(readLibrary),
        stream_(model.vertexData),
        lateStream_(lateVertices_) {
    model_.groups.emplace_back();
    model_.vertexData.reserve(std::min(inputSize, maxReservedBytes) / sizeof(float));
    adviseLargePages(model_.vertexData);
  }

  void readLines(LineReader& lines) {
    std::string_view line;
    while (lines.next(line)) {
      readLine(line);
    }
  }

  // The flattened result: a point cloud, or the stream in group order with
  // its indices and batches.
  void finish() {
    stream_.close();
    lateStream_.close();
    model_.isPointCloud = model_.texCoords.empty() && model_.normals.empty();
    if (model_.isPointCloud) {
      std::vector<float>().swap(model_.vertexData);
      writePointData();
      return;
    }
    moveLateFacesInFront();
    if (model_.vertexData.capacity() > 2 * model_.vertexData.size()) {
      model_.vertexData.shrink_to_fit();
    }
    const std::size_t vertexCount = model_.vertexData.size() / floatsPerVertex;
    model_.indexData.reserve(vertexCount);
    adviseLargePages(model_.indexData);
    model_.indexData.resize(vertexCount);
    for (std::size_t i = 0; i < vertexCount; ++i) {
      model_.indexData[i] = static_cast<std::uint32_t>(i);
    }
    model_.vertexCount = static_cast<std::int32_t>(vertexCount);
    makeBatches();
  }

 private:
  void readLine(std::string_view line) {
    std::string_view rest;
    const std::string_view keyword = keywordOf(line, rest);
    ValueReader values(rest);
    if (keyword == "v") {
      glm::vec3& p = model_.positions.emplace_back(0.0f);
      values.number(p.x);
      values.number(p.y);
      values.number(p.z);
    } else if (keyword == "vt") {
      glm::vec2& t = model_.texCoords.emplace_back(0.0f);
      values.number(t.x);
      values.number(t.y);
    } else if (keyword == "vn") {
      glm::vec3& n = model_.normals.emplace_back(0.0f);
      values.number(n.x);
      values.number(n.y);
      values.number(n.z);
    } else if (keyword == "f") {
      readFace(values);
    } else if (keyword == "g") {
      selectGroup(values.word());
    } else if (keyword == "usemtl") {
      useMaterial(values.word());
    } else if (keyword == "mtllib") {
      readLibraryLine(values);
    }
    // "#" and every other keyword: nothing.
  }

  // The first word of a line, and in `rest` what follows it. Most lines start
  // right with "v", "vt", "vn" or "f" and a blank, told apart without a scan.
  static std::string_view keywordOf(std::string_view line, std::string_view& rest) {
    const auto blankAt = [&](std::size_t i) { return i >= line.size() || isBlank(line[i]); };
    std::size_t length = 0;
    if (!line.empty() && (line[0] == 'v' || line[0] == 'f') && blankAt(1)) {
      length = 1;
    } else if (line.size() >= 2 && line[0] == 'v' && (line[1] == 't' || line[1] == 'n') &&
               blankAt(2)) {
      length = 2;
    } else {
      ValueReader words(line);
      const std::string_view word = words.word();
      if (word.empty()) {
        return {};
      }
      rest = line.substr(static_cast<std::size_t>(word.data() - line.data()) + word.size());
      return word;
    }
    rest = line.substr(length);
    return line.substr(0, length);
  }

  // Reads one index into a list of `count` records: the integer, then the
  // skip past the next '/' or ' '. False for an unreadable index or one
  // outside 1..count; otherwise `index` is 0-based.
  static bool readIndex(ValueReader& values, std::size_t count, std::size_t& index) {
    std::int32_t number = 0;
    if (!values.integer(number)) {
      return false;
    }
    values.skipPastSlashOrSpace();
    if (number < 1 || static_cast<std::size_t>(number) > count) {
      return false;
    }
    index = static_cast<std::size_t>(number) - 1;
    return true;
  }

  // Reads one corner into the floatsPerVertex floats at `vertex`; attributes
  // the corner does not carry are zeros. False when an index is bad.
  bool readCorner(ValueReader& values, float* vertex) {
    std::size_t index = 0;
    if (!readIndex(values, model_.positions.size(), index)) {
      return false;
    }
    const glm::vec3& p = model_.positions[index];
    vertex[0] = p.x;
    vertex[1] = p.y;
    vertex[2] = p.z;
    // "v//vn": the second slash says there is no texture coordinate.
    const bool hasTexCoord = !values.take('/');
    if (hasTexCoord && !model_.texCoords.empty()) {
      if (!readIndex(values, model_.texCoords.size(), index)) {
        return false;
      }
      vertex[3] = model_.texCoords[index].x;
      vertex[4] = model_.texCoords[index].y;
    } else {
      vertex[3] = vertex[4] = 0.0f;
    }
    if (!model_.normals.empty()) {
      if (!readIndex(values, model_.normals.size(), index)) {
        return false;
      }
      const glm::vec3& n = model_.normals[index];
      vertex[5] = n.x;
      vertex[6] = n.y;
      vertex[7] = n.z;
    } else {
      vertex[5] = vertex[6] = vertex[7] = 0.0f;
    }
    return true;
  }

  // Reads the corners and appends the face's fan, or drops the face.
  void readFace(ValueReader& values) {
    const bool late = currentGroup_ == 0 && laterGroupHasFaces_;
    FloatStream& stream = late ? lateStream_ : stream_;
    const std::size_t start = stream.size();
    std::size_t cornerCount = 0;
    // With no positions yet no corner can hold one.
    bool valid = !model_.positions.empty();
    while (valid && !values.atEnd()) {
      if (cornerCount < 3) {
        valid = readCorner(values, stream.append(floatsPerVertex));
      } else {
        // The next triangle of the fan: first corner, previous corner, this one.
        float* out = stream.append(3 * floatsPerVertex);
        const float* first = stream.at(start);
        const float* previous = out - floatsPerVertex;
        std::copy(first, first + floatsPerVertex, out);
        std::copy(previous, previous + floatsPerVertex, out + floatsPerVertex);
        valid = readCorner(values, out + 2 * floatsPerVertex);
      }
      ++cornerCount;
    }
    if (!valid || cornerCount < 3) {
      stream.truncate(start);
      ++model_.droppedFaces;
      return;
    }
    if (currentGroup_ != 0 && !laterGroupHasFaces_) {
      laterGroupHasFaces_ = true;
      boundary_ = start;
    }
    MeshGroup& group = model_.groups[currentGroup_];
    if (late && firstLateFace_ == notLate) {
      firstLateFace_ = group.faces.size();
    }
    MeshFace& face = group.faces.emplace_back();
    face.kind = kindOf(cornerCount);
    face.cornerCount = static_cast<std::int32_t>(cornerCount);
    face.firstIndex = static_cast<std::int32_t>(start / floatsPerVertex);
    face.material = currentMaterial_;
  }

  // "g default" returns to the first group; any other name (repeated or not)
  // starts a new group.
  void selectGroup(std::string_view name) {
    if (name == "default") {
      currentGroup_ = 0;
      return;
    }
    model_.groups.emplace_back().name = name;
    currentGroup_ = model_.groups.size() - 1;
  }

  // The first material of that name becomes current; an unknown name keeps
  // the current one.
  void useMaterial(std::string_view name) {
    const auto found = firstMaterial_.find(std::string(name));
    if (found != firstMaterial_.end()) {
      currentMaterial_ = found->second;
    }
  }

  // "mtllib a.mtl b.mtl": the last name is the library read.
  void readLibraryLine(ValueReader& values) {
    std::string_view name;
    for (std::string_view word = values.word(); !word.empty(); word = values.word()) {
      name = word;
    }
    if (name.empty() || !readLibrary_ || directory_.size() + name.size() > maxPathLength) {
      return;
    }
    std::string path;
    path.reserve(directory_.size() + name.size());
    path.append(directory_).append(name);
    // A library is read once per model: reading it again would append
    // copies of its materials that "usemtl" never finds (the first of a
    // name wins), at the cost of the whole library each time.
    if (!readLibraries_.insert(path).second) {
      return;
    }
    std::vector<MaterialData> library = readLibrary_(path);
    model_.materials.insert(model_.materials.end(), std::make_move_iterator(library.begin()),
                            std::make_move_iterator(library.end()));
    // Index the new materials by name; earlier ones of a name win.
    for (; indexedMaterials_ < model_.materials.size(); ++indexedMaterials_) {
      firstMaterial_.emplace(model_.materials[indexedMaterials_].name,
                             static_cast<std::int32_t>(indexedMaterials_));
    }
  }

  // Group 0's faces read after a later group's go in front of the later
  // groups' vertices; the faces that move, and those after them, get their
  // new first indices.
  void moveLateFacesInFront() {
    if (lateVertices_.empty()) {
      return;
    }
    auto& stream = model_.vertexData;
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(boundary_), lateVertices_.begin(),
                  lateVertices_.end());
    const auto boundaryIndex = static_cast<std::int32_t>(boundary_ / floatsPerVertex);
    const auto lateCount = static_cast<std::int32_t>(lateVertices_.size() / floatsPerVertex);
    std::vector<MeshFace>& defaultFaces = model_.groups[0].faces;
    for (std::size_t i = firstLateFace_; i < defaultFaces.size(); ++i) {
      defaultFaces[i].firstIndex += boundaryIndex;
    }
    for (std::size_t g = 1; g < model_.groups.size(); ++g) {
      for (MeshFace& face : model_.groups[g].faces) {
        face.firstIndex += lateCount;
      }
    }
    std::vector<float>().swap(lateVertices_);
  }

  // Runs of consecutive faces of one group with one material and kind.
  void makeBatches() {
    for (const MeshGroup& group : model_.groups) {
      DrawBatch* batch = nullptr;
      for (const MeshFace& face : group.faces) {
        if (batch == nullptr || batch->material != face.material || batch->kind != face.kind) {
          batch = &model_.batches.emplace_back();
          batch->kind = face.kind;
          batch->firstIndex = face.firstIndex;
          batch->material = face.material;
        }
        batch->indexCount += static_cast<std::int32_t>(fanVertexCount(face.cornerCount));
      }
    }
  }

  void writePointData() {
    model_.pointData.resize(3 * model_.positions.size());
    float* out = model_.pointData.data();
    for (const glm::vec3& p : model_.positions) {
      *out++ = p.x;
      *out++ = p.y;
      *out++ = p.z;
    }
  }

  static constexpr std::size_t notLate = static_cast<std::size_t>(-1);
  static constexpr std::size_t maxReservedBytes = std::size_t{1} << 29;

  ObjData& model_;
  std::string_view directory_;
  const LibraryReader& readLibrary_;
  std::size_t currentGroup_ = 0;
  std::int32_t currentMaterial_ = noMaterial;
  std::unordered_map<std::string, std::int32_t> firstMaterial_;
  std::unordered_set<std::string> readLibraries_;  // paths of the libraries read
  std::size_t indexedMaterials_ = 0;
  // Whether a group after the first has faces, and where in the stream (in
  // floats) the first of them began.
  bool laterGroupHasFaces_ = false;
  std::size_t boundary_ = 0;
  // Group 0's faces read after that: their vertices, and the first of them.
  std::vector<float> lateVertices_;
  std::size_t firstLateFace_ = notLate;
  FloatStream stream_;
  FloatStream lateStream_;
};

// The part of a path up to and including its last '/' or '\'.
std::string_view directoryOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

void readModel(LineReader& lines, ObjData& model, std::string_view directory,
               const LibraryReader& readLibrary) {
  ObjParser parser(model, directory, readLibrary, lines.inputSize());
  parser.readLines(lines);
  parser.finish();
}

}  // namespace

const MaterialData& defaultMaterial() {
  static const MaterialData defaults;
  return defaults;
}

const MaterialData& ObjData::materialOf(const DrawBatch& batch) const {
  if (batch.material < 0 || static_cast<std::size_t>(batch.material) >= materials.size()) {
    return defaultMaterial();
  }
  return materials[static_cast<std::size_t>(batch.material)];
}

ObjData readObjFile(const std::string& path) {
  ObjData model;
  model.path = path;
  LineReader lines = LineReader::ofFile(path, objLineBufferSize);
  model.opened = lines.isOpen();
  if (model.opened) {
    static const LibraryReader readLibrary = [](const std::string& libraryPath) {
      return readMtlFile(libraryPath).materials;
    };
    readModel(lines, model, directoryOf(path), readLibrary);
  }
  return model;
}

ObjData readObjText(std::string_view text, std::string_view directory,
                    const LibraryReader& readLibrary) {
  ObjData model;
  model.opened = true;
  LineReader lines = LineReader::ofText(text, objLineBufferSize);
  readModel(lines, model, directory, readLibrary);
  return model;
}

}  // namespace tessaly::assets
