// SyncTrack::valueAt on a 10,000-key track at random rows, the frame
// driver's per-track cost (target: under 50 ns a call).
#include "sync/sync_track.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

tessaly::sync::SyncTrack longTrack() {
  std::vector<tessaly::sync::SyncKey> keys;
  std::mt19937 random(7);
  std::int32_t row = 0;
  for (int i = 0; i < 10000; ++i) {
    row += 1 + static_cast<std::int32_t>(random() % 8);
    keys.push_back({row, static_cast<float>(random() % 1000) / 10.0f,
                    static_cast<tessaly::sync::KeyType>(random() % 4)});
  }
  return tessaly::sync::SyncTrack("bench", std::move(keys));
}

void BM_ValueAtRandomRows(benchmark::State& state) {
  const tessaly::sync::SyncTrack track = longTrack();
  std::mt19937 random(11);
  std::uniform_real_distribution<double> rows(-10.0, track.keys().back().row + 10.0);
  std::vector<double> queries(4096);
  for (double& row : queries) {
    row = rows(random);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(track.valueAt(queries[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueAtRandomRows);

}  // namespace
