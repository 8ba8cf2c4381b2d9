// Parsing of tessaly-capture's command line and the arithmetic of frame
// times.
#include "tools/capture/capture_options.h"

#include "sync/music_player.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tessaly::capture {

namespace {

// Largest side of a capture, in pixels: far beyond any display, still within
// what GL implementations accept for a window's framebuffer.
constexpr int maxSide = 16384;
constexpr int maxFps = 1000;
// Times beyond this are surely typing errors (the show lasts 81.6 s).
constexpr double maxSeconds = 24.0 * 3600.0;

std::optional<double> parseNumber(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || at != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> parseInt(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || at != end) {
    return std::nullopt;
  }
  return value;
}

bool parseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) {
    return false;
  }
  const auto w = parseInt(text.substr(0, x));
  const auto h = parseInt(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > maxSide || *h > maxSide) {
    return false;
  }
  width = *w;
  height = *h;
  return true;
}

// Times separated by commas, each with the text it was given as.
bool parseTimeList(const std::string& text, std::vector<std::pair<std::string, double>>& times) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma - start);
    const auto time = parseTime(item);
    if (!time) {
      return false;
    }
    times.emplace_back(std::move(item), *time);
    if (comma == std::string::npos) {
      return true;
    }
    start = comma + 1;
  }
}

// "90 s" or "1200r (86.12 s)": a time as given, for messages.
std::string describeTime(const std::string& text, double seconds) {
  char described[96];
  if (!text.empty() && (text.back() == 'r' || text.back() == 'R')) {
    std::snprintf(described, sizeof described, "%s (%.2f s)", text.c_str(), seconds);
  } else {
    std::snprintf(described, sizeof described, "%s s", text.c_str());
  }
  return described;
}

// A warning for a time past the show's end, or nothing.
std::optional<std::string> pastTheEnd(const std::string& option, const std::string& text,
                                      double seconds) {
  // Frame arithmetic may land a hair past 81.6: that is the end, not past it.
  if (seconds <= showLength + 1e-9) {
    return std::nullopt;
  }
  char end[32];
  std::snprintf(end, sizeof end, "%g", showLength);
  return option + " " + describeTime(text, seconds) + " is past the show's end at " + end +
         " s";
}

}  // namespace

std::optional<double> parseTime(const std::string& text) {
  const bool rows = !text.empty() && (text.back() == 'r' || text.back() == 'R');
  const auto value = parseNumber(rows ? text.substr(0, text.size() - 1) : text);
  if (!value || *value < 0.0) {
    return std::nullopt;
  }
  const double seconds = rows ? *value / sync::rowsPerSecond : *value;
  if (seconds > maxSeconds) {
    return std::nullopt;
  }
  return seconds;
}

std::optional<PictureFormat> pictureFormat(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) {
    return PictureFormat::png;
  }
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "png") return PictureFormat::png;
  if (extension == "jpg" || extension == "jpeg") return PictureFormat::jpeg;
  return std::nullopt;
}

const char* usageText() {
  return "usage: tessaly-capture [--size WxH] [--fps N] [--from T] [--to T] [--no-multisampling]\n"
         "                       (--at T[,T...] -o FILE.png\n"
         "                        | [--video FILE.mp4] [--sheet FILE.png [--columns N] [--count M]]\n"
         "                          [--frames DIR/%05d.png])\n"
         "Renders the production in ./Data at a fixed time base: frame n at n / fps seconds.\n"
         "A time T is in seconds (12.5) or in sync rows with an r (120r; 836 rows a minute).\n"
         "  --size WxH          picture size (default 1280x720)\n"
         "  --fps N             frames per second of music time (default 60)\n"
         "  --from T, --to T    the span of --video, --sheet and --frames (default 0 to the\n"
         "                      show's end, 81.6 s)\n"
         "  --no-multisampling  render without 4x multisampling\n"
         "  --at T[,T...]       one picture per time; with several times the -o name needs a %d\n"
         "  --video FILE.mp4    H.264 video of the span with the soundtrack (needs ffmpeg)\n"
         "  --sheet FILE.png    a contact sheet of --count (12) frames in --columns (4)\n"
         "  --frames DIR/%05d.png  every frame of the span as a picture, numbered by frame\n"
         "                      (frame n at n / fps s); DIR is made when missing\n"
         "--video, --sheet and --frames may be given together: one render makes them all.\n"
         "Pictures whose name ends in .jpg or .jpeg are JPEG, the others PNG.\n";
}

ParseResult parseOptions(const std::vector<std::string>& arguments) {
  ParseResult result;
  CaptureOptions& options = result.options;
  bool columnsGiven = false;
  bool countGiven = false;
  std::string stillPattern;
  std::vector<std::pair<std::string, double>> stillTimes;
  std::string fromText;
  std::string toText;
  const auto fail = [&](std::string message) {
    result.error = std::move(message);
    result.warnings.clear();
    return result;
  };
  constexpr const char* oneMode = "--at goes alone, not with --video, --sheet or --frames";

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> inlineValue;
    if (name.rfind("--", 0) == 0) {
      if (const auto equals = name.find('='); equals != std::string::npos) {
        inlineValue = name.substr(equals + 1);
        name.resize(equals);
      }
    }
    const auto takesNoValue = [&] { return !inlineValue.has_value(); };
    // The option's value: after '=' or the next argument.
    const auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) {
        return inlineValue;
      }
      if (i + 1 >= arguments.size()) {
        return std::nullopt;
      }
      return arguments[++i];
    };

    if (name == "--help" || name == "-h") {
      options.help = true;
      return result;
    }
    if (name == "--no-multisampling") {
      if (!takesNoValue()) return fail("--no-multisampling takes no value");
      options.multisampling = false;
    } else if (name == "--size") {
      const auto text = value();
      if (!text || !parseSize(*text, options.width, options.height)) {
        return fail("--size wants WxH, each from 1 to 16384 (e.g. 1280x720)");
      }
    } else if (name == "--fps") {
      const auto text = value();
      const auto fps = text ? parseInt(*text) : std::nullopt;
      if (!fps || *fps < 1 || *fps > maxFps) {
        return fail("--fps wants a whole number from 1 to 1000");
      }
      options.fps = *fps;
    } else if (name == "--from" || name == "--to") {
      const auto text = value();
      const auto time = text ? parseTime(*text) : std::nullopt;
      if (!time) {
        return fail(name + " wants a time in seconds or rows (e.g. 12.5 or 120r), 0 or more");
      }
      (name == "--from" ? options.from : options.to) = *time;
      (name == "--from" ? fromText : toText) = *text;
    } else if (name == "--at") {
      const auto text = value();
      if (!text || !parseTimeList(*text, stillTimes)) {
        return fail(
            "--at wants times in seconds or rows (e.g. 12.5 or 120r), 0 or more, separated by "
            "commas");
      }
      if (options.mode == OutputMode::span) return fail(oneMode);
      options.mode = OutputMode::stills;
    } else if (name == "-o" || name == "--output") {
      const auto text = value();
      if (!text || text->empty()) return fail("-o wants a file name");
      stillPattern = *text;
    } else if (name == "--sheet" || name == "--video" || name == "--frames") {
      const auto text = value();
      if (!text || text->empty()) return fail(name + " wants a file name");
      if (options.mode == OutputMode::stills) return fail(oneMode);
      options.mode = OutputMode::span;
      (name == "--sheet" ? options.sheet : name == "--video" ? options.video : options.frames) =
          *text;
    } else if (name == "--columns" || name == "--count") {
      const auto text = value();
      const auto number = text ? parseInt(*text) : std::nullopt;
      if (!number || *number < 1 || *number > 1000) {
        return fail(name + " wants a whole number from 1 to 1000");
      }
      (name == "--columns" ? options.columns : options.count) = *number;
      (name == "--columns" ? columnsGiven : countGiven) = true;
    } else {
      return fail("unknown argument '" + arguments[i] + "'");
    }
  }

  // A picture's name says its format: .png (or none) or .jpg.
  const auto unknownFormat = [](const std::string& option, const std::string& path) {
    return option + " wants a picture name ending in .png, .jpg or .jpeg, not '" + path + "'";
  };
  switch (options.mode) {
    case OutputMode::none:
      return fail("nothing to capture: give --at, --video, --sheet or --frames");
    case OutputMode::stills:
      if (stillPattern.empty()) return fail("--at needs -o FILE.png");
      if (!stillFileName(stillPattern, 1, 1)) {
        return fail("the -o name '" + stillPattern +
                    "' has a '%' that is not %d, %0Nd or %% (write %% for a literal %)");
      }
      if (!stillFileName(stillPattern, 1, static_cast<long>(stillTimes.size()))) {
        return fail("several --at times need a %d in the -o name (e.g. frame%02d.png)");
      }
      if (!pictureFormat(stillPattern)) return fail(unknownFormat("-o", stillPattern));
      options.output = stillPattern;
      for (const auto& [text, seconds] : stillTimes) {
        options.stillTimes.push_back(seconds);
        if (auto warning = pastTheEnd("--at", text, seconds)) {
          result.warnings.push_back(std::move(*warning));
        }
      }
      break;
    case OutputMode::span:
      if (!stillPattern.empty()) return fail("-o goes with --at");
      if (!options.sheet.empty() && !pictureFormat(options.sheet)) {
        return fail(unknownFormat("--sheet", options.sheet));
      }
      if (!options.frames.empty()) {
        if (!stillFileName(options.frames, 1, 1)) {
          return fail("the --frames name '" + options.frames +
                      "' has a '%' that is not %d, %0Nd or %% (write %% for a literal %)");
        }
        if (!pictureFormat(options.frames)) return fail(unknownFormat("--frames", options.frames));
      }
      break;
  }
  if ((columnsGiven || countGiven) && options.sheet.empty()) {
    return fail("--columns and --count go with --sheet");
  }
  if (options.mode == OutputMode::span) {
    const FrameSpan span = frameSpan(options.from, options.to, options.fps);
    if (span.frameCount < 1) {
      return fail("the span from --from to --to holds no frame");
    }
    if (!options.frames.empty() && !stillFileName(options.frames, 1, span.frameCount)) {
      return fail("--frames needs a %d in its name for the frame number (e.g. frames/%05d.png)");
    }
    if (auto warning = pastTheEnd("--from", fromText, options.from)) {
      result.warnings.push_back(std::move(*warning));
    } else if (auto toWarning = pastTheEnd("--to", toText, options.to)) {
      result.warnings.push_back(std::move(*toWarning));
    }
  }
  return result;
}

FrameSpan frameSpan(double from, double to, int fps) {
  // A frame time a hair below a whole frame counts as that frame, so 81.6 s
  // at 60 fps ends after frame 4895 whatever the decimal rounding.
  constexpr double slack = 1e-6;
  const long first = static_cast<long>(std::ceil(from * fps - slack));
  const long end = static_cast<long>(std::ceil(to * fps - slack));
  return {first, end > first ? end - first : 0};
}

double frameTime(long frame, int fps) {
  return static_cast<double>(frame) / fps;
}

std::vector<long> sheetFrames(const FrameSpan& span, int count) {
  std::vector<long> frames;
  frames.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double middle = (i + 0.5) * static_cast<double>(span.frameCount) / count;
    frames.push_back(span.firstFrame + static_cast<long>(middle));
  }
  return frames;
}

std::optional<std::string> stillFileName(const std::string& pattern, long index, long total) {
  std::string name;
  bool numbered = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      name.push_back(pattern[i]);
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      name.push_back('%');
      ++i;
      continue;
    }
    // %[0][width]d
    std::size_t j = i + 1;
    const bool zeroPad = j < pattern.size() && pattern[j] == '0';
    if (zeroPad) ++j;
    int width = 0;
    while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100) {
      width = width * 10 + (pattern[j] - '0');
      ++j;
    }
    if (j >= pattern.size() || pattern[j] != 'd' || width > 32) {
      return std::nullopt;
    }
    char digits[48];
    std::snprintf(digits, sizeof digits, zeroPad ? "%0*ld" : "%*ld", width, index);
    name += digits;
    numbered = true;
    i = j;
  }
  if (!numbered && total > 1) {
    return std::nullopt;
  }
  return name;
}

}  // namespace tessaly::capture
