// The current context as GLX sees it: GLFW's X11 contexts are GLX contexts,
// and asking GLX needs no initialised GLFW (which would report an error).
#include "platform/gl_context.h"

#include <GL/glx.h>

namespace tessaly::platform {

bool glContextIsCurrent() {
  return glXGetCurrentContext() != nullptr;
}

}  // namespace tessaly::platform
