// The program's start-up in its fixed order, and the process-wide state it
// owns.
#pragma once

namespace tessaly::app {

// Runs the whole program: defaults, setup dialog, window, render state,
// shaders, assets, tracks, music, watcher, main loop, shutdown. Returns the
// exit code: 0 after a normal run, -1 after Quit or a failed start-up.
int runProgram();

}  // namespace tessaly::app
