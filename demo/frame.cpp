// The frame driver. Until the production's scenes are drawn, a frame is a
// black clear and a buffer swap.
#include "demo/frame.h"

#include "render/gl.h"

#include <GLFW/glfw3.h>

namespace tessaly::demo {

void renderFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glfwSwapBuffers(glfwGetCurrentContext());
}

}  // namespace tessaly::demo
