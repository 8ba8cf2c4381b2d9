// The two commands of tessaly-track and their messages.
#include "tools/track/track_tool.h"

#include "platform/atomic_file.h"
#include "sync/track_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

namespace tessaly::track {

namespace {

constexpr const char* usage =
    "Usage: tessaly-track export FILE.track\n"
    "       tessaly-track import TEXT FILE.track\n"
    "\n"
    "export  prints the track's keys as text, one key a line: row, value and\n"
    "        interpolation (step, linear, smooth, ramp)\n"
    "import  writes FILE.track from the text in TEXT (- for standard input),\n"
    "        replacing it whole: on any error nothing is written\n";

// The whole file, or nullopt with `error` set.
std::optional<std::string> readAll(const std::string& path, std::string& error) {
  std::ifstream file;
  if (path == "-") {
    std::ostringstream bytes;
    bytes << std::cin.rdbuf();
    return bytes.str();
  }
  file.open(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (file.bad()) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  return bytes.str();
}

int exportTrack(const std::string& path, std::FILE* out, std::FILE* err) {
  std::string error;
  const std::optional<std::string> bytes = readAll(path, error);
  if (!bytes) {
    std::fprintf(err, "tessaly-track: %s\n", error.c_str());
    return 1;
  }
  const std::string text = sync::trackText(sync::splitTrackBytes(*bytes));
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
    std::fprintf(err, "tessaly-track: cannot write the text: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

int importTrack(const std::string& textPath, const std::string& trackPath, std::FILE* err) {
  std::string error;
  const std::optional<std::string> text = readAll(textPath, error);
  if (!text) {
    std::fprintf(err, "tessaly-track: %s\n", error.c_str());
    return 1;
  }
  sync::TrackTextError bad;
  int outOfOrder = 0;
  const std::optional<sync::TrackFile> file = sync::parseTrackText(*text, bad, &outOfOrder);
  const std::string name = textPath == "-" ? "(standard input)" : textPath;
  if (!file) {
    if (bad.line > 0) {
      std::fprintf(err, "%s:%d: %s\n", name.c_str(), bad.line, bad.message.c_str());
    } else {
      std::fprintf(err, "%s: %s\n", name.c_str(), bad.message.c_str());
    }
    std::fprintf(err, "tessaly-track: %s not written\n", trackPath.c_str());
    return 1;
  }
  if (!platform::writeFileAtomically(trackPath, sync::joinTrackBytes(*file), error)) {
    std::fprintf(err, "tessaly-track: %s\n", error.c_str());
    return 1;
  }
  if (outOfOrder > 0) {
    std::fprintf(err,
                 "%s: warning: %d keys do not follow a key of a lower row; the player "
                 "expects rows in ascending order\n",
                 name.c_str(), outOfOrder);
  }
  return 0;
}

}  // namespace

int runTrackTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::fputs(usage, out);
    return 0;
  }
  if (command == "export" && argc == 3) {
    return exportTrack(argv[2], out, err);
  }
  if (command == "import" && argc == 4) {
    return importTrack(argv[2], argv[3], err);
  }
  std::fputs(usage, err);
  return 2;
}

}  // namespace tessaly::track
