#include "assets/obj_reader.h"
#include "tests/support/memory_limit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace tessaly::assets {
namespace {

const std::string fixtures = TESSALY_SOURCE_DIR "/tests/assets/fixtures/";

ObjData readFixture(const std::string& name) {
  ObjData model = readObjFile(fixtures + name);
  EXPECT_TRUE(model.opened) << name;
  return model;
}

// The floats of vertex i of a model's stream.
std::vector<float> vertexAt(const ObjData& model, std::size_t i) {
  const auto first = model.vertexData.begin() + static_cast<std::ptrdiff_t>(i * floatsPerVertex);
  return std::vector<float>(first, first + floatsPerVertex);
}

// Position x of every vertex, in stream order.
std::vector<float> positionXs(const ObjData& model) {
  std::vector<float> xs;
  for (std::size_t i = 0; i < model.vertexData.size(); i += floatsPerVertex) {
    xs.push_back(model.vertexData[i]);
  }
  return xs;
}

std::vector<std::uint32_t> indicesUpTo(std::size_t count) {
  std::vector<std::uint32_t> indices(count);
  std::iota(indices.begin(), indices.end(), 0u);
  return indices;
}

void expectBatch(const DrawBatch& batch, FaceKind kind, std::int32_t firstIndex,
                 std::int32_t indexCount, std::int32_t material) {
  EXPECT_EQ(batch.kind, kind);
  EXPECT_EQ(batch.firstIndex, firstIndex);
  EXPECT_EQ(batch.indexCount, indexCount);
  EXPECT_EQ(batch.material, material);
}

TEST(ObjReader, TrianglesWithTexCoordsAndNormalsGiveEightFloatsAVertex) {
  const ObjData model = readFixture("triangles-v-vt-vn.obj");
  EXPECT_FALSE(model.isPointCloud);
  EXPECT_EQ(model.positions.size(), 4u);
  EXPECT_EQ(model.texCoords.size(), 4u);
  EXPECT_EQ(model.normals.size(), 2u);
  ASSERT_EQ(model.vertexCount, 6);
  ASSERT_EQ(model.vertexData.size(), 6 * floatsPerVertex);
  EXPECT_EQ(model.indexData, indicesUpTo(6));
  EXPECT_EQ(vertexAt(model, 0), (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(vertexAt(model, 1), (std::vector<float>{1, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(vertexAt(model, 2), (std::vector<float>{1, 1, 0, 1, 1, 0, 0, 1}));
  EXPECT_EQ(vertexAt(model, 4), (std::vector<float>{1, 1, 0, 1, 1, 0, 0, -1}));
  EXPECT_EQ(vertexAt(model, 5), (std::vector<float>{0, 1, 0, 0, 1, 0, 0, -1}));
  ASSERT_EQ(model.batches.size(), 1u);
  expectBatch(model.batches[0], FaceKind::triangles, 0, 6, noMaterial);
  ASSERT_EQ(model.groups.size(), 1u);
  EXPECT_EQ(model.groups[0].faces.size(), 2u);
  EXPECT_TRUE(model.pointData.empty());
  EXPECT_EQ(model.droppedFaces, 0);
}

TEST(ObjReader, FacesBeforeAnyMaterialAreDrawnWithTheDefaults) {
  const ObjData model = readFixture("triangles-v-vt-vn.obj");
  const MaterialData& material = model.materialOf(model.batches.at(0));
  EXPECT_EQ(&material, &defaultMaterial());
  EXPECT_EQ(material.diffuse, glm::vec3(1.0f));
  EXPECT_EQ(material.ambient, glm::vec3(0.0f));
  EXPECT_TRUE(material.diffuseMap.empty());
}

TEST(ObjReader, MaterialSwitchesInOneGroupSplitBatches) {
  const ObjData model = readFixture("materials-a-a-b-b-a.obj");
  ASSERT_EQ(model.materials.size(), 3u);
  ASSERT_EQ(model.batches.size(), 3u);
  expectBatch(model.batches[0], FaceKind::triangles, 0, 6, 0);
  expectBatch(model.batches[1], FaceKind::triangles, 6, 6, 1);
  expectBatch(model.batches[2], FaceKind::triangles, 12, 3, 0);
  // "usemtl A" finds the first A of the library (red), not the later green one.
  EXPECT_EQ(model.materialOf(model.batches[2]).diffuse, glm::vec3(1, 0, 0));
  EXPECT_EQ(model.materialOf(model.batches[1]).diffuse, glm::vec3(0, 0, 1));
}

TEST(ObjReader, UnknownMaterialNamesKeepTheCurrentMaterial) {
  const ObjData model = readFixture("usemtl-unknown-keeps-material.obj");
  ASSERT_EQ(model.batches.size(), 1u);
  expectBatch(model.batches[0], FaceKind::triangles, 0, 9, 1);
  EXPECT_EQ(model.materialOf(model.batches[0]).name, "B");
}

TEST(ObjReader, GroupDefaultReturnsToTheFirstGroupWhichIsEmittedFirst) {
  const ObjData model = readFixture("group-default-returns-to-first.obj");
  ASSERT_EQ(model.groups.size(), 4u);
  EXPECT_EQ(model.groups[0].name, "");
  EXPECT_EQ(model.groups[1].name, "second");
  EXPECT_EQ(model.groups[2].name, "third");
  EXPECT_EQ(model.groups[3].name, "second");
  EXPECT_EQ(model.groups[0].faces.size(), 2u);
  // Faces A and C (first group), then B, D and E: each starts at a different x.
  EXPECT_EQ(positionXs(model),
            (std::vector<float>{0, 1, 2, 2, 3, 4, 1, 2, 3, 3, 4, 0, 4, 0, 1}));
  EXPECT_EQ(model.indexData, indicesUpTo(15));
  // Batches never span groups, even with the same material and kind.
  ASSERT_EQ(model.batches.size(), 4u);
  expectBatch(model.batches[0], FaceKind::triangles, 0, 6, noMaterial);
  expectBatch(model.batches[1], FaceKind::triangles, 6, 3, noMaterial);
  expectBatch(model.batches[2], FaceKind::triangles, 9, 3, noMaterial);
  expectBatch(model.batches[3], FaceKind::triangles, 12, 3, noMaterial);
  // Each face's first index points at its own vertices after the reordering.
  EXPECT_EQ(model.groups[0].faces[1].firstIndex, 3);
  EXPECT_EQ(model.groups[1].faces[0].firstIndex, 6);
  EXPECT_EQ(model.groups[3].faces[0].firstIndex, 12);
}

TEST(ObjReader, MtllibWithTwoNamesReadsOnlyTheSecond) {
  const ObjData model = readFixture("mtllib-two-names-loads-second.obj");
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].name, "Second");
  ASSERT_EQ(model.batches.size(), 2u);
  EXPECT_EQ(model.batches[0].material, noMaterial);
  EXPECT_EQ(model.batches[1].material, 0);
}

TEST(ObjReader, SeveralMtllibLinesAppendAndAMissingLibraryAddsNothing) {
  const ObjData model = readFixture("mtllib-lines-append.obj");
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0].name, "Second");
  EXPECT_EQ(model.materials[1].name, "First");
  EXPECT_EQ(model.batches.at(0).material, 1);
}

TEST(ObjReader, LibrariesAreReadFromTheModelsDirectoryThroughTheGivenReader) {
  std::vector<std::string> paths;
  const LibraryReader recordPath = [&](const std::string& path) {
    paths.push_back(path);
    std::vector<MaterialData> library(1);
    library[0].name = "Served";
    return library;
  };
  ObjData model = readObjText("mtllib a.mtl\nmtllib   b.mtl  c.mtl  \nmtllib\nusemtl Served\n",
                              "Data/Models/", recordPath);
  EXPECT_EQ(paths, (std::vector<std::string>{"Data/Models/a.mtl", "Data/Models/c.mtl"}));
  EXPECT_EQ(model.materials.size(), 2u);

  // A path that would not fit a 260-character buffer is not opened.
  paths.clear();
  model = readObjText("mtllib " + std::string(260, 'n') + ".mtl\n", "Data/", recordPath);
  EXPECT_TRUE(paths.empty());

  // Without a reader, text reading needs no file system.
  model = readObjText("mtllib a.mtl\n");
  EXPECT_TRUE(model.materials.empty());
}

// Each library is read once per model, however often it is named; the
// copies it would append are never found by "usemtl" (the first material of a
// name wins), so every lookup gives what it gave before.
TEST(ObjReader, ALibraryNamedAgainIsReadOnceAndLookupsStayTheSame) {
  std::map<std::string, int> reads;
  const LibraryReader library = [&](const std::string& path) {
    ++reads[path];
    std::vector<MaterialData> materials(2);
    materials[0].name = path == "M/a.mtl" ? "A" : "B";
    materials[1].name = "Shared";
    materials[1].diffuse = path == "M/a.mtl" ? glm::vec3(1, 0, 0) : glm::vec3(0, 0, 1);
    return materials;
  };
  const std::string face = "f 1//1 2//1 3//1\n";
  std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nmtllib a.mtl\nusemtl A\n" + face +
                     "mtllib b.mtl\n";
  for (int i = 0; i < 1000; ++i) text += i % 2 == 0 ? "mtllib a.mtl\n" : "mtllib b.mtl\n";
  text += "usemtl Shared\n" + face + "usemtl B\n" + face + "mtllib ./a.mtl\nusemtl A\n" + face;
  const ObjData model = readObjText(text, "M/", library);
  // "./a.mtl" is another path, so it is read (and adds copies found by nobody).
  EXPECT_EQ(reads, (std::map<std::string, int>{{"M/a.mtl", 1}, {"M/b.mtl", 1}, {"M/./a.mtl", 1}}));
  ASSERT_EQ(model.materials.size(), 6u);
  std::vector<std::int32_t> used;
  for (const DrawBatch& batch : model.batches) used.push_back(batch.material);
  EXPECT_EQ(used, (std::vector<std::int32_t>{0, 1, 2, 0}));
  EXPECT_EQ(model.materialOf(model.batches[1]).diffuse, glm::vec3(1, 0, 0));
}

// 10,000 "mtllib" lines naming a library of 1,000 materials: read once, the
// model stays small (it used to append ten million materials and abort).
TEST(ObjReader, ManyLinesNamingOneLargeLibraryCostOneReading) {
  test::TempDir dir;
  std::string mtl;
  for (int i = 0; i < 1000; ++i) mtl += "newmtl m" + std::to_string(i) + "\nKd 0.5 0.5 0.5\n";
  dir.write("Models/big.mtl", mtl);
  std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
  for (int i = 0; i < 10000; ++i) {
    obj += "mtllib big.mtl\nusemtl m" + std::to_string(i % 1000) + "\nf 1//1 2//1 3//1\n";
  }
  const std::string path = dir.write("Models/many.obj", obj);
  const auto start = std::chrono::steady_clock::now();
  const std::optional<int> status = test::runWithMemoryLimit(
      300u << 20,
      [&] {
        const ObjData model = readObjFile(path);
        if (model.materials.size() != 1000) return 1;
        if (model.batches.size() != 10000 || model.batches[9999].material != 999) return 2;
        return 0;
      },
      std::chrono::seconds(120));
  EXPECT_EQ(status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(ObjReader, PositionsOnlyMakeAPointCloudInFileOrder) {
  const ObjData model = readFixture("point-cloud-positions-only.obj");
  EXPECT_TRUE(model.isPointCloud);
  EXPECT_EQ(model.pointData, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9.5f}));
  EXPECT_TRUE(model.vertexData.empty());
  EXPECT_TRUE(model.indexData.empty());
  EXPECT_TRUE(model.batches.empty());
  EXPECT_EQ(model.vertexCount, 0);
}

TEST(ObjReader, KeywordsAreCaseSensitiveAndUnknownLinesAreSkipped) {
  const ObjData model = readFixture("keywords-case-and-comments.obj");
  // "V", "VN" and "VT" are not records, so the file stays a point cloud.
  EXPECT_TRUE(model.isPointCloud);
  EXPECT_EQ(model.positions.size(), 3u);
  EXPECT_EQ(model.pointData, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  ASSERT_EQ(model.groups.size(), 1u);
  EXPECT_EQ(model.groups[0].faces.size(), 1u);
}

TEST(ObjReader, KeywordsAreFollowedByAnyBlankAndBlankLinesAreSkipped) {
  const ObjData model = readObjText(
      "\n   \n\t\nv\t1 2 3\n\tv 4 5 6\nv\nvt\t0.5 0.25\nvn\v0 0 1\nvx 7 7 7\nf 1/1/1\t2/1/1 3/1/1\n"
      "f\t1/1/1 2/1/1 3/1/1\n");
  ASSERT_EQ(model.positions.size(), 3u);
  EXPECT_EQ(model.positions[1], glm::vec3(4, 5, 6));
  EXPECT_EQ(model.positions[2], glm::vec3(0));
  EXPECT_EQ(model.texCoords.at(0), glm::vec2(0.5f, 0.25f));
  EXPECT_EQ(model.normals.at(0), glm::vec3(0, 0, 1));
  // A tab between corners misreads the first face; after the keyword it is fine.
  EXPECT_EQ(model.droppedFaces, 1);
  EXPECT_EQ(model.vertexCount, 3);
}

TEST(ObjReader, MissingAttributesArePaddedToTheEightFloatLayout) {
  const ObjData normalsOnly = readFixture("normals-without-texcoords.obj");
  ASSERT_EQ(normalsOnly.vertexData.size(), 3 * floatsPerVertex);
  EXPECT_EQ(vertexAt(normalsOnly, 0), (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(vertexAt(normalsOnly, 1), (std::vector<float>{1, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(vertexAt(normalsOnly, 2), (std::vector<float>{0, 1, 0, 0, 0, 1, 0, 0}));

  const ObjData texCoordsOnly = readFixture("texcoords-without-normals.obj");
  EXPECT_FALSE(texCoordsOnly.isPointCloud);
  ASSERT_EQ(texCoordsOnly.vertexData.size(), 3 * floatsPerVertex);
  EXPECT_EQ(vertexAt(texCoordsOnly, 0), (std::vector<float>{0, 0, 0, 0.25f, 0.5f, 0, 0, 0}));
  EXPECT_EQ(vertexAt(texCoordsOnly, 2), (std::vector<float>{0, 1, 0, 0.5f, 1, 0, 0, 0}));
}

TEST(ObjReader, CornersHoldWhatTheFileHasDeclaredSoFar) {
  const ObjData model = readFixture("records-declared-so-far.obj");
  ASSERT_EQ(model.vertexCount, 9);
  EXPECT_EQ(vertexAt(model, 1), (std::vector<float>{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(vertexAt(model, 4), (std::vector<float>{1, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(vertexAt(model, 7), (std::vector<float>{1, 0, 0, 0.5f, 0.25f, 0, 0, 1}));
}

TEST(ObjReader, IndexSkippingFollowsSlashesAndSpacesOnly) {
  const ObjData model = readFixture("corner-skip-rules.obj");
  EXPECT_EQ(model.droppedFaces, 1);
  EXPECT_EQ(positionXs(model), (std::vector<float>{0, 1, 0, 1, 0, 1}));
}

TEST(ObjReader, QuadsAndFansAreTriangulatedAndKeepTheirKindForBatching) {
  const ObjData model = readFixture("quad-and-pentagon-fans.obj");
  ASSERT_EQ(model.vertexCount, 30);
  EXPECT_EQ(model.indexData, indicesUpTo(30));
  // Quad 1 2 3 4 as 1 2 3, 1 3 4; pentagon 1..5 as 1 2 3, 1 3 4, 1 4 5.
  const std::vector<float> xs = positionXs(model);
  EXPECT_EQ(std::vector<float>(xs.begin(), xs.begin() + 15),
            (std::vector<float>{0, 1, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 0, 0, -1}));
  EXPECT_EQ(vertexAt(model, 14)[1], 0.5f);
  ASSERT_EQ(model.batches.size(), 4u);
  expectBatch(model.batches[0], FaceKind::quads, 0, 6, noMaterial);
  expectBatch(model.batches[1], FaceKind::fan, 6, 9, noMaterial);
  expectBatch(model.batches[2], FaceKind::triangles, 15, 3, noMaterial);
  expectBatch(model.batches[3], FaceKind::quads, 18, 12, noMaterial);
  const MeshFace& pentagon = model.groups[0].faces[1];
  EXPECT_EQ(pentagon.kind, FaceKind::fan);
  EXPECT_EQ(pentagon.cornerCount, 5);
  EXPECT_EQ(pentagon.firstIndex, 6);
}

TEST(ObjReader, FacesWithABadIndexAreDroppedAndTheRestLoads) {
  const ObjData model = readFixture("bad-indices.obj");
  EXPECT_EQ(model.droppedFaces, 9);
  EXPECT_EQ(model.groups[0].faces.size(), 2u);
  ASSERT_EQ(model.vertexCount, 6);
  EXPECT_EQ(model.vertexData.size(), 6 * floatsPerVertex);
  EXPECT_EQ(model.indexData, indicesUpTo(6));
  EXPECT_EQ(vertexAt(model, 5), (std::vector<float>{1, 1, 0, 0, 0, 0, 0, 1}));
  ASSERT_EQ(model.batches.size(), 1u);
  expectBatch(model.batches[0], FaceKind::triangles, 0, 6, noMaterial);
}

TEST(ObjReader, ALineTooLongForTheBufferEndsTheReadKeepingWhatCameBefore) {
  const std::string head = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
  const std::string tail = "f 1//1 2//1 3//1\nv 5 5 5\n";
  // 4095 characters fit the 4096-character buffer, with LF or CR LF.
  for (const std::string end : {"\n", "\r\n"}) {
    const ObjData model = readObjText(head + "#" + std::string(4094, 'x') + end + tail);
    EXPECT_EQ(model.vertexCount, 6);
    EXPECT_EQ(model.positions.size(), 4u);
  }
  // 4096 characters end the reading at that line.
  const ObjData model = readObjText(head + "#" + std::string(4095, 'x') + "\n" + tail);
  EXPECT_EQ(model.vertexCount, 3);
  EXPECT_EQ(model.positions.size(), 3u);
  EXPECT_EQ(model.batches.size(), 1u);
  // The same from a file.
  test::TempDir dir;
  const ObjData fromFile =
      readObjFile(dir.write("long.obj", head + "#" + std::string(5000, 'x') + "\n" + tail));
  ASSERT_TRUE(fromFile.opened);
  EXPECT_EQ(fromFile.vertexCount, 3);
}

TEST(ObjReader, CrLfLinesReadLikeLfLines) {
  test::TempDir dir;
  const std::string lf = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nvn 0 0 1\n"
                         "g part\nusemtl Red\nf 1/1/1 2/1/1 3/1/1\n";
  std::string crlf;
  for (const char c : lf) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  dir.write("m.mtl", "newmtl Red\r\nKd 1 0 0\r\nmap_Kd red.png\r\n");
  const ObjData fromLf = readObjFile(dir.write("lf.obj", lf));
  const ObjData fromCrLf = readObjFile(dir.write("crlf.obj", crlf));
  ASSERT_TRUE(fromLf.opened);
  ASSERT_TRUE(fromCrLf.opened);
  EXPECT_EQ(fromCrLf.vertexData, fromLf.vertexData);
  ASSERT_EQ(fromCrLf.batches.size(), 1u);
  EXPECT_EQ(fromCrLf.batches[0].material, 0);
  EXPECT_EQ(fromCrLf.groups.at(1).name, "part");
  EXPECT_EQ(fromCrLf.materials.at(0).name, "Red");
  EXPECT_EQ(fromCrLf.materials.at(0).diffuseMap, "red.png");
}

TEST(ObjReader, AFileThatCannotBeOpenedGivesOnlyItsPath) {
  for (const std::string& path : {fixtures + "absent.obj", fixtures}) {
    const ObjData model = readObjFile(path);
    EXPECT_FALSE(model.opened) << path;
    EXPECT_EQ(model.path, path);
    EXPECT_EQ(model.vertexCount, 0);
    EXPECT_TRUE(model.groups.empty());
  }
  // Reading a model's own path (a reference into it) reads that file.
  ObjData model = readFixture("triangles-v-vt-vn.obj");
  model.path = fixtures + "point-cloud-positions-only.obj";
  model = readObjFile(model.path);
  EXPECT_TRUE(model.opened);
  EXPECT_TRUE(model.isPointCloud);
  EXPECT_EQ(model.vertexCount, 0);
  EXPECT_TRUE(model.vertexData.empty());
}

TEST(ObjReader, ValuesMissingFromRecordLinesReadAsZero) {
  const ObjData model = readObjText("v 1\nv 1 2 3 4\nv\nvt 0.5\nvn 0 1\n");
  ASSERT_EQ(model.positions.size(), 3u);
  EXPECT_EQ(model.positions[0], glm::vec3(1, 0, 0));
  EXPECT_EQ(model.positions[1], glm::vec3(1, 2, 3));
  EXPECT_EQ(model.positions[2], glm::vec3(0));
  EXPECT_EQ(model.texCoords.at(0), glm::vec2(0.5f, 0));
  EXPECT_EQ(model.normals.at(0), glm::vec3(0, 1, 0));
}

}  // namespace
}  // namespace tessaly::assets
