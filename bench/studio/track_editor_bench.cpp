// The studio's track editor on this machine's GL (llvmpipe in CI):
// - EditKeyAndFrame: a key of "scene.alpha" set through the editor on the
//   real production (build/Data) at 1280x720, then the frame drawn from the
//   edited track, presented, glFinish: from the key press to the frame on
//   the screen. "edit_ms" is the edit alone.
// - SaveTwentyTracks: twenty tracks of 10,000 keys, each changed by one key,
//   written atomically (temporary file, flush, rename) into a temporary
//   folder.
// - EditorView: the tracker window at 1280x720 over twenty tracks of 5,000
//   keys (100,000 keys), the cursor row moving on each frame: ImGui's frame
//   built, drawn and finished. Frames a second of UI = 1000 / the time.
#include "app/show.h"
#include "app/window.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "tools/studio/editor_view.h"
#include "tools/studio/studio_panels.h"
#include "tools/studio/track_editor.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using tessaly::studio::TrackEditor;

constexpr int width = 1280;
constexpr int height = 720;

tessaly::app::Show* show() {
  static tessaly::app::Show* const started = [] {
    std::filesystem::current_path(TESSALY_BINARY_DIR);
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    auto* made = new tessaly::app::Show;
    made->config.width = width;
    made->config.height = height;
    made->config.fullscreen = 0;
    made->config.verticalSync = 0;
    made->config.multisampling = 0;
    tessaly::app::ShowOptions options;
    options.window = tessaly::app::ShowWindow::hidden;
    options.watchData = false;
    options.music = tessaly::app::ShowMusic::none;
    return tessaly::app::startShow(*made, options) ? made : nullptr;
  }();
  return started;
}

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A scratch folder with `count` tracks of `keys` keys each, in an editor.
struct Tracks {
  Tracks(int count, int keys) {
    folder = std::filesystem::temp_directory_path() /
             ("tessaly-editor-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::mt19937 random(7);
    std::vector<tessaly::sync::SyncTrack*> pointers;
    for (int t = 0; t < count; ++t) {
      std::vector<tessaly::sync::SyncKey> list;
      for (int k = 0; k < keys; ++k) {
        list.push_back({k * 3, static_cast<float>(random() % 1000) / 100.0f,
                        static_cast<tessaly::sync::KeyType>(k % 4)});
      }
      owned.push_back(
          std::make_unique<tessaly::sync::SyncTrack>("track" + std::to_string(t), list));
      pointers.push_back(owned.back().get());
    }
    editor = std::make_unique<TrackEditor>(pointers, (folder / "sync").string());
  }
  ~Tracks() {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
  }
  std::filesystem::path folder;
  std::vector<std::unique_ptr<tessaly::sync::SyncTrack>> owned;
  std::unique_ptr<TrackEditor> editor;
};

void EditKeyAndFrame(benchmark::State& state) {
  tessaly::app::Show* running = show();
  if (running == nullptr || !running->device) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  // Saved nowhere: the editor is never asked to save here.
  TrackEditor editor(running->device->tracks(), running->device->base());
  const int column = editor.columnOf("scene.alpha");
  running->inputs.currentRow = 12.0 * tessaly::sync::rowsPerSecond;
  const auto row = static_cast<std::int32_t>(running->inputs.currentRow);
  double editTotal = 0.0;
  int i = 0;
  for (auto _ : state) {
    glFinish();
    const Clock::time_point start = Clock::now();
    editor.setKey(column, row, (i++ % 2) != 0 ? 0.25f : 0.75f);
    editTotal += seconds(start);
    tessaly::app::drawShowFrame(*running, 12.0f);
    tessaly::app::presentFrame();
    glFinish();
    state.SetIterationTime(seconds(start));
  }
  while (editor.undo()) {
  }
  state.counters["edit_ms"] =
      benchmark::Counter(editTotal * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(EditKeyAndFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void SaveTwentyTracks(benchmark::State& state) {
  Tracks tracks(20, 10000);
  float value = 0.0f;
  for (auto _ : state) {
    state.PauseTiming();
    value += 1.0f;
    for (int c = 0; c < 20; ++c)
      tracks.editor->setKey(c, 600, value);
    state.ResumeTiming();
    const std::vector<std::string> problems = tracks.editor->save();
    if (!problems.empty()) {
      state.SkipWithError(problems.front().c_str());
      return;
    }
  }
}
BENCHMARK(SaveTwentyTracks)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void EditorView(benchmark::State& state) {
  tessaly::app::Show* running = show();
  if (running == nullptr) {
    state.SkipWithError("no GL window");
    return;
  }
  Tracks tracks(20, 5000);
  tessaly::studio::PanelLayer panels(running->window);
  if (panels.failed()) {
    state.SkipWithError("no panels");
    return;
  }
  tessaly::studio::EditorUi ui;
  ui.open = true;
  ui.column = 7;
  tessaly::studio::PanelState panelState;
  panelState.panels = false;
  tessaly::studio::StudioView view;
  const tessaly::studio::TimelineGeometry timeline(
      tessaly::studio::timelineRect(static_cast<float>(width), static_cast<float>(height)), 81.6);
  double row = 100.0;
  for (auto _ : state) {
    row += 1.37;
    if (row > 14000) row = 100.0;
    glFinish();
    const Clock::time_point start = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT);
    panels.build(view, timeline, panelState,
                 [&] { tessaly::studio::drawTrackEditor(*tracks.editor, ui, row); });
    panels.render();
    tessaly::app::presentFrame();
    glFinish();
    state.SetIterationTime(seconds(start));
  }
}
BENCHMARK(EditorView)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
