// The program's start-up in its fixed order, and the process-wide state it
// owns.
#pragma once

namespace tessaly::app {

// The start-up steps from the window to the sync tracks, in their fixed
// order, with the settings of demoConfig(): window and context (hidden when
// `visibleWindow` is false), GL entry points, render state with the filter
// chain, the demo shader set, the asset preload, the sync device with its
// twenty tracks. False when a step that ends start-up failed (after its
// message); failures of single assets are shown and start-up goes on. The
// player then opens the music to play, the capture tool to drive its clock.
bool startShow(bool visibleWindow);

// Runs the whole program: defaults, setup dialog, startShow, music, watcher, main
// loop, shutdown. Returns the exit code: 0 after a normal run, -1 after Quit
// or a failed start-up.
int runProgram();

}  // namespace tessaly::app
