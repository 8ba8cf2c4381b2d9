// The studio's transport: where stepping, beat and scene jumps, the loop
// span and the end of the show take the music time. Plain arithmetic on
// seconds and sync rows, no GL and no clock, so every rule is tested alone.
#pragma once

#include "sync/sync_track.h"

#include <vector>

namespace tessaly::studio {

// One stretch of the show with one scene number, from the keys of
// "scene.num": [startRow, endRow).
struct SceneSpan {
  double startRow = 0.0;
  double endRow = 0.0;
  float scene = 0.0f;
};

// The spans of "scene.num" over rows 0..lastRow: a span starts at every key
// whose value differs from the one before (the track holds its first value
// before its first key). Keys at or past lastRow are left out; a track
// without keys is one span of scene 0.
std::vector<SceneSpan> sceneSpans(const std::vector<sync::SyncKey>& keys, double lastRow);

// The rows where the scene changes: the start of every span but the first.
std::vector<double> sceneChangeRows(const std::vector<SceneSpan>& spans);

// A loop span in music seconds; it plays round while on and out > in.
struct LoopSpan {
  double in = 0.0;
  double out = 0.0;
  bool on = false;
  bool active() const { return on && out > in; }
};

class Transport {
 public:
  // A show of `lengthSeconds` with `rowsPerSecond` sync rows a second.
  Transport(double lengthSeconds, double rowsPerSecond);

  double length() const { return length_; }
  double rowsPerSecond() const { return rowsPerSecond_; }

  // Rows per beat for beat steps, at least 1.
  void setRowsPerBeat(int rows);
  int rowsPerBeat() const { return rowsPerBeat_; }

  // The time `count` whole rows (beats) on from `seconds`, backwards for a
  // negative count: a time between rows goes to the next (previous) whole
  // row first. Clamped into 0..length.
  double stepRows(double seconds, int count) const;
  double stepBeats(double seconds, int count) const;

  // The next scene change after `seconds` (length when there is none), the
  // previous one before it (0 when there is none). A time on a change counts
  // as after it, so Page Up there goes to the change before.
  void setSceneChanges(std::vector<double> rows);
  double nextSceneChange(double seconds) const;
  double previousSceneChange(double seconds) const;

  // Clamped into 0..length.
  double clamp(double seconds) const;

  // Setting the loop span's ends at a time; an end that would cross the
  // other moves the other to the show's start (in) or end (out).
  void setLoopIn(double seconds);
  void setLoopOut(double seconds);
  // The span between two times in either order, switched on (a drag on the
  // timeline).
  void setLoopSpan(double a, double b);
  LoopSpan& loop() { return loop_; }
  const LoopSpan& loop() const { return loop_; }

  // What to do with the time the clock reached: go on, jump back to the
  // loop span's start, go round to 0 (the show loops) or stop at its end.
  struct Next {
    enum class Action { play, seek, pause } action = Action::play;
    double seconds = 0.0;  // where to seek (seek, pause)
  };
  Next afterTick(double seconds, bool showLoops) const;

 private:
  double stepOnGrid(double seconds, double rowsPerStep, int count) const;

  double length_;
  double rowsPerSecond_;
  int rowsPerBeat_ = 8;
  std::vector<double> sceneChanges_;  // rows, ascending
  LoopSpan loop_;
};

// The playback speeds the - and = keys step through.
double slowerSpeed(double speed);
double fasterSpeed(double speed);

}  // namespace tessaly::studio
