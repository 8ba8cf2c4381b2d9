// tessaly-inspect: prints what the readers make of a content file, as JSON.
// See inspect.h for the commands.
#include "tools/inspect/inspect.h"

#include <cstdio>

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  const int status = tessaly::tools::runInspect(args, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
