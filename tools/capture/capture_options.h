// The command line of tessaly-capture and the frame times it asks for.
// Plain data and arithmetic, no GL.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaly::capture {

enum class OutputMode { none, stills, sheet, video };

struct CaptureOptions {
  int width = 1280;
  int height = 720;
  int fps = 60;
  double from = 0.0;
  double to = 81.6;  // the length of the production
  bool multisampling = true;

  OutputMode mode = OutputMode::none;
  std::vector<double> stillTimes;  // --at
  std::string output;              // -o, --sheet or --video file
  int columns = 4;                 // --sheet
  int count = 12;                  // --sheet
  bool help = false;
};

// The parsed command line, or the reason it is unusable (one line, without
// the program name).
struct ParseResult {
  CaptureOptions options;
  std::string error;  // empty when the options are usable
};

ParseResult parseOptions(const std::vector<std::string>& arguments);

// The usage text printed by --help and after a usage error.
const char* usageText();

// Frame n of a capture lies at n / fps seconds. The frames of the span
// [from, to) are firstFrame .. firstFrame + frameCount - 1.
struct FrameSpan {
  long firstFrame = 0;
  long frameCount = 0;
};
FrameSpan frameSpan(double from, double to, int fps);

// The time of frame n: n / fps.
double frameTime(long frame, int fps);

// The frames of a contact sheet: `count` frames spread evenly over the span,
// each the middle frame of its share of the span.
std::vector<long> sheetFrames(const FrameSpan& span, int count);

// The file name of still number `index` (from 1) of `total`: a printf-style
// "%d" (with optional zero padding and width, e.g. "%03d") in `pattern` is
// replaced by the index; "%%" is a literal '%'. Nothing when the pattern
// holds no number but several stills are asked for, or holds a malformed
// '%' conversion.
std::optional<std::string> stillFileName(const std::string& pattern, int index, int total);

}  // namespace tessaly::capture
