// The system calls an atomic write goes through, for tests that make each
// step fail in turn. Not for the program's own use.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tessaly::platform::detail {

struct FileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};

// The standard calls.
const FileCalls& systemFileCalls();

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const FileCalls& calls);

}  // namespace tessaly::platform::detail
