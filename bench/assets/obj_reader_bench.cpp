// Reading a generated 50 MB OBJ model (triangles with positions, texture
// coordinates and normals, four materials, a few groups) with our reader
// (reading and flattening into the vertex stream and batches) and with
// tinyobjloader (LoadObj with its defaults: parsing into its attribute and
// shape arrays), in one run. Throughput is the file's bytes per CPU second,
// which stays comparable on a shared machine; the wall time is shown too.
#include "assets/obj_reader.h"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t targetBytes = 50u * 1000u * 1000u;
constexpr int columns = 600;

// A wavy height field, written row by row: each row's vertices come before
// the faces that use them, the material changes every row, a group starts
// every 100 rows.
class GeneratedModel {
 public:
  GeneratedModel() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    directory_ = pattern;
    write();
  }
  ~GeneratedModel() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }

  std::string objPath() const { return (directory_ / "Terrain.obj").string(); }
  std::string directory() const { return directory_.string() + "/"; }
  std::size_t bytes() const { return bytes_; }

 private:
  void write() {
    std::FILE* mtl = std::fopen((directory_ / "Terrain.mtl").c_str(), "wb");
    const char* names[] = {"Grass", "Rock", "Sand", "Snow"};
    for (int m = 0; m < 4; ++m) {
      std::fprintf(mtl, "newmtl %s\nKa 0.1 0.1 0.1\nKd %.2f 0.5 0.3\nKs 0.2 0.2 0.2\nNs 10\n"
                        "map_Kd %s.png\n\n", names[m], 0.2 * m, names[m]);
    }
    std::fclose(mtl);

    std::FILE* obj = std::fopen(objPath().c_str(), "wb");
    std::string text = "# generated terrain\nmtllib Terrain.mtl\n";
    auto flush = [&] {
      std::fwrite(text.data(), 1, text.size(), obj);
      bytes_ += text.size();
      text.clear();
    };
    char line[256];
    auto writeRow = [&](int row) {
      for (int c = 0; c < columns; ++c) {
        const double x = c * 0.25;
        const double z = row * 0.25;
        const double y = std::sin(x * 0.3) * std::cos(z * 0.2) * 4.0;
        std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\nvt %.6f %.6f\nvn %.6f %.6f %.6f\n",
                      x, y, z, c / double(columns), row / 1000.0, -0.3 * std::cos(x * 0.3),
                      0.9, 0.2 * std::sin(z * 0.2));
        text += line;
      }
    };
    writeRow(0);
    for (int row = 1; bytes_ + text.size() < targetBytes; ++row) {
      writeRow(row);
      if (row % 100 == 1) {
        text += "g strip" + std::to_string(row / 100) + "\n";
      }
      text += "usemtl " + std::string(names[row % 4]) + "\n";
      for (int c = 0; c + 1 < columns; ++c) {
        const int a = (row - 1) * columns + c + 1;
        const int b = a + 1;
        const int d = a + columns;
        const int e = d + 1;
        std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n",
                      a, a, a, d, d, d, b, b, b, b, b, b, d, d, d, e, e, e);
        text += line;
      }
      if (text.size() > (1u << 20)) {
        flush();
      }
    }
    flush();
    std::fclose(obj);
  }

  std::filesystem::path directory_;
  std::size_t bytes_ = 0;
};

// CPU seconds per read of our reader, measured by the first benchmark, so
// the second can show how many times faster ours is ("ours_faster_by").
double ourSecondsPerRead = 0.0;

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

const GeneratedModel& model() {
  static const GeneratedModel generated;
  return generated;
}

void BM_ReadObjTessaly(benchmark::State& state) {
  const GeneratedModel& file = model();
  std::size_t vertices = 0;
  const double start = cpuSeconds();
  for (auto _ : state) {
    const tessaly::assets::ObjData data = tessaly::assets::readObjFile(file.objPath());
    if (!data.opened) {
      state.SkipWithError("cannot read the generated model");
      return;
    }
    vertices = static_cast<std::size_t>(data.vertexCount);
    benchmark::DoNotOptimize(data.vertexData.data());
  }
  ourSecondsPerRead = (cpuSeconds() - start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes()));
  state.counters["MB"] = static_cast<double>(file.bytes()) / 1e6;
  state.counters["vertices"] = static_cast<double>(vertices);
}

void BM_ReadObjTinyObjLoader(benchmark::State& state) {
  const GeneratedModel& file = model();
  std::size_t indices = 0;
  const double start = cpuSeconds();
  for (auto _ : state) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, file.objPath().c_str(),
                          file.directory().c_str(), true)) {
      state.SkipWithError(error.c_str());
      return;
    }
    indices = 0;
    for (const auto& shape : shapes) {
      indices += shape.mesh.indices.size();
    }
    benchmark::DoNotOptimize(attrib.vertices.data());
  }
  const double secondsPerRead = (cpuSeconds() - start) / static_cast<double>(state.iterations());
  if (ourSecondsPerRead > 0.0) {
    state.counters["ours_faster_by"] = secondsPerRead / ourSecondsPerRead;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes()));
  state.counters["MB"] = static_cast<double>(file.bytes()) / 1e6;
  state.counters["vertices"] = static_cast<double>(indices);
}

BENCHMARK(BM_ReadObjTessaly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadObjTinyObjLoader)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
