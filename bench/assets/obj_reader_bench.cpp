// Reading a generated 50 MB OBJ model (triangles with positions, texture
// coordinates and normals, four materials, a few groups) with our reader
// (reading and flattening into the vertex stream and batches) and with
// tinyobjloader (LoadObj with its defaults: parsing into its attribute and
// shape arrays), in one run. Throughput is the file's bytes per CPU second,
// which stays comparable on a shared machine; the wall time is shown too.
//
// And the whole `tessaly-inspect obj FILE` process on the same file (start,
// reading, flattening, the JSON, exit), spawned per iteration, its wall time
// from spawn to exit and its CPU time (user and system, from wait4), against
// tinyobjloader's parse alone: "process_faster_by" (wall) and
// "process_faster_by_cpu". The process on a one-line model shows what start
// and exit cost alone.
#include "assets/obj_reader.h"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>

#include <chrono>
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
// the last can show how many times faster ours is ("ours_faster_by").
double ourSecondsPerRead = 0.0;
// Wall and CPU seconds per `tessaly-inspect obj` process on the model.
double processWallSeconds = 0.0;
double processCpuSeconds = 0.0;

const std::string inspectPath = std::string(TESSALY_BINARY_DIR) + "/tessaly-inspect";

extern "C" char** environ;

struct ProcessTimes {
  bool ok = false;
  double wallSeconds = 0.0;
  double cpuSeconds = 0.0;  // user + system
};

// Runs `tessaly-inspect obj path` with its output to /dev/null.
ProcessTimes runInspect(const std::string& path) {
  ProcessTimes times;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string command = "obj";
  std::string file = path;
  char* argv[] = {const_cast<char*>(inspectPath.c_str()), command.data(), file.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, inspectPath.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    return times;
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) {
    return times;
  }
  times.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
  times.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  times.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return times;
}

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

// One whole inspect process per iteration; the time is its wall time.
void runInspectBenchmark(benchmark::State& state, const std::string& path, bool isModel) {
  double wall = 0.0;
  double cpu = 0.0;
  for (auto _ : state) {
    const ProcessTimes times = runInspect(path);
    if (!times.ok) {
      state.SkipWithError("tessaly-inspect obj failed");
      return;
    }
    state.SetIterationTime(times.wallSeconds);
    wall += times.wallSeconds;
    cpu += times.cpuSeconds;
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["cpu_ms"] = cpu / runs * 1e3;
  if (isModel) {
    processWallSeconds = wall / runs;
    processCpuSeconds = cpu / runs;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model().bytes()));
  }
}

void BM_InspectObjProcess(benchmark::State& state) {
  runInspectBenchmark(state, model().objPath(), true);
}

// Start and exit: the process on a model of one position.
void BM_InspectObjProcessTinyModel(benchmark::State& state) {
  const std::string path = model().directory() + "Tiny.obj";
  if (std::FILE* tiny = std::fopen(path.c_str(), "wb")) {
    std::fputs("v 0 0 0\n", tiny);
    std::fclose(tiny);
  }
  runInspectBenchmark(state, path, false);
}

void BM_ReadObjTinyObjLoader(benchmark::State& state) {
  const GeneratedModel& file = model();
  std::size_t indices = 0;
  const auto wallStart = std::chrono::steady_clock::now();
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
  const double wallPerRead =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count() /
      static_cast<double>(state.iterations());
  if (ourSecondsPerRead > 0.0) {
    state.counters["ours_faster_by"] = secondsPerRead / ourSecondsPerRead;
  }
  if (processWallSeconds > 0.0 && processCpuSeconds > 0.0) {
    state.counters["process_faster_by"] = wallPerRead / processWallSeconds;
    state.counters["process_faster_by_cpu"] = secondsPerRead / processCpuSeconds;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes()));
  state.counters["MB"] = static_cast<double>(file.bytes()) / 1e6;
  state.counters["vertices"] = static_cast<double>(indices);
}

BENCHMARK(BM_ReadObjTessaly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_InspectObjProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();
BENCHMARK(BM_InspectObjProcessTinyModel)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseManualTime();
BENCHMARK(BM_ReadObjTinyObjLoader)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
