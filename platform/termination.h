// Ending on SIGTERM and SIGINT through the program's own shutdown. The
// handlers only record the signal (and close any open message box, so a
// thread blocked in one goes on); the program's loops ask terminationSignal()
// and wind down the way they do after Escape or Quit, then exit with
// 128 + the signal, as a shell reports a program ended by it.
#pragma once

namespace tessaly::platform {

// Installs the handlers for SIGTERM and SIGINT. Call once, early, on the
// main thread (before the audio layer starts SDL, whose own handlers would
// turn the signals into events nobody reads). A second signal while the
// shutdown is still running ends the process at once with the same status.
void installTerminationHandlers();

// The signal that asked the program to end, or 0. Safe from any thread.
int terminationSignal();

// 128 + terminationSignal(), or `otherwise` when no signal came.
int terminationExitStatus(int otherwise);

// Records `signal` as if it had been delivered (0 forgets it): for tests of
// the loops that ask terminationSignal().
void setTerminationSignalForTesting(int signal);

}  // namespace tessaly::platform
