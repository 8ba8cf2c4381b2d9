// Any command line for tessaly-capture (arguments separated by NUL bytes):
// parsing never faults, and what it accepts is usable as it stands: sizes
// and rates in range, a file name for every still, a span with a frame.
#include "tools/capture/capture_options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly::capture;
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back().push_back(static_cast<char>(data[i]));
    }
  }
  for (const std::string& argument : arguments) {
    // Every argument also as an output pattern. A conversion takes two
    // characters or more and writes at most 32, so a name is at most 16
    // times its pattern.
    if (const auto name = stillFileName(argument, 123456789, 2)) {
      require(name->size() <= 16 * argument.size());
    }
  }
  const ParseResult parsed = parseOptions(arguments);
  if (parsed.options.help || !parsed.error.empty()) {
    return 0;
  }
  const CaptureOptions& options = parsed.options;
  require(options.width >= 1 && options.width <= 16384 && options.height >= 1 &&
          options.height <= 16384);
  require(options.fps >= 1 && options.fps <= 1000);
  switch (options.mode) {
    case OutputMode::stills: {
      const long total = static_cast<long>(options.stillTimes.size());
      require(total >= 1);
      for (long i = 1; i <= total; ++i) {
        require(stillFileName(options.output, i, total).has_value());
      }
      require(pictureFormat(options.output).has_value());
      break;
    }
    case OutputMode::span: {
      require(!options.video.empty() || !options.sheet.empty() || !options.frames.empty());
      const FrameSpan span = frameSpan(options.from, options.to, options.fps);
      require(span.frameCount >= 1);
      if (!options.sheet.empty()) {
        for (const long frame : sheetFrames(span, options.count)) {
          require(frame >= span.firstFrame && frame < span.firstFrame + span.frameCount);
        }
      }
      if (!options.frames.empty()) {
        require(stillFileName(options.frames, span.firstFrame + span.frameCount - 1,
                              span.frameCount)
                    .has_value());
      }
      break;
    }
    case OutputMode::none:
      std::abort();  // accepted without anything to capture
  }
  return 0;
}
