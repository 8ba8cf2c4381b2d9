// The audio layer's shared part: the streams, their clocks, the spectrum and
// the mixing the output backend asks for.
#include "platform/audio.h"

#include "platform/audio_device.h"
#include "platform/audio_mixer.h"
#include "platform/mp3_decoder.h"

#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace tessaly::platform::audio {

namespace {

struct Stream {
  std::shared_ptr<const PcmSound> sound;
  PlaybackCursor cursor;
  ResampleState resample;
};

struct Layer {
  std::mutex output;  // serialises initOutput and freeOutput
  std::mutex mutex;   // guards the rest; the device's thread takes it to mix
  std::unordered_map<Handle, Stream> streams;
  Handle lastHandle = 0;
  bool initialised = false;  // initOutput succeeded
  bool deviceOpen = false;   // ... and an SDL device plays the streams
  std::uint32_t deviceRate = 0;
};

// Never destroyed: SDL's thread may still mix while the process exits.
Layer& layer() {
  static Layer* instance = new Layer;
  return *instance;
}

using Bytes = std::optional<std::uint64_t>;

// Runs `use` on the stream behind a handle under the lock; `missing` when
// there is no such stream.
template <class Result, class Use>
Result withStream(Handle stream, Result missing, Use use) {
  Layer& state = layer();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto it = state.streams.find(stream);
  return it == state.streams.end() ? missing : use(it->second);
}

}  // namespace

namespace detail {

Nanoseconds steadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void renderOutput(std::int16_t* out, std::size_t frames, Nanoseconds now) {
  Layer& state = layer();
  std::array<std::int32_t, deviceBufferFrames * 2> mix;
  std::lock_guard<std::mutex> lock(state.mutex);
  while (frames > 0) {
    const std::size_t chunk = frames < deviceBufferFrames ? frames : deviceBufferFrames;
    mix.fill(0);
    for (auto& [handle, stream] : state.streams) {
      if (stream.cursor.pacing() == PlaybackCursor::Pacing::device) {
        mixStream(*stream.sound, stream.cursor, stream.resample, mix.data(), chunk,
                  state.deviceRate, now);
      }
    }
    clampMix(mix.data(), out, chunk);
    out += chunk * 2;
    frames -= chunk;
  }
}

}  // namespace detail

bool initOutput(int device, std::uint32_t frequency) {
  Layer& state = layer();
  std::lock_guard<std::mutex> serial(state.output);
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.initialised) {
      return false;
    }
    if (device == 0) {
      state.initialised = true;
      return true;
    }
    if ((device != 1 && device != -1) || frequency == 0) {
      return false;
    }
    state.deviceRate = frequency;
  }
  if (!detail::openDevice(frequency)) {
    return false;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  state.initialised = true;
  state.deviceOpen = true;
  return true;
}

bool freeOutput() {
  Layer& state = layer();
  std::lock_guard<std::mutex> serial(state.output);
  bool wasInitialised = false;
  bool closeDevice = false;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.streams.clear();
    wasInitialised = state.initialised;
    closeDevice = state.deviceOpen;
    state.initialised = false;
    state.deviceOpen = false;
  }
  // Closing waits for the device's thread, which may be waiting for the lock.
  if (closeDevice) {
    detail::closeDevice();
  }
  return wasInitialised;
}

bool updateOutput() {
  Layer& state = layer();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.initialised;
}

Handle createStream(const std::string& fileName, std::uint32_t flags) {
  std::optional<PcmSound> decoded = decodeMp3File(fileName);
  if (!decoded) {
    return 0;
  }
  return createStream(std::make_shared<const PcmSound>(std::move(*decoded)), flags);
}

Handle createStream(std::shared_ptr<const PcmSound> sound, std::uint32_t flags) {
  if (!sound || sound->frames() == 0 || sound->rate == 0) {
    return 0;
  }
  Layer& state = layer();
  std::lock_guard<std::mutex> lock(state.mutex);
  PlaybackCursor::Pacing pacing = PlaybackCursor::Pacing::wallClock;
  if ((flags & streamDecode) != 0) {
    pacing = PlaybackCursor::Pacing::caller;
  } else if (state.deviceOpen) {
    pacing = PlaybackCursor::Pacing::device;
  }
  Handle handle = ++state.lastHandle;
  if (handle == 0) {
    handle = ++state.lastHandle;
  }
  PlaybackCursor cursor(sound->frames(), sound->rate, (flags & sampleLoop) != 0, pacing);
  state.streams.emplace(handle, Stream{std::move(sound), cursor, ResampleState{}});
  return handle;
}

bool freeStream(Handle stream) {
  Layer& state = layer();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.streams.erase(stream) > 0;
}

bool play(Handle stream, bool restart) {
  return withStream(stream, false, [&](Stream& found) {
    found.resample = ResampleState{};
    return found.cursor.play(restart, detail::steadyNow());
  });
}

bool pause(Handle stream) {
  return withStream(stream, false, [&](Stream& found) {
    found.resample = ResampleState{};
    return found.cursor.pause(detail::steadyNow());
  });
}

bool setPosition(Handle stream, std::uint64_t bytes) {
  return withStream(stream, false, [&](Stream& found) {
    found.resample = ResampleState{};
    return found.cursor.seek(bytes / bytesPerFrame, detail::steadyNow());
  });
}

std::optional<std::uint64_t> position(Handle stream) {
  return withStream(stream, Bytes{}, [](Stream& found) -> Bytes {
    return found.cursor.position(detail::steadyNow()) * bytesPerFrame;
  });
}

std::optional<std::uint64_t> length(Handle stream) {
  return withStream(stream, Bytes{},
                    [](Stream& found) -> Bytes { return found.cursor.length() * bytesPerFrame; });
}

double bytesToSeconds(Handle stream, std::uint64_t bytes) {
  return withStream(stream, -1.0, [&](Stream& found) {
    return static_cast<double>(bytes) / (static_cast<double>(found.cursor.rate()) * bytesPerFrame);
  });
}

std::optional<std::uint64_t> secondsToBytes(Handle stream, double seconds) {
  return withStream(stream, Bytes{}, [&](Stream& found) -> Bytes {
    if (!(seconds > 0.0)) {
      return 0;
    }
    const double frames = std::round(seconds * static_cast<double>(found.cursor.rate()));
    return static_cast<std::uint64_t>(frames) * bytesPerFrame;
  });
}

bool fetchFft(Handle stream, float* magnitudes) {
  std::shared_ptr<const PcmSound> sound;
  std::uint64_t frame = 0;
  bool loop = false;
  const bool found = withStream(stream, false, [&](Stream& playing) {
    sound = playing.sound;
    frame = playing.cursor.position(detail::steadyNow());
    loop = playing.cursor.loops();
    return true;
  });
  if (!found) {
    return false;
  }
  // The transform runs outside the lock, so the device never waits for it.
  computeSpectrum(*sound, frame, loop, magnitudes);
  return true;
}

}  // namespace tessaly::platform::audio
