// Telling content files apart by their first bytes.
#include "tools/inspect/file_kind.h"

#include "sync/track_text.h"

#include <fstream>

namespace tessaly::tools {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// An MPEG audio frame header: the sync bits, a layer, and a bit rate and
// sample rate that are not the reserved values.
bool isMpegFrameHeader(std::string_view head) {
  if (head.size() < 4) {
    return false;
  }
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  return byte(0) == 0xFF && (byte(1) & 0xE0) == 0xE0 && ((byte(1) >> 1) & 3) != 0 &&
         ((byte(1) >> 3) & 3) != 1 && (byte(2) >> 4) != 0xF && ((byte(2) >> 2) & 3) != 3;
}

bool isText(std::string_view head) {
  for (const char c : head) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0 || (byte < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f' && c != '\v')) {
      return false;
    }
  }
  return true;
}

// The first word of a line, after leading blanks.
std::string_view firstWord(std::string_view line) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) {
    return {};
  }
  line.remove_prefix(start);
  return line.substr(0, line.find_first_of(" \t\r"));
}

FileKind textKind(std::string_view head) {
  if (startsWith(head, "//Maya")) {
    return FileKind::mayaAscii;
  }
  if (startsWith(head, sync::trackTextHeading)) {
    return FileKind::trackText;
  }
  bool obj = false;
  bool glsl = false;
  while (!head.empty()) {
    const std::size_t end = head.find('\n');
    const std::string_view line = head.substr(0, end);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
    const std::string_view word = firstWord(line);
    if (word == "newmtl") {
      return FileKind::mtlText;
    }
    if (word == "v" || word == "vt" || word == "vn" || word == "f") {
      obj = true;
    } else if (word == "#version" || (word == "void" && line.find("main") != std::string_view::npos)) {
      glsl = true;
    }
  }
  if (obj) {
    return FileKind::objText;
  }
  return glsl ? FileKind::glslText : FileKind::otherText;
}

}  // namespace

FileKind fileKindOf(std::string_view head) {
  if (head.empty()) {
    return FileKind::empty;
  }
  if (startsWith(head, "\x89PNG\r\n\x1a\n")) {
    return FileKind::png;
  }
  if (startsWith(head, "\xFF\xD8\xFF")) {
    return FileKind::jpeg;
  }
  if (startsWith(head, "ID3") || isMpegFrameHeader(head)) {
    return FileKind::mp3;
  }
  if (!isText(head)) {
    return FileKind::binary;
  }
  return textKind(head);
}

FileKind fileKindOfPath(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(64 * 1024, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  if (in.bad()) {
    return FileKind::binary;
  }
  head.resize(static_cast<std::size_t>(in.gcount()));
  return fileKindOf(head);
}

const char* fileKindName(FileKind kind) {
  switch (kind) {
    case FileKind::empty: return "an empty file";
    case FileKind::png: return "a PNG picture";
    case FileKind::jpeg: return "a JPEG picture";
    case FileKind::mp3: return "an MP3 soundtrack";
    case FileKind::mayaAscii: return "a Maya ASCII scene";
    case FileKind::trackText: return "a sync track as text (tessaly-track import makes the file)";
    case FileKind::mtlText: return "an MTL material library";
    case FileKind::objText: return "an OBJ model";
    case FileKind::glslText: return "a GLSL shader";
    case FileKind::otherText: return "text";
    case FileKind::binary: return "binary data";
  }
  return "binary data";
}

}  // namespace tessaly::tools
