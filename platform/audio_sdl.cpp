// The output backend: one SDL2 audio device whose thread asks the shared part
// for each buffer.
#include "platform/audio_device.h"
#include "platform/pcm.h"

#include <SDL.h>

namespace tessaly::platform::audio::detail {

namespace {

SDL_AudioDeviceID device = 0;  // opened and closed by initOutput / freeOutput

void SDLCALL fillBuffer(void* /*user*/, Uint8* stream, int bytes) {
  renderOutput(reinterpret_cast<std::int16_t*>(stream),
               static_cast<std::size_t>(bytes) / bytesPerFrame, steadyNow());
}

}  // namespace

bool openDevice(std::uint32_t frequency) {
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tessaly demosystem");
  // SDL would turn SIGTERM and SIGINT into quit events, which nobody reads
  // here: the program's own handlers (platform/termination.h) keep them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(frequency);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = static_cast<Uint16>(deviceBufferFrames);
  wanted.callback = fillBuffer;
  // No changes allowed: SDL converts to whatever the hardware wants, so the
  // buffers stay 16-bit stereo at `frequency`.
  device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device, 0);
  return true;
}

void closeDevice() {
  if (device != 0) {
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

}  // namespace tessaly::platform::audio::detail
