// The command line of tessaly-capture and the frame times it asks for.
// Plain data and arithmetic, no GL.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaly::capture {

// The length of the production in music seconds.
inline constexpr double showLength = 81.6;

// What a capture writes: stills at given times (--at with -o), or outputs
// of one span (--video, --sheet and --frames, any of them together, all
// made from the same frames in one pass).
enum class OutputMode { none, stills, span };

// How a picture file is encoded, chosen by its name's extension.
enum class PictureFormat { png, jpeg };

struct CaptureOptions {
  int width = 1280;
  int height = 720;
  int fps = 60;
  double from = 0.0;
  double to = showLength;
  bool multisampling = true;

  OutputMode mode = OutputMode::none;
  std::vector<double> stillTimes;  // --at
  std::string output;              // -o: the stills' name, "%d" numbered
  std::string video;               // --video FILE.mp4
  std::string sheet;               // --sheet FILE.png
  std::string frames;              // --frames DIR/%05d.png, numbered by frame
  int columns = 4;                 // --sheet
  int count = 12;                  // --sheet
  bool help = false;
};

// The parsed command line, or the reason it is unusable (one line, without
// the program name). Warnings are about options that are usable but likely
// not meant (a time past the show's end), one line each.
struct ParseResult {
  CaptureOptions options;
  std::string error;  // empty when the options are usable
  std::vector<std::string> warnings;
};

ParseResult parseOptions(const std::vector<std::string>& arguments);

// The usage text printed by --help and after a usage error.
const char* usageText();

// A time of the command line: seconds ("12.5"), or sync rows with an "r"
// ("120r", at the show's 836 rows a minute). Nothing when it is not a
// number of 0 or more (at most a day).
std::optional<double> parseTime(const std::string& text);

// The format of a picture named `path`: JPEG for ".jpg" and ".jpeg" (in
// any case), PNG for ".png" and for a name without extension; nothing for
// any other extension.
std::optional<PictureFormat> pictureFormat(const std::string& path);

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

// The file name of still number `index` of `total`: a printf-style "%d"
// (with optional zero padding and width, e.g. "%03d") in `pattern` is
// replaced by the index; "%%" is a literal '%'. Nothing when the pattern
// holds no number but several stills are asked for, or holds a malformed
// '%' conversion.
std::optional<std::string> stillFileName(const std::string& pattern, long index, long total);

}  // namespace tessaly::capture
