// Atomic replacement with POSIX calls: a temporary file in the same folder
// (so the rename stays on one file system), fsync of the file before the
// rename and of the folder after it.
#include "platform/atomic_file.h"

#include "platform/atomic_file_detail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace tessaly::platform {

namespace detail {

namespace {

int openFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

const FileCalls& systemFileCalls() {
  static const FileCalls calls{openFile, ::write, ::fsync, ::close, ::rename, ::unlink};
  return calls;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const FileCalls& calls) {
  static std::atomic<unsigned> serial{0};
  const std::string temporary =
      path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
  auto fail = [&](int code, bool removeTemporary) {
    error = "cannot write " + path + ": " + std::strerror(code);
    if (removeTemporary) {
      calls.unlink(temporary.c_str());
    }
    return false;
  };

  // The new file takes the old one's permissions.
  mode_t mode = 0644;
  struct stat existing {};
  if (stat(path.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) {
      return fail(EISDIR, false);
    }
    mode = existing.st_mode & 07777;
  }
  const int fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    return fail(errno, false);
  }
  if (stat(path.c_str(), &existing) == 0) {
    fchmod(fd, existing.st_mode & 07777);  // open's mode is cut by the umask
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t step = calls.write(fd, bytes.data() + written, bytes.size() - written);
    if (step < 0 && errno == EINTR) {
      continue;
    }
    if (step <= 0) {
      const int code = step < 0 ? errno : ENOSPC;
      calls.close(fd);
      return fail(code, true);
    }
    written += static_cast<std::size_t>(step);
  }
  if (calls.fsync(fd) != 0) {
    const int code = errno;
    calls.close(fd);
    return fail(code, true);
  }
  if (calls.close(fd) != 0) {
    return fail(errno, true);
  }
  if (calls.rename(temporary.c_str(), path.c_str()) != 0) {
    return fail(errno, true);
  }
  // The rename itself is made durable with the folder; when that fails the
  // new content is in place all the same.
  const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    calls.fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace detail

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  return detail::writeFileAtomically(path, bytes, error, detail::systemFileCalls());
}

}  // namespace tessaly::platform
