// The demo's single window with its OpenGL 3.3 core context, the loading of
// the GL entry points, and the render state every later pass assumes.
#pragma once

#include "assets/image_decoder.h"

#include <cstdint>

namespace tessaly::app {

inline constexpr const char* windowTitle = "Tessaly demosystem";

// The letterboxed 16:9 view inside a window of the given size.
struct Viewport {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// View height = width x 0.5625 stored as a float and truncated; the offset
// centres it vertically (negative when the window is wider than 16:9).
Viewport letterboxViewport(std::int32_t width, std::int32_t height);

// GLFW's error callback: the description goes to stderr unchanged, with no
// newline and no code.
void glfwErrorHandler(int code, const char* description);

// Initialises GLFW and opens the window of the given size with the hints and
// modes of demoConfig(). False after its message ("Unable to initialize
// GLFW!", "Unable to open screen!" or "Unable to open window!"). `visible`
// false opens it hidden, for rendering that nobody watches (capture, tests).
bool createWindow(std::int32_t width, std::int32_t height, bool visible = true);

// Loads the GL entry points. False after "Unable to initialize GLEW!".
bool initGlew();

// Viewport, clear colour, depth test, the one vertex array object, a black
// first frame, the post-processing chain and the scan of "Data/" for images.
// False when the chain could not be made (it has shown its own message).
// The scan's pictures come from `pictures` (decoded at once by default).
bool initRenderState(assets::ImageSource& pictures = assets::directDecoding());

}  // namespace tessaly::app
