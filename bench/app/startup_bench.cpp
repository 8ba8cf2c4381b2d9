// Start-up of the stand-in production (build/Data), step by step, from
// process start to the first presented demo frame: startup_probe (the
// player's runProgram with fixed settings in place of the dialog, 1920x1080,
// multisampled, windowed) run five times in each way and the medians
// reported:
//   - overlapped: as the player starts, pictures and soundtrack decoded on
//     worker threads from the very start;
//   - sequential: every file decoded at its own step (as before the
//     overlap), for comparison in the same run;
//   - overlapped, cold shader cache: Mesa's on-disk shader cache switched
//     off, as on the very first launch on a machine;
//   - both ways again in a 1280x720 window.
// And, in the same run, the parts no overlap can remove (startup_probe
// --parts): building the nine programs and a first draw with each (where
// llvmpipe compiles machine code), decoding every picture, decoding the
// soundtrack. Then the peak resident memory of the player with the
// production and what its render targets take (startup_probe --memory),
// and the peak resident memory of a large production (the production with
// 200 more pictures of 2048x2048, in a temporary folder), each with the
// picture worker's default budget of decoded pixels and without a bound
// (as before the budget), side by side. The large runs stand for a user
// who takes three seconds at the setup dialog, which the worker spends
// decoding.
//
// Every figure is a manual time (or a counter) of a benchmark that runs
// once; the probes run when the first of them is reached.
#include "tests/support/png_writer.h"
#include "tests/support/process.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string probePath = std::string(TESSALY_BINARY_DIR) + "/bench/startup_probe";
constexpr int runsPerWay = 5;

// Start-up steps in their order, as the probe names them.
const std::vector<std::string> stepNames = {
    "window", "GLEW",   "render state", "shader set", "loading screen", "pictures",
    "models", "Maya scenes", "tracks", "music",  "watcher",    "first frame"};

// The parts no overlap removes, as the probe names them.
const std::vector<std::string> partNames = {"shader builds", "shader first draws",
                                            "picture decoding", "soundtrack decoding"};

struct Way {
  std::string name;
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
};

const std::vector<Way> ways = {
    {"overlapped", {}, {}},
    {"sequential", {"--no-prefetch"}, {}},
    {"overlapped, cold shader cache", {}, {"MESA_SHADER_CACHE_DISABLE=true"}},
    {"overlapped, 1280x720", {"--size", "1280x720"}, {}},
    {"sequential, 1280x720", {"--no-prefetch", "--size", "1280x720"}, {}},
};

// Milliseconds per measured quantity, one entry per run.
using Samples = std::map<std::string, std::vector<double>>;

struct Results {
  bool ok = true;
  std::string error;
  std::map<std::string, Samples> ways;  // by way name
  Samples parts;                        // by part name, plus "sum"
  Samples coldParts;
  Samples memory;                       // "peak_rss_MiB", "targets_MiB", ... multisampled
  Samples memoryPlain;                  // the same without multisampling
  Samples memoryUnbounded;              // multisampled, no bound on decoded pictures
  Samples largeMemory;                  // the large production, default budget
  Samples largeMemoryUnbounded;         // the large production, no bound
};

namespace fs = std::filesystem;

// The large production's extra pictures: this many of this size, drawn from
// a few distinct files written once into the build folder and kept there.
constexpr int largePictureCount = 200;
constexpr int largePictureSide = 2048;
constexpr int distinctLargePictures = 4;
// A user at the setup dialog this long, while the worker decodes ahead.
const std::string largeDialogMilliseconds = "3000";

// A picture of smooth gradients tinted by `seed` (uncompressed PNG: quick
// to write, and the decoder's work is the copy, so decoding runs ahead of
// the uploads as far as the worker lets it).
std::string largePicture(int seed) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(largePictureSide) * largePictureSide * 4);
  std::size_t at = 0;
  for (int y = 0; y < largePictureSide; ++y) {
    for (int x = 0; x < largePictureSide; ++x) {
      rgba[at++] = static_cast<std::uint8_t>(x / 8 + seed * 40);
      rgba[at++] = static_cast<std::uint8_t>(y / 8);
      rgba[at++] = static_cast<std::uint8_t>((x + y) / 16 + seed * 60);
      rgba[at++] = 255;
    }
  }
  return tessaly::test::encodePng(largePictureSide, largePictureSide, rgba);
}

// build/Data as symbolic links in a temporary folder, with the large
// pictures added to Data/Textures; removed when the benchmark ends.
class LargeProduction {
 public:
  LargeProduction() {
    try {
      make();
    } catch (const fs::filesystem_error& failure) {
      error_ = std::string("cannot make the large production: ") + failure.what();
    }
  }

 private:
  // The cached pictures (written on the first run), then the folder of links.
  void make() {
    const fs::path binary = TESSALY_BINARY_DIR;
    const fs::path cache = binary / "bench-data" / "pictures-2048";
    fs::create_directories(cache);
    std::vector<fs::path> pictures;
    for (int k = 0; k < distinctLargePictures; ++k) {
      const fs::path picture = cache / ("Gradient" + std::to_string(k) + ".png");
      if (!fs::exists(picture)) {
        const std::string bytes = largePicture(k);
        const fs::path partial = picture.string() + ".part";
        std::ofstream(partial, std::ios::binary).write(bytes.data(),
                                                      static_cast<std::streamsize>(bytes.size()));
        fs::rename(partial, picture);
      }
      pictures.push_back(picture);
    }
    std::string pattern = (fs::temp_directory_path() / "tessaly-large-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      error_ = "cannot make a temporary folder";
      return;
    }
    root_ = pattern;
    const fs::path data = root_ / "Data";
    fs::create_directory(data);
    for (const fs::directory_entry& entry : fs::directory_iterator(binary / "Data")) {
      const fs::path name = entry.path().filename();
      if (name != "Textures") {
        fs::create_symlink(entry.path(), data / name);
        continue;
      }
      fs::create_directory(data / name);
      for (const fs::directory_entry& texture : fs::directory_iterator(entry.path())) {
        fs::create_symlink(texture.path(), data / name / texture.path().filename());
      }
    }
    for (int i = 0; i < largePictureCount; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Large%03d.png", i);
      fs::create_symlink(pictures[static_cast<std::size_t>(i % distinctLargePictures)],
                         data / "Textures" / name);
    }
  }

 public:
  ~LargeProduction() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }
  LargeProduction(const LargeProduction&) = delete;
  LargeProduction& operator=(const LargeProduction&) = delete;

  const std::string& error() const { return error_; }
  std::string folder() const { return root_.string(); }

 private:
  fs::path root_;
  std::string error_;
};

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

long long steadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Runs the probe once; its stdout, or nothing when it failed.
std::optional<std::string> runProbe(const std::vector<std::string>& arguments,
                                    std::vector<std::string> environment, long long& launched,
                                    std::string& error,
                                    const std::string& folder = TESSALY_BINARY_DIR) {
  environment.push_back("SDL_AUDIODRIVER=dummy");
  launched = steadyNanoseconds();
  tessaly::test::ChildProcess probe(probePath, arguments, {folder, environment, ""});
  const auto status = probe.wait(300s);
  if (!status || *status != 0) {
    error = "startup_probe failed (status " + (status ? std::to_string(*status) : "none") +
            "): " + probe.standardError();
    return std::nullopt;
  }
  return probe.standardOutput();
}

// One start-up: each step's time, "launch" (process start to main) and
// "to first frame" (process start to the first frame's present).
bool recordStartup(const Way& way, Samples& samples, std::string& error) {
  long long launched = 0;
  const auto output = runProbe(way.arguments, way.environment, launched, error);
  if (!output) return false;
  std::istringstream lines(*output);
  std::string line;
  bool sawFirstFrame = false;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "main") {
      long long at = 0;
      words >> at;
      samples["launch"].push_back(static_cast<double>(at - launched) * 1e-6);
    } else if (kind == "step") {
      // "step <name, may hold spaces> <spent ns> <at ns>"
      std::vector<std::string> parts;
      for (std::string word; words >> word;) parts.push_back(word);
      if (parts.size() < 3) continue;
      const double spent = std::stod(parts[parts.size() - 2]) * 1e-6;
      const long long at = std::stoll(parts.back());
      std::string name = parts[0];
      for (std::size_t i = 1; i + 2 < parts.size(); ++i) name += " " + parts[i];
      samples[name].push_back(spent);
      if (name == "first frame") {
        samples["to first frame"].push_back(static_cast<double>(at - launched) * 1e-6);
        sawFirstFrame = true;
      }
    }
  }
  if (!sawFirstFrame) error = "startup_probe printed no first frame";
  return sawFirstFrame;
}

// "name value" lines (value in milliseconds or as named) into `samples`,
// and the time from process start to the first frame as "to first frame".
bool recordValues(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment, Samples& samples,
                  std::string& error, const std::string& folder = TESSALY_BINARY_DIR) {
  long long launched = 0;
  const auto output = runProbe(arguments, environment, launched, error, folder);
  if (!output) return false;
  std::istringstream lines(*output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("step first frame ", 0) == 0) {
      const long long at = std::stoll(line.substr(line.rfind(' ') + 1));
      samples["to first frame"].push_back(static_cast<double>(at - launched) * 1e-6);
      continue;
    }
    const auto tab = line.rfind('\t');
    if (line.rfind("part\t", 0) == 0 && tab != std::string::npos && tab > 5) {
      samples[line.substr(5, tab - 5)].push_back(std::stod(line.substr(tab + 1)));
    }
  }
  return true;
}

const Results& results() {
  static const Results measured = [] {
    Results r;
    if (!std::filesystem::is_directory(std::string(TESSALY_BINARY_DIR) + "/Data/Models")) {
      r.ok = false;
      r.error = "no production in the build folder";
      return r;
    }
    // The ways take turns, so a change in the machine's load touches all.
    for (int run = 0; run < runsPerWay && r.ok; ++run) {
      for (const Way& way : ways) {
        if (!recordStartup(way, r.ways[way.name], r.error)) {
          r.ok = false;
          break;
        }
      }
      if (r.ok && !recordValues({"--parts"}, {}, r.parts, r.error)) r.ok = false;
      if (r.ok &&
          !recordValues({"--parts"}, {"MESA_SHADER_CACHE_DISABLE=true"}, r.coldParts, r.error)) {
        r.ok = false;
      }
    }
    if (r.ok && !recordValues({"--memory"}, {}, r.memory, r.error)) r.ok = false;
    if (r.ok && !recordValues({"--memory", "--no-multisampling"}, {}, r.memoryPlain, r.error)) {
      r.ok = false;
    }
    if (r.ok &&
        !recordValues({"--memory", "--picture-budget", "none"}, {}, r.memoryUnbounded, r.error)) {
      r.ok = false;
    }
    if (r.ok) {
      const LargeProduction large;
      if (!large.error().empty()) {
        r.ok = false;
        r.error = large.error();
      }
      const std::vector<std::string> dialog = {"--memory", "--dialog-ms", largeDialogMilliseconds};
      std::vector<std::string> unbounded = dialog;
      unbounded.insert(unbounded.end(), {"--picture-budget", "none"});
      if (r.ok && !recordValues(dialog, {}, r.largeMemory, r.error, large.folder())) r.ok = false;
      if (r.ok && !recordValues(unbounded, {}, r.largeMemoryUnbounded, r.error, large.folder())) {
        r.ok = false;
      }
    }
    return r;
  }();
  return measured;
}

double medianOf(const Samples& samples, const std::string& name) {
  const auto found = samples.find(name);
  return found == samples.end() ? 0.0 : median(found->second);
}

double sumOfParts(const Samples& parts) {
  double sum = 0.0;
  for (const std::string& part : partNames) sum += medianOf(parts, part);
  return sum;
}

// A benchmark that reports one median as its time, with counters.
void reportMedian(benchmark::State& state, const Samples& samples, const std::string& name,
                  const std::map<std::string, double>& counters = {}) {
  const Results& r = results();
  if (!r.ok) {
    state.SkipWithError(r.error.c_str());
    return;
  }
  const double milliseconds = medianOf(samples, name);
  for (auto _ : state) {
    state.SetIterationTime(milliseconds * 1e-3);
  }
  for (const auto& [counter, value] : counters) {
    state.counters[counter] = value;
  }
}

void registerAll() {
  const auto add = [](const std::string& name, auto function) {
    benchmark::RegisterBenchmark(name.c_str(), function)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  };
  for (const Way& way : ways) {
    const std::string prefix = "Startup/" + way.name + "/";
    add(prefix + "launch to main", [name = way.name](benchmark::State& state) {
      reportMedian(state, results().ways.at(name), "launch");
    });
    for (const std::string& step : stepNames) {
      add(prefix + step, [name = way.name, step](benchmark::State& state) {
        reportMedian(state, results().ways.at(name), step);
      });
    }
    add(prefix + "to first frame", [name = way.name](benchmark::State& state) {
      const Results& r = results();
      const Samples& parts = name.find("cold") != std::string::npos ? r.coldParts : r.parts;
      // 1.5 s, unless building the shaders alone takes longer: then 1.2
      // times the parts no overlap removes.
      const double shaders = medianOf(parts, "shader builds") + medianOf(parts, "shader first draws");
      const double floor = sumOfParts(parts);
      reportMedian(state, r.ways.at(name), "to first frame",
                   {{"parts_ms", floor}, {"target_ms", shaders > 1500.0 ? 1.2 * floor : 1500.0}});
    });
  }
  for (const std::string& part : partNames) {
    add("Startup/parts/" + part, [part](benchmark::State& state) {
      reportMedian(state, results().parts, part);
    });
    add("Startup/parts, cold shader cache/" + part, [part](benchmark::State& state) {
      reportMedian(state, results().coldParts, part);
    });
  }
  for (const bool multisampled : {true, false}) {
    add(std::string("Memory/player with the production, 1920x1080") +
            (multisampled ? " multisampled" : ""),
        [multisampled](benchmark::State& state) {
          const Results& r = results();
          const Samples& memory = multisampled ? r.memory : r.memoryPlain;
          std::map<std::string, double> counters;
          for (const auto& [name, values] : memory) {
            if (name != "to first frame") counters[name] = median(values);
          }
          reportMedian(state, memory, "", counters);
        });
  }
  // Peak resident memory with and without the budget, the resident memory
  // right before the preload (when every picture decoded ahead is held and
  // none is a texture yet; with llvmpipe the textures live in the process
  // too and make most of the peak), and the time from process start to the
  // first frame (the three seconds at the dialog included for the large
  // production).
  const auto addMemory = [&add](const std::string& name, Samples Results::*memory) {
    add(name, [memory](benchmark::State& state) {
      const Results& r = results();
      const Samples& samples = r.*memory;
      std::map<std::string, double> counters;
      for (const char* counter : {"peak_rss_MiB", "rss_before_preload_MiB"}) {
        counters[counter] = medianOf(samples, counter);
      }
      reportMedian(state, samples, "to first frame", counters);
    });
  };
  addMemory("Memory/production, pictures ahead in 64 MiB", &Results::memory);
  addMemory("Memory/production, pictures ahead unbounded", &Results::memoryUnbounded);
  addMemory("Memory/production + 200 pictures 2048x2048, ahead in 64 MiB", &Results::largeMemory);
  addMemory("Memory/production + 200 pictures 2048x2048, ahead unbounded",
            &Results::largeMemoryUnbounded);
}

const bool registered = (registerAll(), true);

}  // namespace
