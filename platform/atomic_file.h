// Files replaced whole or not at all: what an editor saves must never be
// left torn by a crash, a full disk or a failed write.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::platform {

// Writes `bytes` as the new content of `path`: into a temporary file beside
// it, flushed to the disk, then renamed over `path`, and the folder flushed
// so the rename lasts. At every moment `path` holds either its old content
// or the new one. An existing file's permissions are kept; a new file gets
// 0644 less the umask. On failure the temporary file is removed, `path` is
// untouched and `error` gets "cannot write PATH: reason".
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace tessaly::platform
