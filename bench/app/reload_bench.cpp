// Live reload on the real production (a copy of build/Data) at 640x360 on
// this machine's GL (llvmpipe in CI), the way the studio runs it: the data
// watcher, the reloader polled once a frame, a frame drawn and presented
// after each poll.
// - EditToScreen/<kind>: from the moment the file is written to the end of
//   the first frame drawn with the new content (glFinish), for a fragment
//   shader edit (Filters.frag, which draws every frame), a 1024x1024 PNG
//   and a track. "frame_ms" is the mean frame time included; "reload_ms"
//   the reload's own cost as it reports it.
// - LiveNamesAfterEdits: 1,000 edits (a third each of shaders, pictures and
//   models), each reloaded before the next (polled, no frames between), and
//   the live GL names of every kind before and after: "growth" must be 0.
#include "app/show.h"
#include "app/show_reload.h"
#include "app/window.h"
#include "platform/error_box.h"
#include "render/gl.h"

#include <benchmark/benchmark.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tessaly::app::ReloadReport;

constexpr int width = 640;
constexpr int height = 360;
// A moment of scene 3, which draws with material pictures and Filters.frag.
constexpr double showTime = 45.0;

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// A 1024x1024 PNG of a gradient with noise, as compressible as a painted
// texture; `seed` makes each one different.
std::string picturePng(int size, unsigned seed) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * size * 4);
  std::minstd_rand random(seed);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      unsigned char* p = &pixels[(static_cast<std::size_t>(y) * size + x) * 4];
      const int noise = static_cast<int>(random() % 16);
      p[0] = static_cast<unsigned char>((x * 255 / size + noise) & 0xff);
      p[1] = static_cast<unsigned char>((y * 255 / size + noise) & 0xff);
      p[2] = static_cast<unsigned char>(seed * 37);
      p[3] = 255;
    }
  }
  std::string png;
  stbi_write_png_to_func(
      [](void* context, void* data, int bytes) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                   static_cast<std::size_t>(bytes));
      },
      &png, size, size, 4, pixels.data(), size * 4);
  return png;
}

// The production copied into a folder of its own, a show started on it in
// a hidden window with its watcher, and the reloader.
class ReloadStage {
 public:
  ReloadStage() {
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    root_ = fs::temp_directory_path() / ("tessaly-reload-bench-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    fs::copy(fs::path(TESSALY_BINARY_DIR) / "Data", root_ / "Data", fs::copy_options::recursive);
    fs::current_path(root_);
    show_.config.width = width;
    show_.config.height = height;
    show_.config.fullscreen = 0;
    show_.config.multisampling = 1;
    tessaly::app::ShowOptions options;
    options.window = tessaly::app::ShowWindow::hidden;
    options.music = tessaly::app::ShowMusic::capture;
    options.watchData = true;
    ok_ = tessaly::app::startShow(show_, options) &&
          show_.watcher->waitWhileStarting(std::chrono::seconds(5)) ==
              tessaly::watch::DataWatcher::State::watching;
    if (ok_) {
      reloader_.emplace(show_);
    }
  }
  ~ReloadStage() {
    std::error_code error;
    fs::remove_all(root_, error);
  }

  bool ok() const { return ok_; }
  tessaly::app::ShowReloader& reloader() { return *reloader_; }
  tessaly::app::Show& show() { return show_; }
  fs::path file(const std::string& relative) const { return root_ / relative; }

  // One frame as the studio draws it: poll, apply, draw, present; glFinish
  // so the frame's time is all in.
  std::vector<ReloadReport> frame() {
    reloader_->poll();
    std::vector<ReloadReport> reports = reloader_->applyReady();
    show_.music.setSeconds(showTime);
    show_.inputs.currentRow = show_.music.row();
    show_.music.fetchSpectrum(show_.inputs.spectrum.data());
    tessaly::app::drawShowFrame(show_, show_.music.seconds());
    tessaly::app::presentFrame();
    glFinish();
    return reports;
  }

  // Frames until a report for `file` came with one, then that frame's end
  // (no frames when `drawing` is false: polls only). The reload's report,
  // and how many frames it took.
  ReloadReport frameUntilReloaded(const std::string& file, int& frames, bool drawing = true) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    frames = 0;
    while (Clock::now() < end) {
      ++frames;
      std::vector<ReloadReport> reports;
      if (drawing) {
        reports = frame();
      } else {
        reloader_->poll();
        reports = reloader_->applyReady();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      for (ReloadReport& report : reports) {
        if (report.file == file) {
          return report;
        }
      }
    }
    return {};
  }

 private:
  fs::path root_;
  tessaly::app::Show show_;
  std::optional<tessaly::app::ShowReloader> reloader_;
  bool ok_ = false;
};

ReloadStage* stage() {
  static ReloadStage* const made = new ReloadStage;
  return made->ok() ? made : nullptr;
}

enum Kind { shader, picture, track };

void EditToScreen(benchmark::State& state) {
  if (stage() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  const auto kind = static_cast<Kind>(state.range(0));
  const char* paths[] = {"Data/Shaders/Filters.frag", "Data/Textures/Marble.png",
                         "Data/Rocket/sync_scene.alpha.track"};
  const char* reported[] = {"Data/Shaders/Filters.vert/.frag", "Data/Textures/Marble.png",
                            "Data/Rocket/sync_scene.alpha.track"};
  const fs::path path = stage()->file(paths[kind]);
  const std::string original = readFile(path);
  // The frames' own time, measured before any edit.
  auto frameStart = Clock::now();
  for (int i = 0; i < 5; ++i) {
    stage()->frame();
  }
  const double frameMs =
      std::chrono::duration<double, std::milli>(Clock::now() - frameStart).count() / 5;
  std::vector<std::string> versions;
  for (unsigned i = 0; i < 4; ++i) {
    switch (kind) {
      case shader:
        versions.push_back(original + "\n// edit " + std::to_string(i) + "\n");
        break;
      case picture:
        versions.push_back(picturePng(1024, i + 1));
        break;
      case track: {
        // The first key's value one unit in the last place apart.
        std::string changed = original;
        if (changed.size() > 8) {
          changed[8] = static_cast<char>(changed[8] ^ static_cast<char>(i & 1));
        }
        versions.push_back(changed);
        break;
      }
    }
  }
  double reloadMs = 0;
  double frames = 0;
  bool failed = false;
  std::size_t n = 0;
  for (auto _ : state) {
    const std::string& bytes = versions[n++ % versions.size()];
    const auto start = Clock::now();
    writeFile(path, bytes);
    int taken = 0;
    const ReloadReport report = stage()->frameUntilReloaded(reported[kind], taken);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    failed = failed || !report.ok;
    reloadMs += report.milliseconds;
    frames += taken;
  }
  writeFile(path, original);
  int ignored = 0;
  stage()->frameUntilReloaded(reported[kind], ignored);
  if (failed) {
    state.SkipWithError("a reload failed");
    return;
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["frame_ms"] = frameMs;
  state.counters["reload_ms"] = reloadMs / iterations;
  state.counters["frames"] = frames / iterations;
}
BENCHMARK(EditToScreen)
    ->ArgName("shader_picture_track")
    ->Arg(shader)
    ->Arg(picture)
    ->Arg(track)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

// Live names of each kind among the first `upTo`.
long liveNames(GLuint upTo) {
  long live = 0;
  for (GLuint name = 1; name <= upTo; ++name) {
    live += (glIsTexture(name) ? 1 : 0) + (glIsBuffer(name) ? 1 : 0) +
            (glIsFramebuffer(name) ? 1 : 0) + (glIsRenderbuffer(name) ? 1 : 0) +
            (glIsShader(name) ? 1 : 0) + (glIsProgram(name) ? 1 : 0) +
            (glIsSampler(name) ? 1 : 0);
  }
  return live;
}

void LiveNamesAfterEdits(benchmark::State& state) {
  if (stage() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  struct Edit {
    const char* path;
    const char* reported;
  };
  const Edit edits[] = {
      {"Data/Shaders/Model.frag", "Data/Shaders/Model.vert/.frag"},
      {"Data/Textures/White.png", "Data/Textures/White.png"},
      {"Data/Models/boxfanden.obj", "Data/Models/boxfanden.obj"},
  };
  std::vector<std::string> originals;
  for (const Edit& edit : edits) {
    originals.push_back(readFile(stage()->file(edit.path)));
  }
  const int count = static_cast<int>(state.range(0));
  long before = 0;
  long after = 0;
  for (auto _ : state) {
    stage()->frame();
    // Names are handed out from low numbers up and reused after deletion;
    // the scan looks well past the highest in use.
    constexpr GLuint scanTo = 20000;
    before = liveNames(scanTo);
    for (int i = 0; i < count; ++i) {
      const Edit& edit = edits[i % 3];
      // A comment line of the file's language; the picture is written
      // again as it is.
      std::string bytes = originals[static_cast<std::size_t>(i % 3)];
      if (i % 3 == 0) {
        bytes += "\n// edit " + std::to_string(i) + "\n";
      } else if (i % 3 == 2) {
        bytes += "\n# edit " + std::to_string(i) + "\n";
      }
      writeFile(stage()->file(edit.path), bytes);
      int polls = 0;
      if (!stage()->frameUntilReloaded(edit.reported, polls, false).ok) {
        state.SkipWithError("an edit was not reloaded");
        return;
      }
    }
    stage()->frame();
    after = liveNames(scanTo);
  }
  state.counters["edits"] = count;
  state.counters["names_before"] = static_cast<double>(before);
  state.counters["names_after"] = static_cast<double>(after);
  state.counters["growth"] = static_cast<double>(after - before);
}
BENCHMARK(LiveNamesAfterEdits)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

// A flood: 10,000 writes in about a second, 1,000 to the twenty track files
// in turn and 9,000 new files in a folder the show does not read, while
// the frame loop polls as the studio does (no frames drawn, so the figure is
// the reloader's own). "worst_poll_ms" is the longest poll plus apply, and
// "reloads" how many reloads the 10,000 changes came to (coalesced per file).
void Flood(benchmark::State& state) {
  if (stage() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  std::vector<fs::path> tracks;
  std::vector<std::string> bytes;
  for (const auto& entry : fs::directory_iterator(stage()->file("Data/Rocket"))) {
    tracks.push_back(entry.path());
    bytes.push_back(readFile(entry.path()));
  }
  double worst = 0;
  double reloads = 0;
  int round = 0;
  for (auto _ : state) {
    const fs::path folder = stage()->file("Data/flood" + std::to_string(round++));
    fs::create_directories(folder);
    std::atomic<bool> done{false};
    std::thread writer([&] {
      for (int i = 0; i < 10000; ++i) {
        if (i % 10 == 9) {
          const std::size_t t = static_cast<std::size_t>(i) % tracks.size();
          writeFile(tracks[t], bytes[t]);
        } else {
          writeFile(folder / (std::to_string(i) + ".txt"), "x");
        }
      }
      done = true;
    });
    const auto end = Clock::now() + std::chrono::seconds(30);
    int quiet = 0;
    while (Clock::now() < end && quiet < 50) {
      const auto start = Clock::now();
      stage()->reloader().poll();
      const std::vector<ReloadReport> reports = stage()->reloader().applyReady();
      worst = std::max(
          worst, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      reloads += static_cast<double>(reports.size());
      quiet = done && reports.empty() && stage()->reloader().idle() ? quiet + 1 : 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    writer.join();
  }
  state.counters["worst_poll_ms"] = worst;
  state.counters["reloads"] = reloads / static_cast<double>(state.iterations());
  state.counters["writes"] = 10000;
}
BENCHMARK(Flood)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
