// tessaly-inspect: prints what the readers make of a content file, as JSON.
// See inspect.h for the commands.
#include "tools/inspect/inspect.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  int status = tessaly::tools::runInspect(args, out, err);
  // JSON that did not reach its reader is a failure, whether the write, the
  // flush or the close finds it (a full disk, a closed pipe).
  errno = 0;
  bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
  written = std::fflush(stdout) == 0 && written;
  const int writeError = errno;
  written = std::fclose(stdout) == 0 && written;
  if (!written) {
    const int reason = writeError != 0 ? writeError : (errno != 0 ? errno : EIO);
    err.append("tessaly-inspect: cannot write standard output: ").append(std::strerror(reason)).append("\n");
    if (status == tessaly::tools::exitOk) {
      status = tessaly::tools::exitUnreadable;
    }
  }
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
