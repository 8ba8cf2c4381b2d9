// Scheduling priority of the calling thread, for work done ahead of need on
// worker threads.
#pragma once

namespace tessaly::platform {

// Lowers the calling thread's priority (a nice value of 10 on Linux), so
// that work done ahead takes mostly CPU time the main thread leaves over.
// Only the calling thread is affected; a thread cannot raise it again.
// Failure (not permitted) leaves the priority as it was.
void lowerThisThreadPriority();

}  // namespace tessaly::platform
