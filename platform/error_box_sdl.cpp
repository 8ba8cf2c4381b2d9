// The desktop message box, drawn by SDL2: it needs no window of ours and no
// SDL_Init, and it works from any thread.
#include <SDL.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace tessaly::platform {

namespace {

bool displayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

void showDesktopErrorBox(std::string_view text) {
  if (!displayAvailable()) {
    return;
  }
  std::string message(text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "ERROR", message.c_str(), nullptr);
}

}  // namespace tessaly::platform
