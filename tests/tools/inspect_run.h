// tessaly-inspect run in the test's process, its status and both streams
// kept.
#pragma once

#include "tools/inspect/inspect.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::tools {

struct InspectOutcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline InspectOutcome inspect(std::vector<std::string> args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  InspectOutcome run;
  run.status = runInspect(views, run.out, run.err);
  return run;
}

}  // namespace tessaly::tools
