// Stepping, scene jumps, the loop span and the end of the show.
#include "tools/studio/transport.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessaly::studio {

namespace {

// A time read back from a whole row may sit a hair below it: within this
// many rows a time counts as on the row.
constexpr double onRow = 1e-6;

constexpr std::array<double, 7> speeds = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0};

}  // namespace

std::vector<SceneSpan> sceneSpans(const std::vector<sync::SyncKey>& keys, double lastRow) {
  std::vector<SceneSpan> spans;
  if (keys.empty()) {
    spans.push_back({0.0, lastRow, 0.0f});
    return spans;
  }
  spans.push_back({0.0, lastRow, keys.front().value});
  for (const sync::SyncKey& key : keys) {
    const double row = key.row;
    if (row >= lastRow) {
      break;
    }
    if (key.value == spans.back().scene) {
      continue;
    }
    if (row <= spans.back().startRow) {
      spans.back().scene = key.value;  // a key at the span's own start
      continue;
    }
    spans.back().endRow = row;
    spans.push_back({row, lastRow, key.value});
  }
  return spans;
}

std::vector<double> sceneChangeRows(const std::vector<SceneSpan>& spans) {
  std::vector<double> rows;
  for (std::size_t i = 1; i < spans.size(); ++i) {
    rows.push_back(spans[i].startRow);
  }
  return rows;
}

Transport::Transport(double lengthSeconds, double rowsPerSecond)
    : length_(lengthSeconds), rowsPerSecond_(rowsPerSecond) {}

void Transport::setRowsPerBeat(int rows) { rowsPerBeat_ = std::max(rows, 1); }

double Transport::clamp(double seconds) const { return std::clamp(seconds, 0.0, length_); }

double Transport::stepOnGrid(double seconds, double rowsPerStep, int count) const {
  const double step = seconds * rowsPerSecond_ / rowsPerStep;
  double target = 0.0;
  if (count > 0) {
    target = std::floor(step + onRow) + count;
  } else if (count < 0) {
    target = std::ceil(step - onRow) + count;
  } else {
    target = step;
  }
  return clamp(target * rowsPerStep / rowsPerSecond_);
}

double Transport::stepRows(double seconds, int count) const {
  return stepOnGrid(seconds, 1.0, count);
}

double Transport::stepBeats(double seconds, int count) const {
  return stepOnGrid(seconds, rowsPerBeat_, count);
}

void Transport::setSceneChanges(std::vector<double> rows) {
  std::sort(rows.begin(), rows.end());
  sceneChanges_ = std::move(rows);
}

double Transport::nextSceneChange(double seconds) const {
  const double row = seconds * rowsPerSecond_;
  for (const double change : sceneChanges_) {
    if (change > row + onRow) {
      return clamp(change / rowsPerSecond_);
    }
  }
  return length_;
}

double Transport::previousSceneChange(double seconds) const {
  const double row = seconds * rowsPerSecond_;
  for (auto it = sceneChanges_.rbegin(); it != sceneChanges_.rend(); ++it) {
    if (*it < row - onRow) {
      return clamp(*it / rowsPerSecond_);
    }
  }
  return 0.0;
}

void Transport::setLoopIn(double seconds) {
  loop_.in = clamp(seconds);
  if (loop_.out <= loop_.in) {
    loop_.out = length_;
  }
  loop_.on = true;
}

void Transport::setLoopOut(double seconds) {
  loop_.out = clamp(seconds);
  if (loop_.out <= loop_.in) {
    loop_.in = 0.0;
  }
  loop_.on = true;
}

void Transport::setLoopSpan(double a, double b) {
  loop_.in = clamp(std::min(a, b));
  loop_.out = clamp(std::max(a, b));
  loop_.on = true;
}

Transport::Next Transport::afterTick(double seconds, bool showLoops) const {
  if (loop_.active() && seconds >= loop_.out) {
    return {Next::Action::seek, loop_.in};
  }
  if (seconds >= length_) {
    if (showLoops) {
      return {Next::Action::seek, 0.0};
    }
    return {Next::Action::pause, length_};
  }
  return {Next::Action::play, seconds};
}

double slowerSpeed(double speed) {
  for (auto it = speeds.rbegin(); it != speeds.rend(); ++it) {
    if (*it < speed - 1e-9) return *it;
  }
  return speeds.front();
}

double fasterSpeed(double speed) {
  for (const double s : speeds) {
    if (s > speed + 1e-9) return s;
  }
  return speeds.back();
}

}  // namespace tessaly::studio
