// The progress line of a capture on stderr: a bar, frames done of the total,
// frames per second and the time left.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace tessaly::capture {

// "[##########..........]  120/4896  31.2 fps  2:33 left": `elapsed` is the
// time since the first frame began. Before any frame is done the rate and
// the time left are unknown and shown as "--".
std::string formatProgress(long done, long total, double elapsedSeconds);

class ProgressBar {
 public:
  // Shows nothing for a total of one frame or less. On a terminal the line
  // is redrawn in place at most ten times a second; otherwise a line is
  // written at every tenth of the way.
  ProgressBar(long total, std::FILE* stream = stderr);

  // Reports `done` frames finished.
  void update(long done);
  // Ends the line after the last update.
  void finish();

 private:
  long total_;
  std::FILE* stream_;
  bool terminal_;
  bool shown_ = false;
  long lastTenth_ = -1;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tessaly::capture
