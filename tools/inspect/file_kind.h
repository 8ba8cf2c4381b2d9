// What kind of content file some bytes look like, told from their first
// bytes and words, so that a command refuses a file of another kind (a
// model handed to `track`) instead of printing what its reader makes of it.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::tools {

enum class FileKind {
  empty,
  png,
  jpeg,
  mp3,
  mayaAscii,   // text starting with "//Maya"
  trackText,   // tessaly-track's text form
  mtlText,     // text with "newmtl" lines
  objText,     // text with "v", "vt", "vn" or "f" records
  glslText,    // text with "#version" or "void main"
  otherText,   // text of none of the kinds above
  binary,      // bytes with NULs or controls: a sync track file, or anything else binary
};

// The kind of a file from its first bytes (a few KiB suffice).
FileKind fileKindOf(std::string_view head);

// The kind of the file at `path` from its first 64 KiB; binary when it
// cannot be read.
FileKind fileKindOfPath(const std::string& path);

// In words for a message: "a PNG picture", "an OBJ model", ...
const char* fileKindName(FileKind kind);

}  // namespace tessaly::tools
