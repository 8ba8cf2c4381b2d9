// Whether this thread has an OpenGL context current. GPU object owners ask
// before they delete their names, so an owner that outlives its window (a
// process-wide object destroyed at exit) makes no GL call.
#pragma once

namespace tessaly::platform {

// True while a GL context is current on the calling thread. Cheap, and safe
// to call before any windowing library is initialised.
bool glContextIsCurrent();

}  // namespace tessaly::platform
