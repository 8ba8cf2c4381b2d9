// The command line of tessaly-studio. Plain data, no GL.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaly::studio {

struct StudioOptions {
  std::string directory = ".";  // the folder that holds Data/
  int width = 1280;             // the window's first size
  int height = 720;
  bool multisampling = true;
  bool loop = false;            // the show plays round at its end instead of pausing
  double speed = 1.0;           // 0.25 to 2
  int rowsPerBeat = 8;          // Shift+Left/Right step this many rows
  std::optional<double> at;     // start paused at this music time
  bool panels = true;           // inspector and messages shown at start
  std::string shot;             // write the first frame here, then exit
  std::string shotAfterReload;  // write the first frame after a reload here, then exit
  bool shotWithPanels = false;  // shots hold the panels and timeline too
  bool editor = false;          // the track editor open at start
  std::string shotAfterSave;    // write the first frame after a track save here, then exit
  double timeout = 60.0;        // seconds --shot-after-reload waits for a reload
  bool help = false;
};

// The parsed command line, or the reason it is unusable (one line, without
// the program name).
struct ParseResult {
  StudioOptions options;
  std::string error;  // empty when the options are usable
};

ParseResult parseStudioOptions(const std::vector<std::string>& arguments);

// The text --help prints: usage, options and every key.
const char* studioUsageText();

}  // namespace tessaly::studio
