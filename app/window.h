// The demo's single window with its OpenGL 3.3 core context, the loading of
// the GL entry points, and the render state every later pass assumes.
#pragma once

#include "app/demo_config.h"
#include "assets/image_decoder.h"
#include "render/gl.h"

#include <cstdint>

namespace tessaly::render {
class PostFilter;
}  // namespace tessaly::render

namespace tessaly::app {

struct Show;

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

// GLFW's error callback: the description goes to stderr unchanged and
// without its code, as a line of its own (a newline follows unless it ends
// with one), so it never runs into the next message.
void glfwErrorHandler(int code, const char* description);

struct WindowOptions {
  // False opens the window hidden, for rendering that nobody watches
  // (capture, tests).
  bool visible = true;
  // The player's window keeps its size; the studio's can be resized.
  bool resizable = false;
};

// Initialises GLFW and opens the window of config.width x config.height with
// the hints and modes of `config`, its context current. False after its
// message ("Unable to initialize GLFW!", "Unable to open screen!" or "Unable
// to open window!").
bool createWindow(const DemoConfig& config, const WindowOptions& options = {});

// Loads the GL entry points. False after "Unable to initialize GLEW!".
bool initGlew();

// Viewport, clear colour, depth test, the one vertex array object, a black
// first frame, the show's post-processing chain and the scan of "Data/" into
// its root textures, for the size in show.config. False when the chain could
// not be made (it has shown its own message). The scan's pictures come from
// `pictures` (decoded at once by default).
bool initRenderState(Show& show, assets::ImageSource& pictures = assets::directDecoding());

// Presents the finished frame: swaps the buffers of the current context's
// window.
void presentFrame();

// The loading screen: `picture` ("Loading.jpg", or 0 when there is none)
// over the whole view through the filter program, presented at once.
// Nothing when the chain failed.
void drawLoadingScreen(const render::PostFilter& filter, GLuint picture);

}  // namespace tessaly::app
