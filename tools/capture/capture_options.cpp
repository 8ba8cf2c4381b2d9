// Parsing of tessaly-capture's command line and the arithmetic of frame
// times.
#include "tools/capture/capture_options.h"

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

std::optional<double> parseTime(const std::string& text) {
  const auto value = parseNumber(text);
  if (!value || *value < 0.0 || *value > maxSeconds) {
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

bool parseTimeList(const std::string& text, std::vector<double>& times) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const auto time = parseTime(text.substr(start, comma - start));
    if (!time) {
      return false;
    }
    times.push_back(*time);
    if (comma == std::string::npos) {
      return true;
    }
    start = comma + 1;
  }
}

}  // namespace

const char* usageText() {
  return "usage: tessaly-capture [--size WxH] [--fps N] [--from S] [--to S] [--no-multisampling]\n"
         "                       (--at S[,S...] -o FILE.png\n"
         "                        | --sheet FILE.png [--columns N] [--count M]\n"
         "                        | --video FILE.mp4)\n"
         "Renders the production in ./Data at a fixed time base: frame n at n / fps seconds.\n"
         "  --size WxH          picture size (default 1280x720)\n"
         "  --fps N             frames per second of music time (default 60)\n"
         "  --from S, --to S    the span in seconds for --sheet and --video (default 0 to 81.6)\n"
         "  --no-multisampling  render without 4x multisampling\n"
         "  --at S[,S...]       one PNG per time; with several times the -o name needs a %d\n"
         "  --sheet FILE.png    a contact sheet of --count (12) frames in --columns (4)\n"
         "  --video FILE.mp4    H.264 video of the span with the soundtrack (needs ffmpeg)\n";
}

ParseResult parseOptions(const std::vector<std::string>& arguments) {
  ParseResult result;
  CaptureOptions& options = result.options;
  bool columnsGiven = false;
  bool countGiven = false;
  std::string stillPattern;
  const auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  const auto setMode = [&](OutputMode mode) {
    if (options.mode != OutputMode::none && options.mode != mode) {
      return false;
    }
    options.mode = mode;
    return true;
  };

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
        return fail(name + " wants a time in seconds, 0 or more");
      }
      (name == "--from" ? options.from : options.to) = *time;
    } else if (name == "--at") {
      const auto text = value();
      if (!text || !parseTimeList(*text, options.stillTimes)) {
        return fail("--at wants times in seconds, 0 or more, separated by commas");
      }
      if (!setMode(OutputMode::stills)) return fail("choose one of --at, --sheet and --video");
    } else if (name == "-o" || name == "--output") {
      const auto text = value();
      if (!text || text->empty()) return fail("-o wants a file name");
      stillPattern = *text;
    } else if (name == "--sheet" || name == "--video") {
      const auto text = value();
      if (!text || text->empty()) return fail(name + " wants a file name");
      if (!setMode(name == "--sheet" ? OutputMode::sheet : OutputMode::video)) {
        return fail("choose one of --at, --sheet and --video");
      }
      options.output = *text;
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

  switch (options.mode) {
    case OutputMode::none:
      return fail("nothing to capture: give --at, --sheet or --video");
    case OutputMode::stills:
      if (stillPattern.empty()) return fail("--at needs -o FILE.png");
      if (!stillFileName(stillPattern, 1, 1)) {
        return fail("the -o name '" + stillPattern +
                    "' has a '%' that is not %d, %0Nd or %% (write %% for a literal %)");
      }
      if (!stillFileName(stillPattern, 1, static_cast<int>(options.stillTimes.size()))) {
        return fail("several --at times need a %d in the -o name (e.g. frame%02d.png)");
      }
      options.output = stillPattern;
      break;
    case OutputMode::sheet:
    case OutputMode::video:
      if (!stillPattern.empty()) return fail("-o goes with --at");
      break;
  }
  if ((columnsGiven || countGiven) && options.mode != OutputMode::sheet) {
    return fail("--columns and --count go with --sheet");
  }
  if (options.mode != OutputMode::stills &&
      frameSpan(options.from, options.to, options.fps).frameCount < 1) {
    return fail("the span from --from to --to holds no frame");
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

std::optional<std::string> stillFileName(const std::string& pattern, int index, int total) {
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
    std::snprintf(digits, sizeof digits, zeroPad ? "%0*d" : "%*d", width, index);
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
