// tessaly-track: the production's sync tracks as plain text for git and
// scripts. "export FILE.track" prints the text form; "import TEXT FILE.track"
// writes the binary file from it, atomically, or nothing at all.
#pragma once

#include <cstdio>

namespace tessaly::track {

// Runs the tool on its arguments (argv[0] is the program), printing to
// `out` and `err`. Returns the exit status: 0 done, 1 a file could not be
// read or written or the text is bad (nothing written), 2 a wrong command
// line.
int runTrackTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace tessaly::track
