// tessaly-track's entry.
#include "tools/track/track_tool.h"

#include <cstdio>

int main(int argc, char** argv) {
  return tessaly::track::runTrackTool(argc, argv, stdout, stderr);
}
